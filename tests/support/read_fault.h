// Reads that fail part-way, as on a bad disk, for the test that is running:
// the test runs again in a child process with the preload library of
// read_fault.c, and there makes reads of one file fail from a given byte on
// (EIO; a read across that byte comes short).
#pragma once
#include <string>

// True in the child, where set_read_fault takes effect.
bool in_read_fault_child();
// Runs the current test again in a child and waits for it (60 s at most):
// "" when its test passed, else what went wrong (its own report is in the
// output above).
std::string rerun_with_read_fault();
// Reads of path fail from byte `at` on; a negative `at` lifts the fault.
void set_read_fault(const std::string &path, long long at);
