// Fuzzes the dialog description readers: a whole block is read line by
// line, each line into a widget description at several scales, and every
// field of it with the quote-aware readers. Input: the description block.
#include "fuzz_check.h"

#include "dialogs/dialog_description.h"

#include <FL/Fl_Window.H>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

static bool inside(int v, int low, int high)
{
    return v >= low && v <= high;
}

static void read_fields(const char *line)
{
    static const int sizes[] = {0, 1, 4, DLG_ID_SIZE, DLG_LINE_SIZE};
    for (int i = 0; i <= 21; i++) {
        for (int size : sizes) {
            char out[DLG_LINE_SIZE];
            if (GetKeywordQuotation(line, i, out, size) == 1 && size > 0)
                fuzz_check(strlen(out) < (size_t)size, "field longer than its buffer");
        }
        ReadIntFieldQuotation(line, i);
    }
    char copy[DLG_LINE_SIZE];
    snprintf(copy, sizeof copy, "%s", line);
    int quotes = GetQuotationNum(copy);
    DelQuotation(copy);
    fuzz_check(quotes > 0 || strcmp(copy, line) == 0, "a line without quotes changed");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const float scales[] = {1.0f, 1.5f, 0.55f, -2.0f, 1e30f, NAN, INFINITY};
    const char *text = reinterpret_cast<const char *>(data);
    char line[DLG_LINE_SIZE];
    int pos = 0;
    int lines = 0;
    while (DlgReadLine(text, (int)size, &pos, line) == 0) {
        fuzz_check(++lines <= DLG_BLOCK_SIZE, "more lines than bytes");
        fuzz_check(strlen(line) < DLG_LINE_SIZE, "line longer than its buffer");
        read_fields(line);
        for (float sx : scales) {
            DlgLine d;
            if (!DlgParseLine(line, sx, 1.0f, &d))
                continue;
            fuzz_check(inside(d.x, -DLG_MAX_EXTENT, DLG_MAX_EXTENT) &&
                           inside(d.w, 0, DLG_MAX_EXTENT),
                       "rectangle out of bounds");
            fuzz_check(d.box < FL_FREE_BOXTYPE && d.downBox < FL_FREE_BOXTYPE, "box type");
            fuzz_check(d.labelType <= _FL_EMBOSSED_LABEL, "label type");
            fuzz_check(d.labelFont < FL_FREE_FONT, "font");
            fuzz_check(d.type < FL_WINDOW, "window type");
            fuzz_check(strlen(d.id) < DLG_ID_SIZE && strlen(d.label) < DLG_LABEL_SIZE &&
                           strlen(d.tooltip) < DLG_TOOLTIP_SIZE &&
                           strlen(d.keyword) < DLG_KEYWORD_SIZE,
                       "text longer than its buffer");
        }
    }
    return 0;
}
