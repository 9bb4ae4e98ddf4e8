// The main window's settings file, history log and closing.
#include "runner/gui_mainwnd.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input.H>

#include <cerrno>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "foundation/comfunction.h"
#include "foundation/safe_write.h"
#include "runner/settings_file.h"

// No settings file at path: nothing there, or a link to a file not made
// yet in a folder that is there. A link into a folder that is not there (a
// drive not mounted) leads to a file that cannot be read.
static bool no_settings_file(const char *path)
{
    struct stat st;
    if (lstat(path, &st) != 0)
        return true;
    if (!S_ISLNK(st.st_mode) || stat(path, &st) == 0 || errno != ENOENT)
        return false;
    std::string file = FileBehind(path);
    std::string folder = file.substr(0, file.rfind('/') + 1);
    return stat(folder.empty() ? "." : folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void guiMainWnd::InitJobSub()
{
    getMyDocument(m_szUsrProfile);
    if (m_szUsrProfile[0]) {
        char path[PROFILE_PATH_SIZE];
        snprintf(path, sizeof path, "%s/wendle.ini", m_szUsrProfile);
        int got = read_config(path);
        if (got == -1 || (got == 0 && !no_settings_file(path)))
            keep_rejected(path, got == -1);
        snprintf(path, sizeof path, "%s/wendle_run.ini", m_szUsrProfile);
        m_runSettings.Load(path);
        // The table comes back as it was left, its running jobs followed on.
        RunCounts counts;
        m_queueFile.OnFailure(queue_not_saved, this);
        m_queueFile.Open(m_szUsrProfile, &counts);
        m_run.Restore(counts);
        for (const std::string *problem : {&m_queueFile.Problem(), &m_runSettings.Problem()})
            if (!problem->empty())
                Hold(m_held[0].empty() ? 0 : 1, *problem);
    }
    // Without a user folder too: jobs still need a terminal.
    if (!m_szXterm[0])
        snprintf(m_szXterm, sizeof m_szXterm, "xterm");
}

void guiMainWnd::keep_rejected(const char *path, bool readFailed)
{
    // Saving at exit would replace the user's own file by empty values: its
    // content is kept beside it first, or the file is not replaced at all.
    std::string content;
    bool readable = false;
    if (FILE *fp = readFailed ? nullptr : fopen(path, "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, fp)) > 0)
            content.append(buf, n);
        readable = !ferror(fp);
        fclose(fp);
    }
    std::string kept = std::string(path) + ".rejected";
    if (readable && ReplaceFileSafely(kept.c_str(), content)) {
        Hold(0, "Settings file not read: its content is kept in wendle.ini.rejected");
    } else {
        m_bKeepSettings = true;
        Hold(0, "Settings file cannot be read: it is left as it is");
    }
}

int guiMainWnd::read_config(const char *path)
{
    FILE *fp = fopen(path, "r");
    if (!fp)
        return 0;
    std::string slots[SETTINGS_COUNT];
    int ok = ReadSettings(fp, slots, SETTING_VALUE_MAX);
    fclose(fp);
    if (ok == -1)
        return -1;
    // The last folder and the terminal live in fixed buffers: a value they
    // cannot hold whole is no value the program wrote.
    if (!ok || slots[4].size() >= sizeof m_szLastDir || slots[5].size() >= sizeof m_szXterm)
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
    const char *values[SETTINGS_COUNT] = {inDynaLocation1->value(), inDynaLocation2->value(),
                                          inMem->value(),           inPause->value(),
                                          m_szLastDir,              m_szXterm};
    return ReplaceFileSafely(path, SettingsText(values)) ? 1 : 0;
}

void guiMainWnd::write_log(const char *path, bool departedOnly)
{
    // A job is logged once, with its outcome: one still running is logged
    // when it ends, after a later start of the program if need be.
    auto due = [](const Job &job) {
        return !job.logged && (job.state == JobState::Finished || job.state == JobState::Aborted);
    };
    std::string block;
    std::vector<int> rows, ids;
    for (int r = 1; !departedOnly && r <= m_queue.Rows(); r++) {
        if (due(m_queue.At(r))) {
            block += HistoryLine(m_queue.At(r));
            rows.push_back(r);
        }
    }
    for (const Job &job : m_queue.Departed()) {
        if (due(job)) {
            block += HistoryLine(job);
            ids.push_back(job.id);
        }
    }
    // A block that did not go in is written at the next chance.
    if (!AppendFileWhole(path, block))
        return;
    for (int r : rows)
        m_queue.SetLogged(r);
    for (int id : ids)
        m_queue.Forget(id);
    // Until the marks are saved, a crash would have these jobs logged again.
    if (!block.empty())
        m_queueFile.SaveNow();
}

void guiMainWnd::DepartedJobEnded(int)
{
    if (!m_szUsrProfile[0])
        return;
    char log[PROFILE_PATH_SIZE];
    snprintf(log, sizeof log, "%s/wendle_history.log", m_szUsrProfile);
    write_log(log, true);
}

void guiMainWnd::queue_not_saved(const std::string &text, void *data)
{
    static_cast<guiMainWnd *>(data)->Hold(0, text);
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
    // Job terminals still open are separate processes and keep running;
    // their jobs stay in the saved queue and are followed at the next start.
    m_queueFile.Close();
    hide();
    Fl::delete_widget(this);
}
