// Stands in for the Win32 scroll-bar calls on a window's own two bars
// (SetScrollInfo, GetScrollInfo, ShowScrollBar, EnableScrollBar,
// ScrollWindow and the older position and range calls).
//
// The bars sit at the right and bottom edges of the control's widget; a
// visible bar is outside the client area, and showing or hiding one resizes
// the client (WM_SIZE). The program owns the position: a click, an arrow held
// down (repeated by the toolkit), a page click or a thumb drag only sends
// WM_VSCROLL / WM_HSCROLL (SB_LINEUP..., SB_THUMBTRACK with the track
// position in the high word of wParam, SB_THUMBPOSITION on release, then
// SB_ENDSCROLL) through the control's WindowProc; the bar moves when the
// program sets its position.
#pragma once

#include <cstdint>

#include "platform/qt/Controls.h"

struct TScrollInfo {
  unsigned cbSize = sizeof(TScrollInfo);
  unsigned fMask = 0;
  int nMin = 0;
  int nMax = 0;
  unsigned nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

inline constexpr unsigned SIF_RANGE = 0x0001;
inline constexpr unsigned SIF_PAGE = 0x0002;
inline constexpr unsigned SIF_POS = 0x0004;
inline constexpr unsigned SIF_DISABLENOSCROLL = 0x0008;
inline constexpr unsigned SIF_TRACKPOS = 0x0010;
inline constexpr unsigned SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

inline constexpr unsigned ESB_ENABLE_BOTH = 0x0000;
inline constexpr unsigned ESB_DISABLE_BOTH = 0x0003;

// Win32 rules: the page is held within 0..(nMax - nMin + 1); the position
// within nMin..(nMax - max(nPage - 1, 0)). When a range or page change makes
// the bar unnecessary (nMin >= nMax - max(nPage - 1, 0)) the bar is hidden,
// or only disabled with SIF_DISABLENOSCROLL; a change that makes it
// necessary shows and enables it (except a change of the page alone).
// Returns the new position.
int SetScrollInfo(HWND wnd, int bar, const TScrollInfo* info, bool redraw);
inline int SetScrollInfo(HWND wnd, int bar, const TScrollInfo& info, bool redraw) {
  return SetScrollInfo(wnd, bar, &info, redraw);
}
// Fills the fields named by info->fMask; nTrackPos is the dragged thumb's
// position while the user drags it, else the position. False for a bad bar.
bool GetScrollInfo(HWND wnd, int bar, TScrollInfo* info);
inline bool GetScrollInfo(HWND wnd, int bar, TScrollInfo& info) { return GetScrollInfo(wnd, bar, &info); }
int GetScrollPos(HWND wnd, int bar);
int SetScrollPos(HWND wnd, int bar, int pos, bool redraw);  // returns the previous position
bool ShowScrollBar(HWND wnd, int bar, bool show);  // bar SB_HORZ, SB_VERT or SB_BOTH
bool EnableScrollBar(HWND wnd, unsigned bar, unsigned arrows);
bool IsScrollBarVisible(HWND wnd, int bar);

// Moves the pixels of rect (null = the client area) by (dx, dy), clipped to
// clip (null = the client area) and invalidates the uncovered part (which
// ValidateRect may drop again). The caret is hidden during the move.
bool ScrollWindow(HWND wnd, int dx, int dy, const TRect* rect, const TRect* clip);
