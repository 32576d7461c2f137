// Stands in for the Win32 system caret: one caret per program, owned by one
// window, with a cumulative hide count.
//
// CreateCaret makes the caret hidden (count 1); every HideCaret adds one,
// every ShowCaret takes one away but never below zero; it is drawn while the
// count is zero, as an inverting overlay over the window's image (it never
// touches the control's own pixels), blinking by itself at the desktop's
// cursor flash time. Moving or showing it restarts the blink phase "on".
#pragma once

#include "platform/qt/Controls.h"
#include "platform/qt/Graphics.h"

// bitmap: null for a solid caret of width x height; else the caret is the
// bitmap's shape (its non-black pixels invert) and width/height are ignored.
bool CreateCaret(HWND wnd, TBitmap* bitmap, int width, int height);
bool DestroyCaret();
bool SetCaretPos(int x, int y);  // client coordinates of the owner
// wnd null or the owner; false when the caret does not exist or belongs to
// another window.
bool ShowCaret(HWND wnd);
bool HideCaret(HWND wnd);

// Inspection of the caret state (tests, debugging).
struct TCaretState {
  bool Exists = false;
  HWND Owner = nullptr;
  int HideCount = 0;
  TRect Bounds;          // client coordinates
  bool Visible = false;  // HideCount is zero
  bool BlinkOn = false;  // in the drawn half of the blink cycle
};
TCaretState GetCaretState();
