// The solver's sense switches: at the end of each time step it looks in its
// working folder for a file "D3KIL" holding one ("sw1." stop with a
// restart dump, "sw2." report time and cycle, "sw3." write a restart dump
// and go on, "sw4." write a plot state). And the restart dumps it leaves.
#pragma once
#include <string>

// Writes "swN." into folder's D3KIL through a file beside it that is then
// renamed, so the solver never reads half of it; a D3KIL that is a link is
// replaced, never followed. 1 when written; 0 with *why (when not null)
// saying what failed, and no file left behind; 0 for an n outside 1..4.
int WriteSenseSwitch(const char *folder, int n, std::string *why);

// Removes a D3KIL left in folder. 1 removed, -1 there was none, 0 it could
// not be removed.
int RemoveSenseSwitch(const char *folder);

// The newest restart dump in folder: of the regular files named "d3dump"
// and digits only (up to nine), the one with the highest number; of equal
// numbers ("d3dump01", "d3dump1"), the one changed last, then the one last
// in name order. 1 with *name set, -1 there is none, 0 the folder cannot be
// read.
int NewestRestartDump(const char *folder, std::string *name);
