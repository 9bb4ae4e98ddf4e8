#include "dialogs/dialog_description.h"

#include "foundation/lang_converter.h"

#include <FL/Fl_Window.H>

#include <cmath>
#include <cstdio>
#include <cstring>

int GetQuotationNum(const char *item)
{
    int n = 0;
    for (; *item; item++)
        if (*item == '"')
            n++;
    return n;
}

void DelQuotation(char *item)
{
    char *first = strchr(item, '"');
    if (!first)
        return;
    char *second = strchr(first + 1, '"');
    size_t len = second ? (size_t)(second - first - 1) : strlen(first + 1);
    memmove(item, first + 1, len);
    item[len] = '\0';
}

// The first comma at or after `from` that has an even number of double
// quotes between the field start and itself; null when there is none.
static char *comma_outside_quotes(char *start, char *from)
{
    for (char *c = strchr(from, ','); c; c = strchr(c + 1, ',')) {
        int quotes = 0;
        for (char *p = start; p < c; p++)
            if (*p == '"')
                quotes++;
        if (quotes % 2 == 0)
            return c;
    }
    return nullptr;
}

// Points `field` at field n (from 1) of the working copy; false when the
// line has too few separating commas.
static bool seek_field(char *copy, int n, char **field)
{
    char *start = copy;
    for (int k = 1; k < n; k++) {
        char *c = comma_outside_quotes(start, start);
        if (!c)
            return false;
        start = c + 1;
    }
    *field = start;
    return true;
}

int GetKeywordQuotation(const char *line, int i, char *str, int size)
{
    char copy[DLG_LINE_SIZE];
    snprintf(copy, sizeof copy, "%s", line);
    char *field;
    if (!seek_field(copy, i, &field))
        return -1;
    if (char *c = comma_outside_quotes(field, field))
        *c = '\0';
    if (char *nl = strchr(field, '\n'))
        *nl = '\0';
    DelQuotation(field);
    // Cut to the caller's buffer.
    if (size > 0) {
        size_t n = strnlen(field, (size_t)size - 1);
        memcpy(str, field, n);
        str[n] = '\0';
    }
    return 1;
}

int ReadIntFieldQuotation(const char *line, int n)
{
    char copy[DLG_LINE_SIZE];
    snprintf(copy, sizeof copy, "%s", line);
    char *field;
    return seek_field(copy, n, &field) ? ReadIntText(field) : 0;
}

int DlgReadLine(const char *text, int length, int *pos, char *line)
{
    line[0] = '\0';
    if (!text || *pos < 0)
        return -1;
    // The zero bytes after the copy end the last line and the block.
    char block[DLG_READ_SIZE] = {0};
    memcpy(block, text, (size_t)(length < 0 ? 0 : length > DLG_BLOCK_SIZE ? DLG_BLOCK_SIZE : length));
    // The header "name=" shares the first line; no "=" there means no body.
    const char *eq = static_cast<const char *>(memchr(block, '=', strlen(block)));
    if (!eq)
        return -1;
    size_t at = (size_t)(eq - block) + 1 + (size_t)*pos;
    if (at >= sizeof block || block[at] == '\0')
        return -1;
    size_t len = strlen(block + at);
    snprintf(line, DLG_LINE_SIZE, "%s", block + at);
    *pos += (int)len + 1;
    return 0;
}

// v times scale, truncated toward zero and kept within [low, DLG_MAX_EXTENT].
static int scaled(int v, float scale, int low)
{
    double f = (double)v * (double)scale;
    if (std::isnan(f))
        return 0;
    if (f < low)
        return low;
    if (f > DLG_MAX_EXTENT)
        return DLG_MAX_EXTENT;
    return (int)f;
}

// FLTK draws a box type through a table whose entries past the predefined
// types are empty.
static Fl_Boxtype box_type(int v)
{
    return v >= 0 && v < (int)FL_FREE_BOXTYPE ? (Fl_Boxtype)v : FL_NO_BOX;
}

// The label types after these take the label for a picture or a list of
// labels rather than for text.
static Fl_Labeltype label_type(int v)
{
    return v >= 0 && v <= (int)_FL_EMBOSSED_LABEL ? (Fl_Labeltype)v : FL_NORMAL_LABEL;
}

int DlgParseLine(const char *line, float sx, float sy, DlgLine *out)
{
    memset(out, 0, sizeof *out);
    if (line[0] == '\0' || line[0] == '#')
        return 0;
    if (GetKeywordQuotation(line, 1, out->id, sizeof out->id) != 1 ||
        GetKeywordQuotation(line, 2, out->keyword, sizeof out->keyword) != 1 ||
        GetKeywordQuotation(line, 3, out->label, sizeof out->label) != 1)
        return 0;
    out->x = scaled(ReadIntFieldQuotation(line, 4), sx, -DLG_MAX_EXTENT);
    out->y = scaled(ReadIntFieldQuotation(line, 5), sy, -DLG_MAX_EXTENT);
    out->w = scaled(ReadIntFieldQuotation(line, 6), sx, 0);
    out->h = scaled(ReadIntFieldQuotation(line, 7), sy, 0);
    out->box = box_type(ReadIntFieldQuotation(line, 8));
    out->downBox = box_type(ReadIntFieldQuotation(line, 9));
    out->color = (unsigned int)ReadIntFieldQuotation(line, 10);
    out->selectColor = (unsigned int)ReadIntFieldQuotation(line, 11);
    out->labelType = label_type(ReadIntFieldQuotation(line, 12));
    int font = ReadIntFieldQuotation(line, 13) & 0xff;
    out->labelFont = (unsigned char)(font < FL_FREE_FONT ? font : FL_HELVETICA);
    out->labelSize = (unsigned char)(ReadIntFieldQuotation(line, 14) & 0xff);
    out->labelColor = (unsigned int)ReadIntFieldQuotation(line, 15);
    out->align = (unsigned char)(ReadIntFieldQuotation(line, 16) & 0xff);
    // FLTK takes a widget of a window type for a window.
    int type = ReadIntFieldQuotation(line, 17) & 0xff;
    out->type = (unsigned char)(type >= FL_WINDOW ? DLG_KEEP_TYPE : type);
    if (GetKeywordQuotation(line, 18, out->tooltip, sizeof out->tooltip) != 1)
        out->tooltip[0] = '\0';
    return 1;
}
