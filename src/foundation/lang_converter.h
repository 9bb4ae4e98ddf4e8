// Comma-separated field readers, the message-language converter (message
// keys, dictionary lookup, registering untranslated messages) and in-place
// lower-casing.
#pragma once
#include <cstdio>

// Working sizes of the module: lines, keys and messages hold at most
// LANG_LINE_SIZE - 1 characters, a value word at most LANG_VALUE_SIZE - 1.
enum { LANG_LINE_SIZE = 1024, LANG_VALUE_SIZE = 128, LANG_MAX_VALUES = 32 };

// The dictionary hook: entries "key\0translation\0", offsets of the keys
// sorted by strcmp. Nothing in the program loads it; null means none.
extern char *LANGUAGE_DICT;
extern int *LANGUAGE_INDEX;
extern int WORD_NUMBER;

// Reads one line (newline not stored, carriage returns kept) into `line`,
// which holds LANG_LINE_SIZE bytes; the rest of a longer line is skipped.
// 0 with a line; -1 at end of input with nothing read; a null stream gives
// 0 and an empty line.
int ReadLine(FILE *fp, char *line);
// The integer at the start of field n (from 1); 0 when missing or not numeric.
int ReadIntField(const char *line, int n);
// The integer at the start of text as "%d" reads it (blanks skipped, a sign
// allowed), kept inside int's range; 0 when there is none.
int ReadIntText(const char *text);
// Field i (from 1) into str (LANG_LINE_SIZE bytes): 1, or -1 when the line
// has fewer than i - 1 commas.
int GetKeyword(const char *line, int i, char *str);

// Upper-cases input_text in place and builds its key into output_text
// (LANG_LINE_SIZE bytes): words joined by "_", value words as "%V", the
// first LANG_MAX_VALUES of them kept in value.
void language_format(char *input_text, char *output_text,
                     char value[LANG_MAX_VALUES][LANG_VALUE_SIZE]);
// 1 with the translation of key input_text; 0 with a copy of input_text.
int language_Search(const char *input_text, char *output_text);
// Appends prompt_text to "language_msg.txt" (in $QUILLARD_PATH, else the
// working folder) unless a record with key input_text is there: 1 when
// appended, 0 when already present or the file cannot be appended to.
int language_Add(const char *prompt_text, const char *input_text);
// Translation is switched off: copies the message and returns 0.
int language_Converter(const char *prompt_text, char *output_text);

void all_to_lower(char *string);
