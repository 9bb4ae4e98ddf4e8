// The main window's built-in images (toolbar icons and the About dialog's
// logo) as XPM data compiled into the program. Each pointer is the source of
// one Fl_Pixmap, e.g. new Fl_Pixmap(adddyn_xpm_data); the data is static.
#pragma once

extern const char *const *const adddyn_xpm_data;      // 23 x 22
extern const char *const *const addrk_xpm_data;       // 23 x 22
extern const char *const *const deletefile_xpm_data;  // 23 x 22
extern const char *const *const up_xpm_data;          // 23 x 22
extern const char *const *const jobdown_xpm_data;     // 24 x 22
extern const char *const *const file_read_xpm_data;   // 25 x 22
extern const char *const *const about_xpm_data;       // 19 x 17
extern const char *const *const vrxlogo_xpm_data;     // 120 x 58, two colours
extern const char *const *const wendle_xpm_data;      // 48 x 48, the window's icon
