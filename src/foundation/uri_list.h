// uri_list: the text/uri-list that a file manager hands over when files are
// dropped (RFC 2483): one URI a line, file:// URIs percent-encoded.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

struct UriList {
    struct Refusal {
        std::string entry;  // the line as it came
        std::string why;
    };
    std::vector<std::string> paths;  // the local files named, decoded, in order
    std::vector<Refusal> refused;    // the lines that name none
};

// Parses len bytes of text into out (emptied first). Lines end in CR LF or
// in LF alone; blank lines and "#" comments are skipped. A line is a local
// file when it is file:///path, file://localhost/path, file://HOST/path
// with HOST the host named (this machine's name; case does not matter) or
// file:/path. Any other host or scheme, a "%" not followed by two hex
// digits, or an encoded NUL is refused with the reason. host may be null.
void UriList_Parse(const char *text, size_t len, const char *host, UriList *out);

// Decodes %XX escapes of s into out: false, with out undefined, for a bad
// escape or an encoded NUL.
bool UriList_Unescape(const std::string &s, std::string *out);
