#include "images/filedialog_images.h"

#include "closedfolder.xpm"
#include "defaulticon.xpm"
#include "lastdir.xpm"
#include "newdir.xpm"
#include "qdfile.xpm"
#include "updir.xpm"

const char *const *const closedfolder_xpm_data = closedfolder_xpm;
const char *const *const defaulticon_xpm_data = defaulticon_xpm;
const char *const *const qdfile_xpm_data = qdfile_xpm;
const char *const *const lastdir_xpm_data = lastdir_xpm;
const char *const *const updir_xpm_data = updir_xpm;
const char *const *const newdir_xpm_data = newdir_xpm;
