#include "images/mainwnd_images.h"

#include "about.xpm"
#include "adddyn.xpm"
#include "addrk.xpm"
#include "deletefile.xpm"
#include "down.xpm"
#include "read.xpm"
#include "up.xpm"
#include "vrxlogo.xpm"
#include "wendle.xpm"

const char *const *const adddyn_xpm_data = adddyn_xpm;
const char *const *const addrk_xpm_data = addrk_xpm;
const char *const *const deletefile_xpm_data = deletefile_xpm;
const char *const *const up_xpm_data = up_xpm;
const char *const *const jobdown_xpm_data = jobdown_xpm;
const char *const *const file_read_xpm_data = file_read_xpm;
const char *const *const about_xpm_data = about_xpm;
const char *const *const vrxlogo_xpm_data = vrxlogo_xpm;
const char *const *const wendle_xpm_data = wendle_xpm;
