// Fresh temporary folders and scoped environment changes for tests.
#pragma once
#include <string>

// A folder under /tmp made for one test and removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return m_path; }
    // path() + "/" + name
    std::string file(const std::string &name) const;
    // Writes a file below the folder (creating no subfolders) and returns its path.
    std::string write(const std::string &name, const std::string &content) const;
    std::string mkdir(const std::string &name) const;

private:
    std::string m_path;
};

// Sets (or, with a null value, unsets) an environment variable and restores
// the previous state when it goes out of scope.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld;
};

// Whole content of a file, or "" when it cannot be read.
std::string read_file(const std::string &path);
bool file_exists(const std::string &path);
