// Keeps the input that reached the program's windows while a read of the X
// clipboard waited, until a message box that the read leads to (an error,
// a text that lost characters) has closed. Such a box blocks the other
// windows, and the toolkit drops the keys and requests to close that reach a
// blocked window: kept here, they reach their windows after the box, as
// they do when no box follows. Private to platform/qt.
#pragma once

// Called on the GUI thread right after the read, before anything can show a
// box. Takes the keys and window manager's requests to close that are queued
// for the program's windows at this moment, and hands them to the same
// windows once the windows that were modal now are so again (at once when no
// box showed). Does nothing off X.
void KeepInputHeldBackByClipboardRead();
