// The main window's settings file, history log and closing.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Input.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/comfunction.h"
#include "grid/fltk_grid.h"

namespace {

const int kSettings = 6;
const char *const kKeys[kSettings] = {"dynasolver_single", "dynasolver_double", "memory",
                                      "pausetime",         "lastdir",           "xterm"};
const int kSlotSize = 256;

} // namespace

void guiMainWnd::InitJobSub()
{
    getMyDocument(m_szUsrProfile);
    if (m_szUsrProfile[0]) {
        char path[PROFILE_PATH_SIZE];
        snprintf(path, sizeof path, "%s/wendle.ini", m_szUsrProfile);
        read_config(path);
    }
    // Without a user folder too: jobs still need a terminal.
    if (!m_szXterm[0])
        snprintf(m_szXterm, sizeof m_szXterm, "xterm");
}

int guiMainWnd::read_config(const char *path)
{
    FILE *fp = fopen(path, "r");
    if (!fp)
        return 0;

    char slots[kSettings][kSlotSize] = {};
    char line[1024];
    // Lines past the sixth are ignored: nothing reads them.
    for (int n = 0; read_line(fp, line) != -1; n++) {
        if (n >= kSettings)
            continue;
        char *eq = strchr(line, '=');
        const char *value = "";
        if (eq) {
            *eq = '\0';
            value = eq + 1;
        }
        snprintf(slots[n], kSlotSize, "%s", value);
        if (strcmp(line, kKeys[n]) != 0) {
            fclose(fp);
            return 0;
        }
    }
    fclose(fp);

    inDynaLocation1->value(slots[0]);
    inDynaLocation2->value(slots[1]);
    inMem->value(slots[2][0] ? slots[2] : "128");
    inPause->value(slots[3][0] ? slots[3] : "10");
    snprintf(m_szLastDir, sizeof m_szLastDir, "%s", slots[4]);
    snprintf(m_szXterm, sizeof m_szXterm, "%s", slots[5]);
    return 1;
}

int guiMainWnd::write_config(const char *path)
{
    // The six lines go to a fresh file beside the old one, which is replaced
    // only when every write reached the disk: a full disk or an I/O error
    // must not cost the user the settings they had.
    char tmp[PROFILE_PATH_SIZE + 16];
    int n = snprintf(tmp, sizeof tmp, "%s.XXXXXX", path);
    if (n < 0 || n >= (int)sizeof tmp)
        return 0;
    int fd = mkstemp(tmp);
    if (fd < 0)
        return 0;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE *fp = fdopen(fd, "w");
    if (!fp) {
        close(fd);
        unlink(tmp);
        return 0;
    }

    const char *values[kSettings] = {inDynaLocation1->value(), inDynaLocation2->value(),
                                     inMem->value(),           inPause->value(),
                                     m_szLastDir,              m_szXterm};
    bool ok = true;
    for (int i = 0; i < kSettings; i++)
        ok = fprintf(fp, "%s=%s\n", kKeys[i], values[i] ? values[i] : "") >= 0 && ok;
    ok = fflush(fp) == 0 && ok;
    ok = fsync(fileno(fp)) == 0 && ok;
    ok = fclose(fp) == 0 && ok;
    if (!ok || rename(tmp, path) != 0) {
        unlink(tmp);
        return 0;
    }
    return 1;
}

void guiMainWnd::write_log(const char *path)
{
    FILE *fp = fopen(path, "a");
    if (!fp)
        return;
    for (int r = 1; r <= m_grid->GetRows(); r++) {
        std::string status = CellText(r, COL_STATUS);
        if (status == "Queued")
            continue;
        fprintf(fp, "%s  %s%s.%s\n", status.c_str(), CellText(r, COL_FOLDER).c_str(),
                CellText(r, COL_NAME).c_str(), CellText(r, COL_TYPE).c_str());
    }
    fclose(fp);
}

void guiMainWnd::real_exit_cb()
{
    // Without a user folder there is nowhere sound to write; "/wendle.ini"
    // would be the wrong place.
    if (m_szUsrProfile[0]) {
        char settings[PROFILE_PATH_SIZE];
        char log[PROFILE_PATH_SIZE];
        snprintf(settings, sizeof settings, "%s/wendle.ini", m_szUsrProfile);
        snprintf(log, sizeof log, "%s/wendle_history.log", m_szUsrProfile);
        write_config(settings);
        write_log(log);
    }
    // Job terminals still open are separate processes and keep running.
    hide();
    Fl::delete_widget(this);
}
