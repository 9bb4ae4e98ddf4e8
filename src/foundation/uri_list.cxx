#include "foundation/uri_list.h"

#include <strings.h>

namespace {

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool same_host(const std::string &a, const char *b)
{
    return b && *b && strcasecmp(a.c_str(), b) == 0;
}

// The local path one line names, or "" with why set.
std::string local_path(const std::string &line, const char *host, std::string *why)
{
    if (line.find('\0') != std::string::npos) {
        *why = "a NUL byte";
        return "";
    }
    if (line.size() < 5 || strncasecmp(line.c_str(), "file:", 5) != 0) {
        *why = "not a file";
        return "";
    }
    std::string rest = line.substr(5);
    if (rest.compare(0, 2, "//") == 0) {
        size_t slash = rest.find('/', 2);
        std::string authority = rest.substr(2, slash == std::string::npos ? slash : slash - 2);
        if (!authority.empty() && strcasecmp(authority.c_str(), "localhost") != 0 &&
            !same_host(authority, host)) {
            *why = "a file on another machine (" + authority + ")";
            return "";
        }
        rest = slash == std::string::npos ? "" : rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') {
        *why = "no path";
        return "";
    }
    std::string path;
    if (!UriList_Unescape(rest, &path)) {
        *why = "a bad %-escape";
        return "";
    }
    return path;
}

} // namespace

bool UriList_Unescape(const std::string &s, std::string *out)
{
    out->clear();
    out->reserve(s.size());
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] != '%') {
            out->push_back(s[i]);
            continue;
        }
        int hi = i + 2 < s.size() ? hex_value(s[i + 1]) : -1;
        int lo = hi >= 0 ? hex_value(s[i + 2]) : -1;
        if (lo < 0 || (hi == 0 && lo == 0))
            return false;
        out->push_back((char)(hi * 16 + lo));
        i += 2;
    }
    return true;
}

void UriList_Parse(const char *text, size_t len, const char *host, UriList *out)
{
    out->paths.clear();
    out->refused.clear();
    if (!text)
        return;
    size_t start = 0;
    while (start < len) {
        size_t end = start;
        while (end < len && text[end] != '\n')
            end++;
        std::string line(text + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string why;
        std::string path = local_path(line, host, &why);
        if (path.empty())
            out->refused.push_back({line, why});
        else
            out->paths.push_back(path);
    }
}
