// Any history of a message file: the incremental look agrees at every step
// with a full read from the start by the line rules.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/comfunction.h"
#include "runner/message_watch.h"
#include "fuzz_check.h"
#include "support/line_rules.h"

// The input is a list of steps: a byte for the kind of change and the
// slice size, a byte for a length, then that many bytes of text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &path = fuzz_scratch_file("messag");
    unlink(path.c_str());
    std::string text;
    MessageWatch watch;
    watch.Start(path, false);
    size_t at = 0;
    while (at + 2 <= size) {
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
            break;
        case 1:  // cut to a length
            if (truncate(path.c_str(), (off_t)(len % (text.size() + 1))) == 0)
                text.resize(len % (text.size() + 1));
            bytes.clear();
            break;
        case 2:  // rewritten from its start
            fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
            if (text.size() < bytes.size())
                text.resize(bytes.size());
            text.replace(0, bytes.size(), bytes);
            break;
        default:  // replaced by another file
            unlink(path.c_str());
            fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
            text = bytes;
            break;
        }
        if (fd >= 0) {
            if (!bytes.empty() && (kind == 0 ? write(fd, bytes.data(), bytes.size())
                                             : pwrite(fd, bytes.data(), bytes.size(), 0)) !=
                                      (ssize_t)bytes.size())
                abort();
            close(fd);
        }
        int code = -1;
        bool more = true;
        while (more)
            code = watch.Check(slice, &more);
        if (code != full_message_read(text))
            abort();
    }
    return 0;
}
