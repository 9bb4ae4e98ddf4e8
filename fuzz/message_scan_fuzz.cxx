// Any history of a message file: the incremental look agrees at every step
// with a full read from the start by the line rules, of the whole file or of
// what followed an earlier run's part while that part stays.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/comfunction.h"
#include "solver/message_watch.h"
#include "fuzz_check.h"
#include "support/line_rules.h"

static struct timespec mtime_of(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mtim : timespec{0, 0};
}

// The input is a list of steps: a byte for the kind of change and the
// slice size, a byte for a length, then that many bytes of text. With the
// top bit of the first byte, the first step makes the earlier run's file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &path = fuzz_scratch_file("messag");
    unlink(path.c_str());
    std::string text;
    bool exists = false;
    MessageWatch watch;
    watch.Start(path, false);
    bool baseline = size > 0 && (data[0] & 0x80);
    std::string base;
    struct timespec baseTime = {0, 0};
    bool kept = false;
    size_t at = 0;
    for (int step = 0; at + 2 <= size; step++) {
        int kind = data[at] & 3;
        size_t slice = (size_t)(data[at] >> 2) + 1;
        size_t len = data[at + 1];
        at += 2;
        if (len > size - at)
            len = size - at;
        std::string bytes((const char *)data + at, len);
        at += len;
        int fd = -1;
        switch (kind) {
        case 0:  // appended
            fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
            text += bytes;
            kept = kept && exists;
            break;
        case 1:  // cut to a length
            if (truncate(path.c_str(), (off_t)(len % (text.size() + 1))) == 0)
                text.resize(len % (text.size() + 1));
            bytes.clear();
            break;
        case 2:  // rewritten from its start
            fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
            kept = kept && exists;
            if (text.size() < bytes.size())
                text.resize(bytes.size());
            text.replace(0, bytes.size(), bytes);
            break;
        default:  // replaced by another file
            unlink(path.c_str());
            fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
            text = bytes;
            kept = false;
            break;
        }
        exists = exists || fd >= 0;
        if (fd >= 0) {
            if (!bytes.empty() && (kind == 0 ? write(fd, bytes.data(), bytes.size())
                                             : pwrite(fd, bytes.data(), bytes.size(), 0)) !=
                                      (ssize_t)bytes.size())
                abort();
            close(fd);
        }
        if (baseline && step == 0) {
            watch.Start(path, true);
            base = text;
            baseTime = mtime_of(path);
            kept = exists;
            continue;
        }
        // Written again without growing, the earlier run's part counts.
        struct timespec now = mtime_of(path);
        bool rewritten = text.size() == base.size() &&
                         (now.tv_sec != baseTime.tv_sec || now.tv_nsec != baseTime.tv_nsec);
        kept = kept && !rewritten && text.size() >= base.size() &&
               text.compare(0, base.size(), base) == 0;
        int code = -1;
        bool more = true;
        while (more)
            code = watch.Check(slice, &more);
        exists = true;
        if (code != full_message_read(kept ? text.substr(base.size()) : text))
            abort();
    }
    return 0;
}
