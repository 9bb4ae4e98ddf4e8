// The dialog description format: a block of NUL-ended widget lines after a
// "name=" header, the quote-aware readers of a line's comma-separated
// fields, and the reading of one line into a widget description whose every
// value is safe to build from. Nothing here needs a display.
#pragma once
#include <FL/Enumerations.H>

// Buffer sizes of the format (each holds its limit plus NUL).
enum {
    DLG_BLOCK_SIZE = 833,     // bytes of a description ever read
    DLG_READ_SIZE = 850,      // zero-filled copy the reader works on
    DLG_LINE_SIZE = 1024,
    DLG_ID_SIZE = 32,
    DLG_KEYWORD_SIZE = 61,
    DLG_LABEL_SIZE = 128,
    DLG_TOOLTIP_SIZE = 256,
    DLG_NAME_SIZE = 64
};

// Positions and sizes are kept within this many pixels, so that no line can
// ask for a window or widget beyond any screen (a double-buffered window
// holds a picture of its whole size).
enum { DLG_MAX_EXTENT = 8192 };

// Field i (from 1) of a description line into str (size bytes, cut to fit),
// with the text between its first two double quotes when it has any.
// 1, or -1 when the line has fewer than i - 1 commas outside quotes.
int GetKeywordQuotation(const char *line, int i, char *str, int size);
// The integer at the start of field n; 0 when missing or not numeric.
int ReadIntFieldQuotation(const char *line, int n);
int GetQuotationNum(const char *item);
// Keeps the text between the first and second double quote (to the end
// when there is no second); no change without a double quote.
void DelQuotation(char *item);

// The next line of a description block of `length` bytes (at most
// DLG_BLOCK_SIZE of them are read) into line (DLG_LINE_SIZE bytes), *pos
// being the read offset within the body after "name=": 0 with a line and
// *pos moved past it, -1 when no line is left.
int DlgReadLine(const char *text, int length, int *pos, char *line);

// One widget line as the builder uses it.
struct DlgLine {
    char id[DLG_ID_SIZE];
    char keyword[DLG_KEYWORD_SIZE];
    char label[DLG_LABEL_SIZE];
    char tooltip[DLG_TOOLTIP_SIZE];
    int x, y, w, h;  // scaled, truncated and kept within DLG_MAX_EXTENT
    Fl_Boxtype box, downBox;
    unsigned int color, selectColor, labelColor;
    Fl_Labeltype labelType;
    unsigned char labelFont, labelSize, align;
    // The widget type, or DLG_KEEP_TYPE for the one the class was made with.
    unsigned char type;
};
enum { DLG_KEEP_TYPE = 99 };

// Reads a line, its rectangle scaled by sx and sy. 1 with a widget (or
// window) line in out; 0 for a comment, an empty line or one without
// identifier, keyword or label. Values FLTK could not draw from (box and
// label types outside its tables, fonts it does not have, the types that
// mark windows) are replaced by harmless ones.
int DlgParseLine(const char *line, float sx, float sy, DlgLine *out);
