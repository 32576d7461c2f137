// Keyboard and input-method input of the windowed controls: Qt key and
// input-method events become key, character and composition messages.
#include "platform/qt/internal/KeyInput.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTextCharFormat>
#include <QWidget>
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/qt/Caret.h"
#include "platform/qt/internal/ControlInput.h"
#include "platform/qt/Imm.h"
#include "platform/qt/KeyState.h"
#include "platform/qt/internal/QtBridge.h"
#include "platform/text/Cp932.h"

namespace {

// A composition on show in one control.
struct Composition {
  bool Started = false;  // WM_IME_STARTCOMPOSITION sent, WM_IME_ENDCOMPOSITION not yet
  QString Preedit;
  int Cursor = 0;
  bool CursorVisible = true;
  QList<QInputMethodEvent::Attribute> Formats;  // TextFormat attributes only
  QRect Drawn;  // client rectangle the overlay occupies
};

std::unordered_map<TWinControl*, Composition>& Compositions() {
  static std::unordered_map<TWinControl*, Composition> all;
  return all;
}

Composition* FindComposition(TWinControl* control) {
  auto& all = Compositions();
  auto it = all.find(control);
  return it == all.end() ? nullptr : &it->second;
}

// Keys noted down by key presses, released when the focus goes (their
// release may never reach us then).
std::vector<int>& HeldKeys() {
  static std::vector<int> held;
  return held;
}

// True while the control still exists after a message it handled.
bool Alive(const QPointer<QWidget>& widget) { return HasLiveControl(widget.data()); }

bool AltHeld(Qt::KeyboardModifiers m) { return (m & Qt::AltModifier) && !(m & Qt::ControlModifier); }

// Key messages made from an event see that event's Shift, Ctrl and Alt.
class EventModifiersScope {
 public:
  explicit EventModifiersScope(Qt::KeyboardModifiers m) {
    PushEventModifiers(m & Qt::ShiftModifier, m & Qt::ControlModifier, m & Qt::AltModifier);
  }
  ~EventModifiersScope() { PopEventModifiers(); }
  EventModifiersScope(const EventModifiersScope&) = delete;
  EventModifiersScope& operator=(const EventModifiersScope&) = delete;
};

std::u16string_view Utf16(const QString& s) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}

// The text in code page 932, a character it lacks as "?". Converted from
// UTF-16 as it stands: the toolkit's own conversion to UTF-8 would turn a
// lone surrogate into a "?" of its own.
AnsiString ToCp932(const QString& s) {
  std::string out;
  cp932::FromUtf16Counting(Utf16(s), out);
  return AnsiString(out);
}

// Committed text in code page 932. A character code page 932 lacks, or a
// lone surrogate, is left out rather than typed as "?": its name goes to
// `refused`, and the count is returned.
size_t CommitToCp932(const QString& s, std::string& out, std::string& refused) {
  return cp932::FromUtf16Counting(Utf16(s), out, "", &refused);
}

// The control whose input method is being reset. An input method may
// deliver its composition as commit text inside the reset (fcitx5's does);
// that text is dropped: a cancel means to drop it, and after a commit the
// text on show is in already.
TWinControl* ResettingControl = nullptr;

class ResetScope {
 public:
  explicit ResetScope(TWinControl* control) : FOld(ResettingControl) { ResettingControl = control; }
  ~ResetScope() { ResettingControl = FOld; }
  ResetScope(const ResetScope&) = delete;
  ResetScope& operator=(const ResetScope&) = delete;

 private:
  TWinControl* FOld;
};

// Whether the control takes characters (and with them the input method).
bool WantsInputMethod(TWinControl* control) {
  if (!control->GetEnabled() || control->GetImeMode() == imDisable) return false;
  const intptr_t code = InputOf(control).Send(WM_GETDLGCODE, 0, 0);
  return (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) != 0;
}

// Tab and the arrow keys reach a control only when it asks for them;
// otherwise the toolkit keeps them (Tab moves the focus).
bool WantsSpecialKey(TWinControl* control, int vk, intptr_t keyData) {
  intptr_t mask = 0;
  if (vk == VK_TAB) mask = DLGC_WANTTAB;
  else if (vk >= VK_LEFT && vk <= VK_DOWN) mask = DLGC_WANTARROWS;
  if (mask == 0) return true;
  if (InputOf(control).Send(CM_WANTSPECIALKEY, static_cast<uintptr_t>(vk), keyData) != 0) return true;
  return (InputOf(control).Send(WM_GETDLGCODE, 0, 0) & (mask | DLGC_WANTALLKEYS)) != 0;
}

// --- where the composition is drawn ----------------------------------------

struct PreeditLayout {
  QRect Rect;               // client coordinates
  std::vector<int> Edge;    // x offset of each UTF-16 index 0..length
  QFont Font;
  int Height = 0;
};

TFont* ControlTextFont(TWinControl* control) {
  if (auto* cc = dynamic_cast<TCustomControl*>(control)) return cc->Canvas->Font;
  return control->Font;
}

PreeditLayout LayoutPreedit(TWinControl* control, const QString& text) {
  PreeditLayout l;
  l.Font = ToQFont(*ControlTextFont(control));
  int cell = 0;
  if (auto* cc = dynamic_cast<TCustomControl*>(control)) {
    cell = cc->Canvas->CellWidth();
    l.Height = cc->Canvas->TextHeight("\x82\xa0");
  } else {
    QFontMetrics fm(l.Font);
    l.Height = fm.height();
    cell = (l.Height + 1) / 2;
  }
  cell = std::max(cell, 1);
  l.Height = std::max(l.Height, 1);

  // Each character takes the cells its code page 932 bytes will take once
  // typed; one that code page 932 lacks takes two.
  l.Edge.assign(static_cast<size_t>(text.size()) + 1, 0);
  int x = 0;
  for (qsizetype i = 0; i < text.size();) {
    qsizetype units = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
    // A lone surrogate is no character: code page 932 lacks it too.
    std::string bytes;
    const QByteArray utf8 = text.mid(i, units).toUtf8();
    const bool exact = !(units == 1 && text[i].isSurrogate()) &&
                       cp932::FromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), bytes);
    int cells = exact ? static_cast<int>(bytes.size()) : 2;
    for (qsizetype k = 0; k < units; ++k) l.Edge[static_cast<size_t>(i + k)] = x;
    x += cells * cell;
    i += units;
  }
  l.Edge[static_cast<size_t>(text.size())] = x;

  TCaretState caret = GetCaretState();
  int left = 0, top = 0;
  if (caret.Exists && caret.Owner == control) {
    left = caret.Bounds.Left;
    top = caret.Bounds.Top;
  }
  // Kept inside the client on the right as far as it fits.
  const int clientWidth = control->ClientWidth();
  if (left + x > clientWidth) left = std::max(0, clientWidth - x);
  l.Rect = QRect(left, top, x, l.Height);
  return l;
}

void RefreshOverlay(TWinControl* control, Composition& c) {
  QRect old = c.Drawn;
  c.Drawn = c.Preedit.isEmpty() ? QRect() : LayoutPreedit(control, c.Preedit).Rect;
  QRect dirty = old.united(c.Drawn);
  if (!dirty.isEmpty()) InputOf(control).RefreshClient(dirty.adjusted(-2, -2, 2, 2));
}

// The rectangle the input method places its candidate window by, in the
// widget's coordinates: the composition cursor, else the caret.
QRect InputCursorRect(TWinControl* control) {
  const QPoint origin = InputOf(control).ClientArea().topLeft();
  if (Composition* c = FindComposition(control); c && !c->Preedit.isEmpty()) {
    PreeditLayout l = LayoutPreedit(control, c->Preedit);
    int at = std::clamp(c->Cursor, 0, static_cast<int>(c->Preedit.size()));
    return QRect(l.Rect.left() + l.Edge[static_cast<size_t>(at)], l.Rect.top(), 1, l.Height).translated(origin);
  }
  TCaretState caret = GetCaretState();
  if (caret.Exists && caret.Owner == control) return ToQRect(caret.Bounds).translated(origin);
  QFontMetrics fm(ToQFont(*ControlTextFont(control)));
  return QRect(origin, QSize(1, fm.height()));
}

// The control's pop-up menu opened from the keyboard: just below the caret,
// inside the client area when the caret is out of view. False when the
// control has none.
bool PopUpAtCaret(TWinControl* control) {
  QMenu* menu = control->GetPopupMenu();
  QWidget* widget = InputOf(control).TargetWidget();
  if (!menu || !widget) return false;
  // The window system may have opened it already for the same key.
  if (menu->isVisible()) return true;
  const QRect client = InputOf(control).ClientArea();
  const QRect caret = InputCursorRect(control);
  const QPoint at(std::clamp(caret.left(), client.left(), client.right()),
                  std::clamp(caret.top() + caret.height(), client.top(), client.bottom()));
  menu->popup(widget->mapToGlobal(at));
  return true;
}

// The keys that open the pop-up menu: the Menu key and Shift+F10.
bool IsMenuKey(int vk, Qt::KeyboardModifiers m) {
  const Qt::KeyboardModifiers held = m & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  return (vk == VK_APPS && !(held & (Qt::ControlModifier | Qt::AltModifier))) ||
         (vk == VK_F10 && held == Qt::ShiftModifier);
}

// --- the translations --------------------------------------------------------

bool KeyPress(TWinControl* control, QKeyEvent* e) {
  const int vk = VirtualKeyFromQt(e->key(), e->modifiers(), e->text());
  if (vk == 0) return false;
  const intptr_t data = KeyDataFromQt(*e, vk, false);
  if (!WantsSpecialKey(control, vk, data)) return false;

  QPointer<QWidget> widget = InputOf(control).TargetWidget();
  NoteKeyDown(vk);
  auto& held = HeldKeys();
  if (std::find(held.begin(), held.end(), vk) == held.end()) held.push_back(vk);

  EventModifiersScope scope(e->modifiers());
  const bool sys = AltHeld(e->modifiers()) || vk == VK_F10;
  InputOf(control).Send(sys ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<uintptr_t>(vk), data);
  // As the window's default handling of these keys does.
  if (IsMenuKey(vk, e->modifiers()) && Alive(widget) && PopUpAtCaret(control)) {
    e->accept();
    return true;
  }
  if (sys) return false;  // menus and their mnemonics stay with the toolkit
  std::string refused;
  size_t left = 0;
  for (unsigned char b : CharBytesFromQt(*e, vk, &refused, &left)) {
    if (!Alive(widget)) break;
    InputOf(control).Send(WM_CHAR, b, data);
  }
  if (left > 0 && Alive(widget)) InputOf(control).Send(CM_CHARSLEFTOUT, left, reinterpret_cast<intptr_t>(refused.c_str()));
  e->accept();
  return true;
}

bool KeyRelease(TWinControl* control, QKeyEvent* e) {
  // Win32 repeats only the key-down; the key stays down meanwhile.
  if (e->isAutoRepeat()) return true;
  const int vk = VirtualKeyFromQt(e->key(), e->modifiers(), e->text());
  if (vk == 0) return false;
  NoteKeyUp(vk);
  auto& held = HeldKeys();
  held.erase(std::remove(held.begin(), held.end(), vk), held.end());

  EventModifiersScope scope(e->modifiers());
  const bool sys = AltHeld(e->modifiers()) || vk == VK_F10;
  InputOf(control).Send(sys ? WM_SYSKEYUP : WM_KEYUP, static_cast<uintptr_t>(vk), KeyDataFromQt(*e, vk, true));
  if (sys) return false;
  e->accept();
  return true;
}

void EndShownComposition(TWinControl* control, Composition& c, const QPointer<QWidget>& widget) {
  c.Preedit.clear();
  c.Formats.clear();
  c.Cursor = 0;
  ImmSetCompositionString(control, AnsiString(), 0);
  RefreshOverlay(control, c);
  if (c.Started) {
    c.Started = false;
    if (Alive(widget)) InputOf(control).Send(WM_IME_ENDCOMPOSITION, 0, 0);
  }
}

bool InputMethod(TWinControl* control, QInputMethodEvent* e) {
  QPointer<QWidget> widget = InputOf(control).TargetWidget();
  // The control may be left by the messages below; work on copies.
  const QString commit = ResettingControl == control ? QString() : e->commitString();
  const QString preedit = e->preeditString();
  const QList<QInputMethodEvent::Attribute> attributes = e->attributes();
  e->accept();

  auto start = [&]() {
    Composition& c = Compositions()[control];
    if (c.Started) return;
    c.Started = true;
    InputOf(control).Send(WM_IME_STARTCOMPOSITION, 0, 0);
  };

  if (!commit.isEmpty()) {
    start();
    if (!Alive(widget)) return true;
    // The result replaces the composition on show.
    if (Composition* shown = FindComposition(control); shown && !shown->Preedit.isEmpty()) {
      shown->Preedit.clear();
      shown->Formats.clear();
      ImmSetCompositionString(control, AnsiString(), 0);
      RefreshOverlay(control, *shown);
    }
    std::string bytes, refused;
    const size_t left = CommitToCp932(commit, bytes, refused);
    if (!bytes.empty()) {
      uintptr_t first = static_cast<unsigned char>(bytes[0]);
      if (cp932::CharLength(bytes, 0) == 2) first = (first << 8) | static_cast<unsigned char>(bytes[1]);
      ImmSetResultString(control, bytes);
      InputOf(control).Send(WM_IME_COMPOSITION, first, GCS_RESULTSTR);
      if (!Alive(widget)) return true;
      ImmClearResultString(control);
    }
    if (left > 0) {
      InputOf(control).Send(CM_CHARSLEFTOUT, left, reinterpret_cast<intptr_t>(refused.c_str()));
      if (!Alive(widget)) return true;
    }
  }

  Composition& c = Compositions()[control];
  if (preedit.isEmpty()) {
    // Committed, or cancelled by the input method: the composition ends.
    EndShownComposition(control, c, widget);
    return true;
  }

  c.Preedit = preedit;
  c.Cursor = static_cast<int>(preedit.size());
  c.CursorVisible = true;
  c.Formats.clear();
  for (const QInputMethodEvent::Attribute& a : attributes) {
    if (a.type == QInputMethodEvent::Cursor) {
      c.Cursor = std::clamp(a.start, 0, static_cast<int>(preedit.size()));
      c.CursorVisible = a.length != 0;
    } else if (a.type == QInputMethodEvent::TextFormat) {
      c.Formats.append(a);
    }
  }
  ImmSetCompositionString(control, ToCp932(preedit), static_cast<int>(ToCp932(preedit.left(c.Cursor)).size()));
  RefreshOverlay(control, c);
  start();
  if (!Alive(widget)) return true;
  InputOf(control).Send(WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS);
  if (Alive(widget)) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
  return true;
}

bool InputMethodQuery(TWinControl* control, QInputMethodQueryEvent* q) {
  const Qt::InputMethodQueries queries = q->queries();
  for (int bit = 0; bit < 32; ++bit) {
    const auto query = static_cast<Qt::InputMethodQuery>(1u << bit);
    if (!(queries & query)) continue;
    QVariant v;
    switch (query) {
      case Qt::ImEnabled: v = WantsInputMethod(control); break;
      case Qt::ImCursorRectangle:
      case Qt::ImAnchorRectangle: v = QRectF(InputCursorRect(control)); break;
      case Qt::ImFont: v = ToQFont(*ControlTextFont(control)); break;
      case Qt::ImCursorPosition:
      case Qt::ImAnchorPosition:
      case Qt::ImAbsolutePosition: v = 0; break;
      case Qt::ImSurroundingText:
      case Qt::ImCurrentSelection:
      case Qt::ImTextBeforeCursor:
      case Qt::ImTextAfterCursor: v = QString(); break;
      case Qt::ImHints: v = static_cast<int>(Qt::ImhMultiLine); break;
      case Qt::ImInputItemClipRectangle: v = QRectF(InputOf(control).ClientArea()); break;
      default: break;
    }
    q->setValue(query, v);
  }
  q->accept();
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

std::function<void()> InputMethodResetHook;

namespace {
// The operator keys of the numeric keypad; 0 for any other key.
int KeypadVirtualKey(int key) {
  switch (key) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period: return VK_DECIMAL;
    case Qt::Key_Comma: return VK_SEPARATOR;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
  }
}

// Keys named by what they do: editing, moving, locks and the input
// method's own keys; 0 for any other key.
int NamedVirtualKey(int key) {
  switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock:
    case Qt::Key_Eisu_toggle: return VK_CAPITAL;
    case Qt::Key_Kana_Lock:
    case Qt::Key_Kana_Shift:
    case Qt::Key_Hiragana_Katakana:
    case Qt::Key_Hiragana:
    case Qt::Key_Katakana: return VK_KANA;
    case Qt::Key_Kanji:
    case Qt::Key_Zenkaku_Hankaku: return VK_KANJI;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Henkan: return VK_CONVERT;
    case Qt::Key_Muhenkan: return VK_NONCONVERT;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Select: return VK_SELECT;
    case Qt::Key_Printer: return VK_PRINT;
    case Qt::Key_Execute: return VK_EXECUTE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Meta:
    case Qt::Key_Super_L: return VK_LWIN;
    case Qt::Key_Super_R: return VK_RWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    default: return 0;
  }
}

// Character keys other than letters and digits, by the key of a US keyboard
// that types them; 0 for any other key.
int PunctuationVirtualKey(int key) {
  switch (key) {
    // Shifted digits of a US keyboard.
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    // Punctuation keys.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
    case Qt::Key_yen: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    default: return 0;
  }
}
}  // namespace

int VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  const bool keypad = modifiers & Qt::KeypadModifier;
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return (keypad ? VK_NUMPAD0 : '0') + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  if (keypad) {
    if (int vk = KeypadVirtualKey(key)) return vk;
  }
  if (int vk = NamedVirtualKey(key)) return vk;
  if (int vk = PunctuationVirtualKey(key)) return vk;
  // Any other key that types a character (a letter of another alphabet, a
  // key of a national layout).
  if (!text.isEmpty() && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7F) return VK_OEM_8;
  return 0;
}

intptr_t KeyDataFromQt(const QKeyEvent& e, int vk, bool release) {
  uint32_t data = static_cast<uint32_t>(std::clamp(e.count(), 1, 0xFFFF));
  // X11 key codes are the keyboard's scan codes plus 8.
  const quint32 scan = e.nativeScanCode();
  if (scan > 8) data |= ((scan - 8) & 0xFFu) << 16;
  const bool keypad = e.modifiers() & Qt::KeypadModifier;
  const bool extended = (vk >= VK_PRIOR && vk <= VK_DOWN && !keypad) || vk == VK_INSERT || vk == VK_DELETE ||
                        vk == VK_DIVIDE || (vk == VK_RETURN && keypad);
  if (extended) data |= 1u << 24;
  if (AltHeld(e.modifiers())) data |= 1u << 29;
  if (release) data |= 3u << 30;
  else if (e.isAutoRepeat()) data |= 1u << 30;
  return static_cast<intptr_t>(data);
}

AnsiString CharBytesFromQt(const QKeyEvent& e, int vk, std::string* refused, size_t* leftOut) {
  const Qt::KeyboardModifiers m = e.modifiers();
  const bool ctrl = m & Qt::ControlModifier;
  if (AltHeld(m)) return AnsiString();  // a system character, for the menus
  switch (vk) {
    case VK_BACK: return AnsiString(1, ctrl ? '\x7F' : '\x08');
    case VK_TAB: return ctrl ? AnsiString() : AnsiString(1, '\t');
    case VK_RETURN: return AnsiString(1, ctrl ? '\n' : '\r');
    case VK_ESCAPE: return AnsiString(1, '\x1B');
    default: break;
  }
  // Ctrl with a letter types its control character, whatever the toolkit's
  // text says; with another key it types what the toolkit gives.
  if (ctrl && vk >= 'A' && vk <= 'Z') return AnsiString(1, static_cast<char>(vk - 'A' + 1));
  const QString text = e.text();
  if (text.isEmpty()) return AnsiString();
  QString kept;
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u == 0x7F) continue;                // Delete types nothing
    if (u < 0x20 && !(ctrl && u != 0)) continue;  // control bytes only as Ctrl combinations
    kept += ch;
  }
  std::string bytes, lacked;
  const size_t left = CommitToCp932(kept, bytes, lacked);
  if (refused) *refused += lacked;
  if (leftOut) *leftOut += left;
  return AnsiString(bytes);
}

bool TranslateKeyboardEvent(TWinControl* control, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      return KeyPress(control, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
      return KeyRelease(control, static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride: {
      // While a composition is on show every key belongs to it: the window's
      // shortcuts (Ctrl+C, Ctrl+V...) do not fire.
      Composition* c = FindComposition(control);
      if (c && !c->Preedit.isEmpty()) {
        event->accept();
        return true;
      }
      return false;
    }
    case QEvent::InputMethod:
      return InputMethod(control, static_cast<QInputMethodEvent*>(event));
    case QEvent::InputMethodQuery:
      return InputMethodQuery(control, static_cast<QInputMethodQueryEvent*>(event));
    case QEvent::ContextMenu:
      // The Menu key on X: the toolkit would place the menu at the middle of
      // the control.
      if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
        return PopUpAtCaret(control);
      return false;
    case QEvent::FocusIn:
      if (QWidget* w = InputOf(control).TargetWidget()) w->setAttribute(Qt::WA_InputMethodEnabled, WantsInputMethod(control));
      return false;
    case QEvent::FocusOut: {
      for (int vk : HeldKeys()) NoteKeyUp(vk);
      HeldKeys().clear();
      // The toolkit commits a composition before the focus moves; whatever
      // is still on show goes.
      if (Composition* c = FindComposition(control); c && (c->Started || !c->Preedit.isEmpty()))
        EndShownComposition(control, *c, InputOf(control).TargetWidget());
      return false;
    }
    default:
      return false;
  }
}

void KeyboardDefaultHandler(TWinControl* control, TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const TKeyEvent& handler = (m.Msg == WM_KEYDOWN || m.Msg == WM_SYSKEYDOWN) ? control->OnKeyDown : control->OnKeyUp;
      if (!handler) return;
      uint16_t key = static_cast<uint16_t>(m.WParam);
      handler(control, key, KeyDataToShiftState(m.LParam));
      m.WParam = key;
      return;
    }
    case WM_CHAR: {
      if (!control->OnKeyPress) return;
      char key = static_cast<char>(m.WParam & 0xFF);
      control->OnKeyPress(control, key);
      m.WParam = static_cast<unsigned char>(key);
      return;
    }
    case WM_IME_STARTCOMPOSITION:
      ImmSetComposing(control, true);
      return;
    case WM_IME_ENDCOMPOSITION:
      ImmSetComposing(control, false);
      return;
    case WM_IME_COMPOSITION: {
      // A window that does not read the result itself gets it typed.
      if (!(m.LParam & GCS_RESULTSTR)) return;
      HIMC imc = ImmGetContext(control);
      const long n = ImmGetCompositionStringA(imc, GCS_RESULTSTR, nullptr, 0);
      AnsiString result;
      if (n > 0) {
        result.resize(static_cast<size_t>(n));
        result.resize(static_cast<size_t>(
            std::max(0L, ImmGetCompositionStringA(imc, GCS_RESULTSTR, result.data(), static_cast<unsigned>(n)))));
      }
      ImmReleaseContext(control, imc);
      QPointer<QWidget> widget = InputOf(control).TargetWidget();
      for (unsigned char b : result) {
        if (!Alive(widget)) break;
        InputOf(control).Send(WM_CHAR, b, 1);
      }
      return;
    }
    default:
      return;
  }
}

void PaintPreeditOverlay(TWinControl* control, QPainter& p, const QPoint& origin) {
  Composition* c = FindComposition(control);
  if (!c || c->Preedit.isEmpty()) return;
  const PreeditLayout l = LayoutPreedit(control, c->Preedit);
  c->Drawn = l.Rect;
  const QRect r = l.Rect.translated(origin);
  const QColor back = ToQColor(clWindow), text = ToQColor(clWindowText);

  p.save();
  p.fillRect(r, back);
  p.setFont(l.Font);
  const int n = static_cast<int>(c->Preedit.size());
  auto x = [&](int i) { return r.left() + l.Edge[static_cast<size_t>(std::clamp(i, 0, n))]; };
  // Background and underline of the clause formats the input method gave.
  std::vector<bool> marked(static_cast<size_t>(n), false);
  for (const QInputMethodEvent::Attribute& a : c->Formats) {
    const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
    const int from = std::clamp(a.start, 0, n), to = std::clamp(a.start + a.length, 0, n);
    if (from >= to) continue;
    QRect span(x(from), r.top(), x(to) - x(from), r.height());
    if (f.background().style() != Qt::NoBrush) {
      p.fillRect(span, f.background());
      for (int i = from; i < to; ++i) marked[static_cast<size_t>(i)] = true;
    }
  }
  for (int i = 0; i < n;) {
    int units = (c->Preedit[i].isHighSurrogate() && i + 1 < n) ? 2 : 1;
    QColor pen = text;
    for (const QInputMethodEvent::Attribute& a : c->Formats) {
      const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
      if (i >= a.start && i < a.start + a.length && f.foreground().style() != Qt::NoBrush)
        pen = f.foreground().color();
    }
    p.setPen(pen);
    p.drawText(QRect(x(i), r.top(), x(i + units) - x(i), r.height()), Qt::AlignCenter, c->Preedit.mid(i, units));
    i += units;
  }
  // A dotted underline under the whole composition, a solid one under the
  // clause being converted.
  p.setPen(QPen(text, 1, Qt::DotLine));
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
  for (int i = 0; i < n; ++i)
    if (marked[static_cast<size_t>(i)]) p.fillRect(QRect(x(i), r.bottom() - 1, x(i + 1) - x(i), 2), text);
  if (c->CursorVisible) p.fillRect(QRect(x(c->Cursor), r.top(), 1, r.height()), text);
  p.restore();
}

void InputMethodCaretMoved(TWinControl* control) {
  if (!control) return;
  if (Composition* c = FindComposition(control); c && !c->Preedit.isEmpty()) RefreshOverlay(control, *c);
  QWidget* w = InputOf(control).TargetWidget();
  if (w && QGuiApplication::instance() && QApplication::focusWidget() == w)
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImAnchorRectangle);
}

void EndInputMethodComposition(TWinControl* control, bool commit) {
  if (!control) return;
  QPointer<QWidget> widget = InputOf(control).TargetWidget();
  const bool focused = widget && QGuiApplication::instance() && QApplication::focusWidget() == widget.data();
  // An input method commits through an input-method event of its own.
  if (commit && focused) QGuiApplication::inputMethod()->commit();
  Composition* c = FindComposition(control);
  if (!c || (!c->Started && c->Preedit.isEmpty())) return;
  if (commit && !c->Preedit.isEmpty()) {
    // Nothing came: the text on show is the result.
    QInputMethodEvent done;
    done.setCommitString(c->Preedit);
    InputMethod(control, &done);
    if (!Alive(widget)) return;
  }
  if (focused) {
    ResetScope resetting(control);
    if (InputMethodResetHook) InputMethodResetHook();
    else QGuiApplication::inputMethod()->reset();
    if (!Alive(widget)) return;
  }
  if ((c = FindComposition(control)) != nullptr && (c->Started || !c->Preedit.isEmpty()))
    EndShownComposition(control, *c, widget);
}

void KeyboardOwnerDestroyed(TWinControl* control) {
  Compositions().erase(control);
  ImmWindowDestroyed(control);
}

TPreeditState GetPreeditState(TWinControl* control) {
  TPreeditState s;
  Composition* c = FindComposition(control);
  if (!c || c->Preedit.isEmpty()) return s;
  s.Active = true;
  s.Text = c->Preedit;
  s.Cursor = c->Cursor;
  s.Bounds = FromQRect(LayoutPreedit(control, c->Preedit).Rect);
  return s;
}
