#include "dialogs/openfiledialog.h"

#include "dialogs/plain_label.h"
#include "dialogs/sfiledialog.h"

#include <FL/fl_ask.H>

#include <cstdio>
#include <cstring>

int openfiledialog(const char *title, char *dir, char *pre_dir, const char *p, int)
{
    // The dialog works on buffers of its own size, so that a result too
    // long for the caller is refused, never cut into another path.
    char name[FD_PATH_SIZE] = "";
    char folder[FD_PATH_SIZE];
    snprintf(folder, sizeof folder, "%s", pre_dir ? pre_dir : "");
    {
        SFileDialog dialog(FD_OPEN, p, folder, name, title, 252, 258, 481, 255);
        dialog.ShowFileDialog();
    }
    size_t folderLen = strlen(folder);
    size_t nameLen = strlen(name);
    // The caller's last folder follows the dialog whatever was chosen.
    if (pre_dir && folderLen < OPENFILE_PATH_SIZE)
        memcpy(pre_dir, folder, folderLen + 1);
    if (!nameLen || !dir)
        return 0;
    if (folderLen + nameLen >= OPENFILE_PATH_SIZE) {
        char text[2 * FD_PATH_SIZE + 128];
        snprintf(text, sizeof text, "The path of the chosen file is longer than %d characters:\n%s%s",
                 OPENFILE_PATH_SIZE - 1, folder, name);
        char shown[2 * sizeof text];
        PlainLabel_Escape(text, shown, sizeof shown);
        fl_alert("%s", shown);
        return 0;
    }
    memcpy(dir, folder, folderLen);
    memcpy(dir + folderLen, name, nameLen + 1);
    return 1;
}
