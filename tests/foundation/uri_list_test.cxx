// Dropped file lists as file managers write them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/uri_list.h"

namespace {

TEST(UriListTest, PathsAndRefusals)
{
    // whys: of the refused lines, in order.
    struct Case { const char *name; std::string text; std::vector<std::string> paths, whys; }
    cases[] = {
        {"one, no line end", "file:///home/u/a.k", {"/home/u/a.k"}, {}},
        {"CR LF, LF, blank and comment lines",
         "# from a file manager\r\nfile:///a/x.k\r\n\r\nfile:///b/y.dyn\nfile:///c/z.key\r\n",
         {"/a/x.k", "/b/y.dyn", "/c/z.key"}, {}},
        {"escapes", "file:///jobs/my%20deck%2b1.k\r\nfile:///jobs/caf%C3%a9.k\r\nfile:///a+b c.k",
         {"/jobs/my deck+1.k", "/jobs/caf\xC3\xA9.k", "/a+b c.k"}, {}},
        {"hosts", "file://localhost/l.k\r\nfile://MYHOST/m.k\r\nfile://other/o.k\r\nfile:/s.k",
         {"/l.k", "/m.k", "/s.k"}, {"a file on another machine (other)"}},
        {"garbage",
         std::string("hello world\r\nhttp://x/y.k\r\nfile:///bad%2\r\nfile:///n%00.k\r\n") +
             "file:///g%zz.k\r\nfile://host-only\r\nfile:///nul" + '\0' + ".k",
         {}, {"not a file", "not a file", "a bad %-escape", "a bad %-escape", "a bad %-escape",
              "a file on another machine (host-only)", "a NUL byte"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        UriList list;
        UriList_Parse(c.text.data(), c.text.size(), "myhost", &list);
        EXPECT_EQ(c.paths, list.paths);
        std::vector<std::string> whys;
        for (const UriList::Refusal &r : list.refused)
            whys.push_back(r.why);
        EXPECT_EQ(c.whys, whys);
    }
}

} // namespace
