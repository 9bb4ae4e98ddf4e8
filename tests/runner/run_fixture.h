// A main window set up for runs: jobs in a temporary folder and the
// recording terminal stand-in as the terminal program.
#pragma once
#include <FL/Fl.H>
#include <FL/Fl_Input.H>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "grid/fltk_grid.h"
#include "mainwnd_fixture.h"
#include "support/children.h"

const std::string kRecTerm = WENDLE_BUILD_DIR "/tests/recterm";

// One start of the recording terminal.
struct Start {
    std::string cwd, memoryEnv;
    std::vector<std::string> args;
    std::vector<int> fds;  // descriptors it inherited beyond 0-2
};

inline std::vector<Start> parse_record(const std::string &text)
{
    std::vector<Start> starts(1);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line == "end")
            starts.emplace_back();
        else if (line.rfind("cwd=", 0) == 0)
            starts.back().cwd = line.substr(4);
        else if (line.rfind("LSTC_MEMORY=", 0) == 0)
            starts.back().memoryEnv = line.substr(12);
        else if (line.rfind("arg=", 0) == 0)
            starts.back().args.push_back(line.substr(4));
        else if (line.rfind("fd=", 0) == 0)
            starts.back().fds.push_back(std::stoi(line.substr(3)));
    }
    starts.pop_back();
    return starts;
}

class RunEngineTest : public MainWndTest {
protected:
    void SetUp() override
    {
        jobs = std::filesystem::canonical(home.mkdir("jobs")).string() + "/";
        record = home.file("record.txt");
        setenv("WENDLE_TERM_RECORD", record.c_str(), 1);
        setenv("RECTERM_EXEC", "0", 1);
        getcwd(oldCwd, sizeof oldCwd);
        // Jobs start only with solvers that can run.
        home.mkdir("solver");
        single = home.write("solver/single", "#!/bin/sh\nexit 0\n");
        dbl = home.write("solver/double", "#!/bin/sh\nexit 0\n");
        chmod(single.c_str(), 0755);
        chmod(dbl.c_str(), 0755);
    }
    void TearDown() override
    {
        MainWndTest::TearDown();
        unsetenv("WENDLE_TERM_RECORD");
        unsetenv("RECTERM_EXEC");
        unsetenv("STANDIN_RUN");
        unsetenv("STANDIN_END");
        chdir(oldCwd);
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    void open_engine()
    {
        open_window();
        snprintf(wnd->m_szXterm, sizeof wnd->m_szXterm, "%s", kRecTerm.c_str());
        wnd->inDynaLocation1->value(single.c_str());
        wnd->inDynaLocation2->value(dbl.c_str());
    }
    int add_job(const char *name, const char *type, const char *mb = "300", const char *sec = "1",
                int precision = 0, std::string folder = "")
    {
        Fl_Fltkgrid *g = wnd->m_grid;
        int r = g->AppendRow();
        g->SetChoiceValue(r, precision);
        g->SetMatrixText(r, 1, name);
        g->SetMatrixText(r, 2, (folder.empty() ? jobs : folder).c_str());
        g->SetMatrixText(r, 3, "1K");
        g->SetMatrixText(r, 4, type);
        g->SetMatrixText(r, 5, mb);
        g->SetMatrixText(r, 6, sec);
        g->SetMatrixText(r, 7, "Queued");
        g->SetMatrixColor(r, 7, 2);
        return r;
    }
    int add_restart(int kind, const std::string &dump, const std::string &deck = "")
    {
        int r = add_job("d3dump01", "Restart");
        row_data *d = new row_data();
        d->nType = kind;
        snprintf(d->szD3dump, sizeof d->szD3dump, "%s", dump.c_str());
        snprintf(d->szK, sizeof d->szK, "%s", deck.c_str());
        wnd->m_grid->SetRowData(r, d);
        return r;
    }
    // Starts row r's job directly and waits for the terminal's record.
    Start start_row(int r)
    {
        size_t before = parse_record(read_file(record)).size();
        wnd->m_curSub = r;
        wnd->real_rundynaprocess();
        Fl::remove_timeout(guiMainWnd::ChkMsg, wnd.get());
        for (int i = 0; i < 200 && parse_record(read_file(record)).size() == before; i++)
            usleep(20000);
        std::vector<Start> starts = parse_record(read_file(record));
        return starts.size() > before ? starts.back() : Start{};
    }
    std::string status(int r) { return wnd->m_grid->GetMatrixText(r, 7); }

    std::string jobs, record, single, dbl;
    char oldCwd[4096];
};

