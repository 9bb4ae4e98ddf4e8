// Folder paths and file names shown as they are, although the toolkit reads
// labels as markup ("@" starts a symbol, "&" marks a shortcut).
#pragma once
#include <FL/Enumerations.H>

#include <cstddef>

// The label type that draws a label's text as it is; registered with the
// toolkit at the first call.
Fl_Labeltype PlainLabel_Type();

// text with every "@" doubled, into out (size bytes), for the labels that
// cannot take PlainLabel_Type, such as an alert's message; "&" marks
// nothing there. Cut to fit, but never between the two "@" of a pair.
void PlainLabel_Escape(const char *text, char *out, size_t size);
