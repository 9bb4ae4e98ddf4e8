#include "support/tempdir.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

TempDir::TempDir()
{
    char tmpl[] = "/tmp/wendle-test-XXXXXX";
    char *p = mkdtemp(tmpl);
    if (!p)
        throw std::runtime_error("mkdtemp failed");
    m_path = p;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests make folders unreadable on purpose; give access back first.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec))
            chmod(it->path().c_str(), 0755);
    }
    chmod(m_path.c_str(), 0755);
    for (auto &e : std::filesystem::directory_iterator(m_path, ec))
        if (e.is_directory(ec))
            chmod(e.path().c_str(), 0755);
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string &name) const
{
    return m_path + "/" + name;
}

std::string TempDir::write(const std::string &name, const std::string &content) const
{
    std::string p = file(name);
    std::ofstream out(p, std::ios::binary);
    out << content;
    return p;
}

std::string TempDir::mkdir(const std::string &name) const
{
    std::string p = file(name);
    std::filesystem::create_directories(p);
    return p;
}

ScopedEnv::ScopedEnv(const char *name, const char *value) : m_name(name)
{
    const char *old = getenv(name);
    m_hadOld = old != nullptr;
    if (old)
        m_old = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_hadOld)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool file_exists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
