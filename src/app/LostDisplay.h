#pragma once

// When the connection to the X server breaks (a closed remote session, a crashed server), the
// program says so in one line on stderr and ends at once with status 1. Xlib's own handling
// prints its message and calls exit(), whose exit handlers then shut the graphics library
// down over the dead connection while the library's input thread still uses it: that
// sometimes aborted. Nothing is left to save, so no exit handler runs.
//
// Call once the graphics library has started (it names the display in the message).
void exitWhenTheDisplayIsLost();
