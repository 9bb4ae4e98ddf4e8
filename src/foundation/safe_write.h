// Reading and writing the user's small files so that a failure never costs
// what they held: a file is read whole or not taken, replaced whole or not
// at all, and an appended block goes in whole or not at all.
#pragma once
#include <string>

// Replaces the file at path by content. A symbolic link keeps pointing at
// its file, which is the one replaced (or made, when it does not exist
// yet); the file keeps its permissions. Written beside the file and renamed
// over it; where no file can be made beside it, rewritten in place. false,
// with the old content still there, when it could not be done or the file
// exists and the user may not write it.
bool ReplaceFileSafely(const char *path, const std::string &content);

// Reads the regular file at path whole, without waiting on a FIFO in its
// place: 1 read; 0 there is no file; -1 it cannot be read whole (a read
// error, no regular file, or more than maxSize bytes), *text then partial.
int ReadFileWhole(const char *path, size_t maxSize, std::string *text);

// A replacement under way, in two steps, so that the slow one (the writing
// and its sync, which waits for the disk) may be left to a child process:
// BeginReplacement makes the new file beside the file behind path, with its
// permissions; FinishReplacement fills it and renames it over the file.
struct Replacement {
    std::string file;  // the file replaced
    std::string temp;  // the new file beside it
    int fd = -1;       // open on temp
};
// 1 ready; 0 the file exists and the user may not write it; -1 no file can
// be made beside it (ReplaceFileSafely then rewrites the file in place).
int BeginReplacement(const char *path, Replacement *r);
// Writes content into r's new file, syncs and closes it, and renames it
// over the file: 0, or the errno that stopped it, with the new file removed
// and the old one as it was. Only async-signal-safe calls: a child of a
// fork may finish what its parent began (both then close r.fd).
int FinishReplacement(const Replacement &r, const char *content, size_t size);

// The file a path stands for: a symbolic link's target (even one that does
// not exist), else the path itself.
std::string FileBehind(const char *path);

// Appends content to the file at path (created when missing). false when
// it could not be written whole; the file is then as it was.
bool AppendFileWhole(const char *path, const std::string &content);
