// The file dialog's built-in icons as XPM data compiled into the program.
// Each pointer is the source of one Fl_Pixmap, e.g.
// new Fl_Pixmap(closedfolder_xpm_data); the data is static.
#pragma once

extern const char *const *const closedfolder_xpm_data;  // 16 x 16, folder entries
extern const char *const *const defaulticon_xpm_data;   // 16 x 16, file entries
extern const char *const *const qdfile_xpm_data;        // 15 x 15, 4 colours, ".qd" files
extern const char *const *const lastdir_xpm_data;       // 19 x 19, back button
extern const char *const *const updir_xpm_data;         // 19 x 20, up-folder button
extern const char *const *const newdir_xpm_data;        // 20 x 19, new-folder button
