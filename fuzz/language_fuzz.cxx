// Fuzzes the line and field readers and the message-language functions:
// every line of the input is read, split into fields, turned into a message
// key, looked up in a small dictionary and lower-cased. Input: a text file.
#include "fuzz_check.h"

#include "foundation/lang_converter.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

// Three entries, key and translation each, the keys in strcmp order.
static char s_dict[] = "%V\0Wert\0ERROR_%V_IN_INFO\0Fehler %V in INFO\0READ_%V_FILES\0%V Dateien gelesen";
static int s_index[3];

static void load_dictionary()
{
    size_t at = 0;
    for (int &offset : s_index) {
        offset = (int)at;
        at += strlen(s_dict + at) + 1;
        at += strlen(s_dict + at) + 1;
    }
    LANGUAGE_DICT = s_dict;
    LANGUAGE_INDEX = s_index;
    WORD_NUMBER = 3;
}

// The key of a message held in a heap block of its exact size, so that the
// address checker sees any write past it.
static void format(const char *message)
{
    std::vector<char> input(message, message + strlen(message) + 1);
    std::vector<char> key(LANG_LINE_SIZE);
    std::vector<char> values((size_t)LANG_MAX_VALUES * LANG_VALUE_SIZE);
    language_format(input.data(), key.data(), reinterpret_cast<char(*)[LANG_VALUE_SIZE]>(values.data()));
    fuzz_check(strlen(key.data()) < LANG_LINE_SIZE, "key longer than its buffer");
    char found[LANG_LINE_SIZE];
    if (language_Search(key.data(), found) == 0)
        fuzz_check(strcmp(found, key.data()) == 0, "a key not found is not copied");
    all_to_lower(input.data());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!LANGUAGE_DICT)
        load_dictionary();
    std::vector<char> whole(data, data + size);
    whole.push_back('\0');
    format(whole.data());

    FILE *fp = size ? fmemopen(whole.data(), size, "r") : nullptr;
    if (!fp)
        return 0;
    char line[LANG_LINE_SIZE];
    while (ReadLine(fp, line) == 0) {
        fuzz_check(strlen(line) < LANG_LINE_SIZE, "line longer than its buffer");
        for (int i = 0; i <= 6; i++) {
            ReadIntField(line, i);
            char field[LANG_LINE_SIZE];
            if (GetKeyword(line, i, field) == 1)
                fuzz_check(strlen(field) < LANG_LINE_SIZE, "field longer than its buffer");
        }
        format(line);
        char shown[LANG_LINE_SIZE];
        language_Converter(line, shown);
        fuzz_check(strcmp(shown, line) == 0, "the converter changed a message");
    }
    fclose(fp);
    return 0;
}
