#include "foundation/lang_converter.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

char *LANGUAGE_DICT = nullptr;
int *LANGUAGE_INDEX = nullptr;
int WORD_NUMBER = 0;

int ReadLine(FILE *fp, char *line)
{
    line[0] = '\0';
    if (!fp)
        return 0;
    int len = 0;
    int c;
    bool any = false;
    while ((c = fgetc(fp)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (len < LANG_LINE_SIZE - 1)
            line[len++] = (char)c;
    }
    line[len] = '\0';
    return any ? 0 : -1;
}

// The text after the (n-1)-th comma, or null when there are too few commas.
static const char *field_start(const char *line, int n)
{
    const char *p = line;
    for (int k = 1; k < n; k++) {
        p = strchr(p, ',');
        if (!p)
            return nullptr;
        p++;
    }
    return p;
}

int ReadIntText(const char *text)
{
    char *end;
    long v = strtol(text, &end, 10);
    if (end == text)
        return 0;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return (int)v;
}

int ReadIntField(const char *line, int n)
{
    const char *p = field_start(line, n);
    return p ? ReadIntText(p) : 0;
}

int GetKeyword(const char *line, int i, char *str)
{
    char copy[LANG_LINE_SIZE];
    snprintf(copy, sizeof copy, "%s", line);
    const char *p = field_start(copy, i);
    if (!p)
        return -1;
    size_t len = strcspn(p, ",");
    if (!p[len])
        len = strcspn(p, "\n");
    snprintf(str, LANG_LINE_SIZE, "%.*s", (int)len, p);
    return 1;
}

// A value is a word with a "." in it or one that reads wholly as a number.
static bool is_value(const char *word)
{
    if (strchr(word, '.'))
        return true;
    char *end;
    strtod(word, &end);
    return end != word && *end == '\0';
}

void language_format(char *input_text, char *output_text,
                     char value[LANG_MAX_VALUES][LANG_VALUE_SIZE])
{
    for (char *p = input_text; *p; p++)
        *p = (char)toupper((unsigned char)*p);

    size_t out = 0;
    output_text[0] = '\0';
    int values = 0;
    bool first = true;
    char word[LANG_LINE_SIZE];

    const char *p = input_text;
    while (*p) {
        while (*p == ' ')
            p++;
        if (!*p)
            break;
        size_t runLen = strcspn(p, " ");
        // The word proper ends at its first white space, as "%s" reads it.
        size_t wordLen = 0;
        while (wordLen < runLen && !isspace((unsigned char)p[wordLen]))
            wordLen++;
        snprintf(word, sizeof word, "%.*s", (int)wordLen, p);
        p += runLen;

        const char *piece = word;
        if (is_value(word)) {
            if (values < LANG_MAX_VALUES)
                snprintf(value[values++], LANG_VALUE_SIZE, "%.*s", LANG_VALUE_SIZE - 1, word);
            piece = "%V";
        }
        int n = snprintf(output_text + out, LANG_LINE_SIZE - out, "%s%s",
                         first ? "" : "_", piece);
        first = false;
        if (n < 0 || (size_t)n >= LANG_LINE_SIZE - out) {
            out = LANG_LINE_SIZE - 1;
            break;
        }
        out += (size_t)n;
    }
}

int language_Search(const char *input_text, char *output_text)
{
    snprintf(output_text, LANG_LINE_SIZE, "%s", input_text);
    if (!LANGUAGE_DICT)
        return 0;
    int low = 0, high = WORD_NUMBER - 1;
    while (high >= low) {
        int index = (low + high) / 2;
        const char *key = LANGUAGE_DICT + LANGUAGE_INDEX[index];
        int cmp = strcmp(input_text, key);
        if (cmp == 0) {
            snprintf(output_text, LANG_LINE_SIZE, "%s", key + strlen(key) + 1);
            return 1;
        }
        if (cmp > 0)
            low = index + 1;
        else
            high = index - 1;
    }
    return 0;
}

int language_Add(const char *prompt_text, const char *input_text)
{
    char path[LANG_LINE_SIZE + 32];
    const char *dir = getenv("QUILLARD_PATH");
    if (dir)
        snprintf(path, sizeof path, "%s/language_msg.txt", dir);
    else
        snprintf(path, sizeof path, "language_msg.txt");

    if (FILE *fp = fopen(path, "r")) {
        char line[LANG_LINE_SIZE];
        char key[LANG_LINE_SIZE];
        char values[LANG_MAX_VALUES][LANG_VALUE_SIZE];
        while (ReadLine(fp, line) != -1) {
            language_format(line, key, values);
            if (strcmp(key, input_text) == 0) {
                fclose(fp);
                return 0;
            }
            if (ReadLine(fp, line) == -1)
                break;
        }
        fclose(fp);
    }

    FILE *fp = fopen(path, "a");
    if (!fp)
        return 0;
    fprintf(fp, "%s\n\n", prompt_text);
    fclose(fp);
    return 1;
}

int language_Converter(const char *prompt_text, char *output_text)
{
    char buffer[LANG_LINE_SIZE];
    snprintf(buffer, sizeof buffer, "%s", prompt_text);
    snprintf(output_text, LANG_LINE_SIZE, "%s", buffer);
    return 0;
}

void all_to_lower(char *string)
{
    for (size_t i = strlen(string); i-- > 0;)
        string[i] = (char)tolower((unsigned char)string[i]);
}
