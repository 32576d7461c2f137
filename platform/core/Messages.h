// Stands in for the window message record, message codes, virtual keys and the
// message-cracking records of Win32 and the class library.
#pragma once

#include <cstdint>
#include <type_traits>

struct TMessage {
  unsigned Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};

inline constexpr uint16_t LOWORD(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
inline constexpr uint16_t HIWORD(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
inline constexpr uint32_t MAKELONG(uint16_t lo, uint16_t hi) {
  return static_cast<uint32_t>(lo) | (static_cast<uint32_t>(hi) << 16);
}
inline constexpr uintptr_t MAKEWPARAM(uint16_t lo, uint16_t hi) { return MAKELONG(lo, hi); }
inline constexpr intptr_t MAKELPARAM(uint16_t lo, uint16_t hi) { return static_cast<intptr_t>(MAKELONG(lo, hi)); }

// Window messages.
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_SETFOCUS = 0x0007;
inline constexpr unsigned WM_KILLFOCUS = 0x0008;
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_NCPAINT = 0x0085;
inline constexpr unsigned WM_GETDLGCODE = 0x0087;
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_KEYUP = 0x0101;
inline constexpr unsigned WM_CHAR = 0x0102;
inline constexpr unsigned WM_SYSKEYDOWN = 0x0104;
inline constexpr unsigned WM_SYSKEYUP = 0x0105;
inline constexpr unsigned WM_IME_STARTCOMPOSITION = 0x010D;
inline constexpr unsigned WM_IME_ENDCOMPOSITION = 0x010E;
inline constexpr unsigned WM_IME_COMPOSITION = 0x010F;
inline constexpr unsigned WM_HSCROLL = 0x0114;
inline constexpr unsigned WM_VSCROLL = 0x0115;
inline constexpr unsigned WM_MOUSEFIRST = 0x0200;
inline constexpr unsigned WM_MOUSEMOVE = 0x0200;
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
inline constexpr unsigned WM_RBUTTONDOWN = 0x0204;
inline constexpr unsigned WM_RBUTTONUP = 0x0205;
inline constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
inline constexpr unsigned WM_MBUTTONDOWN = 0x0207;
inline constexpr unsigned WM_MBUTTONUP = 0x0208;
inline constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
inline constexpr unsigned WM_MOUSEWHEEL = 0x020A;
inline constexpr unsigned WM_CUT = 0x0300;
inline constexpr unsigned WM_COPY = 0x0301;
inline constexpr unsigned WM_PASTE = 0x0302;
inline constexpr unsigned WM_CLEAR = 0x0303;
inline constexpr unsigned WM_UNDO = 0x0304;

// The class library's control messages.
inline constexpr unsigned CM_BASE = 0xB000;
inline constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 11;
inline constexpr unsigned CM_COLORCHANGED = CM_BASE + 12;
inline constexpr unsigned CM_FONTCHANGED = CM_BASE + 14;
inline constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
inline constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 22;
inline constexpr unsigned CM_WANTSPECIALKEY = CM_BASE + 30;
// This layer's own: a key or the input method typed characters that code
// page 932 lacks, and they were left out of what was typed. WParam: how many; LParam: a
// const char* to their UTF-8 (a lone surrogate, which has none, as its code
// "U+D800"), zero-terminated, valid for the message.
inline constexpr unsigned CM_CHARSLEFTOUT = CM_BASE + 0x100;

// WM_SIZE size types (wParam).
inline constexpr uintptr_t SIZE_RESTORED = 0;
inline constexpr uintptr_t SIZE_MINIMIZED = 1;
inline constexpr uintptr_t SIZE_MAXIMIZED = 2;

// Scroll codes (low word of wParam of WM_HSCROLL / WM_VSCROLL).
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_ENDSCROLL = 8;

// Scroll bar identifiers.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_BOTH = 3;

// WM_GETDLGCODE results.
inline constexpr intptr_t DLGC_WANTARROWS = 0x0001;
inline constexpr intptr_t DLGC_WANTTAB = 0x0002;
inline constexpr intptr_t DLGC_WANTALLKEYS = 0x0004;
inline constexpr intptr_t DLGC_WANTCHARS = 0x0080;

// Mouse key state (wParam of mouse messages).
inline constexpr uintptr_t MK_LBUTTON = 0x0001;
inline constexpr uintptr_t MK_RBUTTON = 0x0002;
inline constexpr uintptr_t MK_SHIFT = 0x0004;
inline constexpr uintptr_t MK_CONTROL = 0x0008;
inline constexpr uintptr_t MK_MBUTTON = 0x0010;

// WM_IME_COMPOSITION flags (lParam).
inline constexpr intptr_t GCS_COMPSTR = 0x0008;
inline constexpr intptr_t GCS_CURSORPOS = 0x0080;
inline constexpr intptr_t GCS_RESULTSTR = 0x0800;

// Virtual key codes.
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_CLEAR = 0x0C;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_KANA = 0x15;
inline constexpr int VK_KANJI = 0x19;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_CONVERT = 0x1C;
inline constexpr int VK_NONCONVERT = 0x1D;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_SELECT = 0x29;
inline constexpr int VK_PRINT = 0x2A;
inline constexpr int VK_EXECUTE = 0x2B;
inline constexpr int VK_SNAPSHOT = 0x2C;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' are 0x41..0x5A.
inline constexpr int VK_LWIN = 0x5B;
inline constexpr int VK_RWIN = 0x5C;
inline constexpr int VK_APPS = 0x5D;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SEPARATOR = 0x6C;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;
inline constexpr int VK_OEM_1 = 0xBA;       // ; :
inline constexpr int VK_OEM_PLUS = 0xBB;    // = +
inline constexpr int VK_OEM_COMMA = 0xBC;   // , <
inline constexpr int VK_OEM_MINUS = 0xBD;   // - _
inline constexpr int VK_OEM_PERIOD = 0xBE;  // . >
inline constexpr int VK_OEM_2 = 0xBF;       // / ?
inline constexpr int VK_OEM_3 = 0xC0;       // ` ~
inline constexpr int VK_OEM_4 = 0xDB;       // [ {
inline constexpr int VK_OEM_5 = 0xDC;       // \ | (and the yen key)
inline constexpr int VK_OEM_6 = 0xDD;       // ] }
inline constexpr int VK_OEM_7 = 0xDE;       // ' "
inline constexpr int VK_OEM_8 = 0xDF;       // any other character key
inline constexpr int VK_PROCESSKEY = 0xE5;

// Message-cracking records: views over a TMessage, as the library's TWM*
// records. A handler may take one of these instead of TMessage, built by the
// control's Dispatch over the message; Result writes through to the message.
struct TWMNoParams {
  TMessage& Message;
  unsigned Msg;
  intptr_t& Result;
  explicit TWMNoParams(TMessage& m) : Message(m), Msg(m.Msg), Result(m.Result) {}
};

struct TWMScroll {
  TMessage& Message;
  unsigned Msg;
  int16_t ScrollCode;  // SB_* (low word of wParam)
  int16_t Pos;         // thumb position (high word of wParam), signed 16-bit
  intptr_t ScrollBar;  // lParam: 0 for a window's own bars
  intptr_t& Result;
  explicit TWMScroll(TMessage& m)
      : Message(m), Msg(m.Msg), ScrollCode(static_cast<int16_t>(LOWORD(m.WParam))),
        Pos(static_cast<int16_t>(HIWORD(m.WParam))), ScrollBar(m.LParam), Result(m.Result) {}
};

struct TWMSize {
  TMessage& Message;
  unsigned Msg;
  uintptr_t SizeType;  // SIZE_RESTORED, SIZE_MAXIMIZED...
  uint16_t Width;      // client width (low word of lParam)
  uint16_t Height;     // client height (high word of lParam)
  intptr_t& Result;
  explicit TWMSize(TMessage& m)
      : Message(m), Msg(m.Msg), SizeType(m.WParam), Width(LOWORD(static_cast<uintptr_t>(m.LParam))),
        Height(HIWORD(static_cast<uintptr_t>(m.LParam))), Result(m.Result) {}
};

struct TWMSetFocus {
  TMessage& Message;
  unsigned Msg;
  uintptr_t FocusedWnd;  // the window losing the focus, if known (else 0)
  intptr_t& Result;
  explicit TWMSetFocus(TMessage& m) : Message(m), Msg(m.Msg), FocusedWnd(m.WParam), Result(m.Result) {}
};

struct TWMKillFocus {
  TMessage& Message;
  unsigned Msg;
  uintptr_t FocusedWnd;  // the window receiving the focus, if known (else 0)
  intptr_t& Result;
  explicit TWMKillFocus(TMessage& m) : Message(m), Msg(m.Msg), FocusedWnd(m.WParam), Result(m.Result) {}
};

// WM_KEYDOWN / WM_KEYUP / WM_CHAR: wParam the virtual key or character byte,
// lParam the key data (repeat count in the low word).
struct TWMKey {
  TMessage& Message;
  unsigned Msg;
  uint16_t CharCode;
  intptr_t KeyData;
  intptr_t& Result;
  explicit TWMKey(TMessage& m)
      : Message(m), Msg(m.Msg), CharCode(static_cast<uint16_t>(m.WParam)), KeyData(m.LParam), Result(m.Result) {}
};

// Mouse messages: wParam MK_* keys, lParam the client point (signed 16-bit x, y).
struct TWMMouse {
  TMessage& Message;
  unsigned Msg;
  uintptr_t Keys;
  int16_t XPos;
  int16_t YPos;
  intptr_t& Result;
  explicit TWMMouse(TMessage& m)
      : Message(m), Msg(m.Msg), Keys(m.WParam), XPos(static_cast<int16_t>(LOWORD(static_cast<uintptr_t>(m.LParam)))),
        YPos(static_cast<int16_t>(HIWORD(static_cast<uintptr_t>(m.LParam)))), Result(m.Result) {}
};

// Calls a message handler of a control class with the message, or with the
// cracking record the handler takes: one case of a Dispatch override,
//   case WM_SIZE: return CallHandler(*this, &TMine::WMSize, Message);
template <class T, class Rec>
void CallHandler(T& control, void (T::*handler)(Rec&), TMessage& message) {
  if constexpr (std::is_same_v<Rec, TMessage>) {
    (control.*handler)(message);
  } else {
    Rec record(message);
    (control.*handler)(record);
  }
}
