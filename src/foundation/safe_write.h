// Writing the user's small files so that a failure never costs what they
// held: a file is replaced whole or not at all, and an appended block goes
// in whole or not at all.
#pragma once
#include <string>

// Replaces the file at path by content. A symbolic link keeps pointing at
// its file, which is the one replaced (or made, when it does not exist
// yet); the file keeps its permissions. Written beside the file and renamed
// over it; where no file can be made beside it, rewritten in place. false,
// with the old content still there, when it could not be done or the file
// exists and the user may not write it.
bool ReplaceFileSafely(const char *path, const std::string &content);

// The file a path stands for: a symbolic link's target (even one that does
// not exist), else the path itself.
std::string FileBehind(const char *path);

// Appends content to the file at path (created when missing). false when
// it could not be written whole; the file is then as it was.
bool AppendFileWhole(const char *path, const std::string &content);
