// openfiledialog: the one call through which the job runner lets the user
// choose an existing file with the file dialog in open mode.
#pragma once

// Size of the callers' path and folder buffers.
enum { OPENFILE_PATH_SIZE = 256 };

// Shows the file dialog titled `title` in pre_dir with the filter string p
// (type is not used). dir and pre_dir are the caller's OPENFILE_PATH_SIZE
// buffers. 1 with the chosen file's full path in dir. 0 when no file was
// chosen, or when the chosen path would not fit dir (the user is told);
// dir is then untouched. In every case pre_dir receives the folder the
// dialog ended in, if it fits.
int openfiledialog(const char *title, char *dir, char *pre_dir, const char *p, int type);
