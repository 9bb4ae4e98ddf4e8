// The run's own settings, kept in "wendle_run.ini" beside wendle.ini (whose
// six lines are fixed and read by other programs): lines "key=value". Lines
// the program does not know are kept as they are when it rewrites the file.
#pragma once
#include <string>
#include <vector>

#include "run/solver_command.h"

class RunSettings {
public:
    enum { JOBS_MIN = 1, JOBS_MAX = 64, CORES_MIN = 1, CORES_MAX = 4096 };

    // Reads the file. A missing file gives the defaults. Returns false when
    // a file is there but cannot be read whole: the defaults hold and the
    // file is never written by this object. Problem() then, or after a
    // value that was not used, says so in a line for the status line.
    bool Load(const std::string &path);
    const std::string &Problem() const { return m_problem; }

    // Jobs run at once, JOBS_MIN to JOBS_MAX; 1 unless the file says
    // otherwise.
    int Jobs() const { return m_jobs; }
    // Desktop notices when jobs end; on unless the file says "off".
    bool Notify() const { return m_notify; }
    // The cores of every job: cores=N (CORES_MIN to CORES_MAX, default 1),
    // mpi= (the launcher of the MPP solver, default none), consistent=on|off
    // (default off) and options= (further solver arguments, default none).
    // Options that carry an argument Wendle gives itself (i=, r=, memory=,
    // ncpu=) are not used. A launcher that names no program is found out
    // when a job starts.
    const CoreSettings &Cores() const { return m_cores; }

    // Set a value and save the file at once. False when it could not be
    // saved (the value still holds for this session).
    bool SetJobs(int jobs);
    bool SetNotify(bool on);
    bool SetCores(int cores);
    bool SetMpi(const std::string &launcher);

private:
    // The index of the line carrying key, or -1.
    int Find(const char *key) const;
    bool Save(const char *key, const std::string &value);
    void Reject(const std::string &line, const char *wanted, const std::string &used);
    // The value of key's line, trimmed; false when there is none.
    bool Value(const char *key, std::string *line, std::string *value) const;

    std::string m_path;
    std::vector<std::string> m_lines;  // as read, without their newlines
    bool m_writable = true;
    int m_jobs = 1;
    bool m_notify = true;
    CoreSettings m_cores;
    std::string m_problem;
};
