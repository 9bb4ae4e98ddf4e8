// A run over a queue, with no window: jobs in a fresh HOME, the recording
// terminal (tests/support/tools/recterm.c) as the terminal, and an observer
// that notes what the run told it, one line per event.
#pragma once
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run/run.h"
#include "run/run_settings.h"
#include "support/children.h"
#include "support/gui.h"
#include "support/tempdir.h"

const std::string kRecTerm = WENDLE_BUILD_DIR "/tests/recterm";
const std::string kNormal = " N o r m a l    t e r m i n a t i o n\n";

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

class RunTest : public ::testing::Test, public RunObserver {
protected:
    void SetUp() override
    {
        jobs = std::filesystem::canonical(home.mkdir("jobs")).string() + "/";
        record = home.file("record.txt");
        setenv("WENDLE_TERM_RECORD", record.c_str(), 1);
        setenv("RECTERM_EXEC", "1", 1);
        getcwd(oldCwd, sizeof oldCwd);
        home.mkdir("solver");
        // It runs until its folder holds a file "stop", then ends normally
        // in "messag" (or until the folder is gone: a test that ends
        // removes it).
        waiter = program("waiter",
                         "#!/bin/sh\nwhile [ ! -e stop ] && [ -d \"$PWD\" ]; do sleep 0.05; done\n"
                         "[ -e stop ] && echo '" + kNormal.substr(0, kNormal.size() - 1) +
                             "' >>messag\n");
        setup.single = waiter;
        setup.dbl = program("double", "#!/bin/sh\nexit 0\n");
        setup.terminal = kRecTerm;
        settings.Load(home.file("wendle_run.ini"));
    }
    void TearDown() override
    {
        for (auto &entry : std::filesystem::recursive_directory_iterator(jobs))
            if (entry.is_directory())
                std::ofstream(entry.path().string() + "/stop");
        std::ofstream(jobs + "stop");
        run.Reset();
        gui::wait_for(3, [](void *) { return zombie_children() == 0; });
        unsetenv("WENDLE_TERM_RECORD");
        unsetenv("RECTERM_EXEC");
        chdir(oldCwd);
    }

    std::string program(const char *name, const std::string &text, mode_t mode = 0755)
    {
        std::string path = home.write(std::string("solver/") + name, text);
        chmod(path.c_str(), mode);
        return path;
    }
    // A folder of its own below the jobs folder, ending in "/".
    std::string folder(const std::string &name)
    {
        std::string dir = jobs + name + "/";
        if (!file_exists(dir))
            home.mkdir("jobs/" + name);
        return dir;
    }
    int add(const std::string &dir, const std::string &deck = "case1.k", const char *mb = "300",
            const char *sec = "1", int precision = 0)
    {
        Job job;
        job.deck = dir + deck;
        job.size = "1K";
        job.mb = mb;
        job.sec = sec;
        job.precision = precision;
        return queue.Add(job);
    }
    int add_restart(const std::string &dump, const std::string &deck = "")
    {
        Job job;
        job.kind = deck.empty() ? JobKind::RestartFromDump : JobKind::RestartWithDeck;
        job.dump = dump;
        job.deck = deck;
        job.mb = "300";
        job.sec = "1";
        return queue.Add(job);
    }
    std::string status(int row) { return StateText(queue.At(row).state); }
    std::vector<std::string> statuses()
    {
        std::vector<std::string> out;
        for (int r = 1; r <= queue.Rows(); r++)
            out.push_back(status(r));
        return out;
    }
    // Waits for the terminal to have been started `count` times in all.
    std::vector<Start> starts(size_t count, double seconds = 5)
    {
        wanted = count;
        gui::wait_for(seconds, [](void *p) {
            RunTest *t = static_cast<RunTest *>(p);
            return parse_record(read_file(t->record)).size() >= t->wanted;
        }, this);
        return parse_record(read_file(record));
    }
    bool wait_status(int r, const char *word, double seconds = 10)
    {
        row = r;
        want = word;
        return gui::wait_for(seconds, [](void *p) {
            RunTest *t = static_cast<RunTest *>(p);
            return t->status(t->row) == t->want;
        }, this);
    }
    bool wait_idle(double seconds = 10)
    {
        return gui::wait_for(seconds, [](void *p) { return !static_cast<::Run *>(p)->Reading(); },
                             &run);
    }
    bool wait_end(double seconds = 20)
    {
        return gui::wait_for(seconds, [](void *p) { return !static_cast<::Run *>(p)->Active(); },
                             &run);
    }
    // Ends the job running in dir: its solver writes `text` into its
    // message file and quits; with checkNow a check follows at once.
    void end_job(const std::string &dir, const std::string &text = kNormal, bool checkNow = true)
    {
        if (!text.empty())
            std::ofstream(dir + "messag", std::ios::app) << text;
        std::ofstream(dir + "stop");
        if (checkNow) {
            // The terminal takes a moment to go.
            gui::wait_for(0.3);
            run.Check();
        }
        wait_idle();
    }
    bool saw(const std::string &event) const
    {
        for (const std::string &e : events)
            if (e == event)
                return true;
        return false;
    }

    void JobWaiting(int r) override { events.push_back("waiting " + std::to_string(r)); }
    void JobStarted(int r) override { events.push_back("started " + std::to_string(r)); }
    void JobEnded(int r, Outcome o, bool stopAsked) override
    {
        static const char *const kNames[] = {"Normal", "Error", "Undecided", "EmptyUnwritable"};
        events.push_back("ended " + std::to_string(r) + " " + kNames[(int)o] +
                         (stopAsked ? " stopped" : ""));
    }
    void ProgressChanged() override {}
    void HealthTripped(int r, unsigned kinds) override
    {
        events.push_back("health " + std::to_string(r) + " " + std::to_string(kinds));
    }
    void Message(const std::string &text) override { events.push_back(text); }
    void Alert(const std::string &text) override { events.push_back("alert " + text); }
    void RunEnded(const RunCounts &c) override
    {
        events.push_back("run ended " + std::to_string(c.succeeded) + " " +
                         std::to_string(c.failed) + (c.stopped ? " stopped" : ""));
    }
    void DepartedJobEnded(int id) override
    {
        const Job *job = queue.DepartedJob(id);
        events.push_back("departed " + (job ? HistoryLine(*job) : std::string("?\n")));
    }

    TempDir home;
    ScopedEnv homeEnv{"HOME", home.path().c_str()};
    Queue queue;
    RunSettings settings;
    ::Run run{queue, settings, *this};
    RunSetup setup;
    std::vector<std::string> events;
    std::string jobs, record, waiter;
    char oldCwd[4096];
    size_t wanted = 0;
    int row = 0;
    std::string want;
};
