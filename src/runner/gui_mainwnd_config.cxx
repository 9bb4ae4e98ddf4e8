// The main window's settings file, history log and closing.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/comfunction.h"
#include "foundation/safe_write.h"
#include "grid/fltk_grid.h"

namespace {

const int kSettings = 6;
const char *const kKeys[kSettings] = {"dynasolver_single", "dynasolver_double", "memory",
                                      "pausetime",         "lastdir",           "xterm"};
// A settings line: a key, "=" and a value the inputs let through.
const size_t kLineMax = 32 + SETTING_VALUE_MAX;

// One line of the settings file by read_line's rules, but long enough for
// any value the program writes: 1 ended by a newline, -1 at the end of the
// file, 0 when it is longer than any line the program writes.
int read_setting_line(FILE *fp, std::string *line)
{
    line->clear();
    int c;
    while ((c = getc(fp)) != EOF) {
        if (c == '\n')
            return 1;
        if (!line_keeps((unsigned char)c))
            continue;
        if (line->size() == kLineMax)
            return 0;
        *line += (char)c;
    }
    return -1;
}

// A value as the file holds it: control characters would end the line or
// vanish when it is read back.
std::string file_value(const char *value)
{
    std::string out;
    for (const char *p = value ? value : ""; *p; p++)
        if (line_keeps((unsigned char)*p))
            out += *p;
    return out;
}

} // namespace

void guiMainWnd::InitJobSub()
{
    getMyDocument(m_szUsrProfile);
    if (m_szUsrProfile[0]) {
        char path[PROFILE_PATH_SIZE];
        snprintf(path, sizeof path, "%s/wendle.ini", m_szUsrProfile);
        struct stat st;
        if (read_config(path) == 0 && lstat(path, &st) == 0)
            keep_rejected(path);
    }
    // Without a user folder too: jobs still need a terminal.
    if (!m_szXterm[0])
        snprintf(m_szXterm, sizeof m_szXterm, "xterm");
}

void guiMainWnd::keep_rejected(const char *path)
{
    // Saving at exit would replace the user's own file by empty values: its
    // content is kept beside it first, or the file is not replaced at all.
    std::string content;
    bool readable = false;
    if (FILE *fp = fopen(path, "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
            content.append(buf, n);
        readable = !ferror(fp);
        fclose(fp);
    }
    std::string kept = std::string(path) + ".rejected";
    if (readable && ReplaceFileSafely(kept.c_str(), content)) {
        lblFisrt->copy_label("Settings file not read: its content is kept in wendle.ini.rejected");
    } else {
        m_bKeepSettings = true;
        lblFisrt->copy_label("Settings file cannot be read: it is left as it is");
    }
}

int guiMainWnd::read_config(const char *path)
{
    FILE *fp = fopen(path, "r");
    if (!fp)
        return 0;

    std::string slots[kSettings];
    std::string line;
    int got;
    // Lines past the sixth are ignored: nothing reads them.
    for (int n = 0; (got = read_setting_line(fp, &line)) != -1; n++) {
        if (got == 0) {
            fclose(fp);
            return 0;
        }
        if (n >= kSettings)
            continue;
        size_t eq = line.find('=');
        std::string key = line.substr(0, eq);
        slots[n] = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (key != kKeys[n]) {
            fclose(fp);
            return 0;
        }
    }
    fclose(fp);
    // The last folder and the terminal live in fixed buffers: a value they
    // cannot hold whole is no value the program wrote.
    if (slots[4].size() >= sizeof m_szLastDir || slots[5].size() >= sizeof m_szXterm)
        return 0;

    inDynaLocation1->value(slots[0].c_str());
    inDynaLocation2->value(slots[1].c_str());
    inMem->value(slots[2].empty() ? "128" : slots[2].c_str());
    inPause->value(slots[3].empty() ? "10" : slots[3].c_str());
    snprintf(m_szLastDir, sizeof m_szLastDir, "%s", slots[4].c_str());
    snprintf(m_szXterm, sizeof m_szXterm, "%s", slots[5].c_str());
    return 1;
}

int guiMainWnd::write_config(const char *path)
{
    const char *values[kSettings] = {inDynaLocation1->value(), inDynaLocation2->value(),
                                     inMem->value(),           inPause->value(),
                                     m_szLastDir,              m_szXterm};
    std::string content;
    for (int i = 0; i < kSettings; i++)
        content += std::string(kKeys[i]) + "=" + file_value(values[i]) + "\n";
    return ReplaceFileSafely(path, content) ? 1 : 0;
}

void guiMainWnd::write_log(const char *path)
{
    std::string block;
    for (int r = 1; r <= m_grid->GetRows(); r++) {
        std::string status = CellText(r, COL_STATUS);
        if (status == "Queued")
            continue;
        block += status + "  " + CellText(r, COL_FOLDER) + CellText(r, COL_NAME) + "." +
                 CellText(r, COL_TYPE) + "\n";
    }
    AppendFileWhole(path, block);
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
        if (!m_bKeepSettings)
            write_config(settings);
        write_log(log);
    }
    // Job terminals still open are separate processes and keep running.
    hide();
    Fl::delete_widget(this);
}
