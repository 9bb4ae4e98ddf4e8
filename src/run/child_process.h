// What a child process does between fork and exec.
#pragma once

// Closes every descriptor above the standard three. The program's own (its
// X connection above all) must not live on in a child, or the main window
// would stay on screen after the program ended. Only async-signal-safe
// calls: fit for the child side of a fork.
void CloseInheritedFds();
