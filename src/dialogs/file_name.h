// Rules for the names typed into the file dialog: cleaning the typed text,
// the characters a name may hold, and where a name leads from the folder
// shown. Nothing here needs a display.
#pragma once

enum { FD_PATH_SIZE = 1024 };  // folder, name and path buffers

// Copies a folder path into a FD_PATH_SIZE buffer, adding the final "/"
// when missing; false (nothing written) when it would not fit. from may be to.
bool FileName_CopyFolder(char *to, const char *from);

// The typed text with its leading and trailing blanks removed and every "\"
// turned into "/", into out (FD_PATH_SIZE bytes, cut to fit); false for a
// missing or empty text (then out is empty).
bool FileName_Clean(const char *typed, char *out);

// True when a name breaks the character rules: any of * ? " < > | \, a ":"
// after the first "/", or two "/" in a row.
bool FileName_HasBadChars(const char *name);

enum {
    FN_BAD_FOLDER = -2,  // "Invalide Directory Name!"
    FN_BAD_NAME = -1,    // "Invalide File Name!"
    FN_PLAIN = 0,        // a file name, in out
    FN_FOLDER = 1        // a folder, its path ending in "/" in out
};
// Where a cleaned name leads from the folder dir (ending in "/") whose
// listing shows the nFolders folder names in folders. out holds
// FD_PATH_SIZE bytes and is left empty on the two failures.
int FileName_Resolve(const char *name, const char *dir, char *const *folders, int nFolders, char *out);
