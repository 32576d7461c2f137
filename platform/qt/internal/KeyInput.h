// Stands in for the keyboard and input-method side of a Win32 window: turns
// Qt key events into WM_KEYDOWN / WM_KEYUP (virtual keys, key data with the
// repeat bit) and WM_CHAR (code page 932 bytes), and Qt input-method events
// into WM_IME_STARTCOMPOSITION / WM_IME_COMPOSITION / WM_IME_ENDCOMPOSITION,
// drawing the composition (preedit) over the window at the caret the way an
// input method's own composition window would. The Menu key and Shift+F10
// open the control's PopupMenu just below the caret. Private to platform/qt.
//
// Auto-repeat comes from the toolkit: a held key arrives as repeated key
// presses with the repeat bit (bit 30) set; nothing here starts a timer.
#pragma once

#include <QPoint>
#include <QtCore/qnamespace.h>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/qt/Controls.h"

class QEvent;
class QKeyEvent;
class QPainter;

// Virtual key of a Qt key (0 when it has none). Character keys map by the
// character they carry: letters and digits to their own codes, punctuation
// to the VK_OEM_* codes of a US keyboard, any other character to VK_OEM_8.
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// Key data (lParam) of a key message: repeat count, scan code, extended-key
// bit 24, Alt bit 29, bit 30 for an auto-repeat press (and for every
// release), bit 31 for a release.
intptr_t KeyDataFromQt(const QKeyEvent& e, int vk, bool release);

// The WM_CHAR bytes (code page 932, lead byte first) a key press types;
// empty for keys that type nothing. A character code page 932 lacks, or a
// lone surrogate, is left out; with `refused`, its UTF-8 (a lone surrogate's
// code, "U+D800") is appended there, and with `leftOut`, their number is
// added to it.
AnsiString CharBytesFromQt(const QKeyEvent& e, int vk, std::string* refused = nullptr, size_t* leftOut = nullptr);

// Called by TWinControl::TranslateEvent for every event of a control's
// widget; true when the event was consumed.
bool TranslateKeyboardEvent(TWinControl* control, QEvent* event);

// The library's handling of the key, character and composition messages
// (TWinControl::DefaultHandler): OnKeyDown / OnKeyUp / OnKeyPress (a key or
// character cleared there is written back as 0), the composing flag, and a
// result string typed as WM_CHAR bytes for windows that do not take
// WM_IME_COMPOSITION themselves.
void KeyboardDefaultHandler(TWinControl* control, TMessage& message);

// Draws the composition over the control's image (client coordinates start
// at clientOrigin in the painter). It never touches the control's pixels.
void PaintPreeditOverlay(TWinControl* control, QPainter& painter, const QPoint& clientOrigin);

// The caret moved: the input method learns the new caret rectangle and a
// composition on show moves with it.
void InputMethodCaretMoved(TWinControl* control);

// Ends a composition under way: commit asks the input method to commit it,
// otherwise the input method is reset and the composition dropped.
void EndInputMethodComposition(TWinControl* control, bool commit);

// The control is being destroyed.
void KeyboardOwnerDestroyed(TWinControl* control);

// Stands in for the toolkit's input-method reset while set (tests: an input
// method that delivers its composition as commit text inside the reset, as
// fcitx5's does).
extern std::function<void()> InputMethodResetHook;

// Inspection (tests): the composition on show and where it is drawn.
struct TPreeditState {
  bool Active = false;
  QString Text;
  int Cursor = 0;  // UTF-16 offset in Text
  TRect Bounds;    // client coordinates
};
TPreeditState GetPreeditState(TWinControl* control);
