// Making a file really unwritable for the current process, root included.
#pragma once
#include <string>

// Mode 0444 (0555 for a folder), and for root (whom modes do not stop) the
// immutable flag.
// False when the file stays writable (an unprivileged root, a file system
// without the flag): the caller skips its test.
bool make_unwritable(const std::string &path);
// Undoes make_unwritable so the file can be removed.
void make_writable(const std::string &path);
