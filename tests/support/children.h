// Child processes of the test itself.
#pragma once

// Children of this process that ended and were never waited for.
int zombie_children();
