// The key-down side of the control: caret steps over tabs and double-byte
// characters, word jumps, Shift selection, the clipboard keys, Delete, the
// keyboard unindent and held-key repeat; and the small handlers that decide
// which keys and focus events the control takes.
#include "editor/Afedit.h"
#include "platform/qt/Imm.h"
#include "platform/qt/KeyState.h"

namespace {

constexpr char kFillByte = '\x0B';

bool IsTabCell(char c) { return c == '\t' || c == kFillByte; }

bool IsAsciiWordByte(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// Keys that type something: they end a Shift selection.
bool IsTypingKey(int key) {
  return key == VK_SHIFT || key == VK_SPACE || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') ||
         (key >= 186 && key <= 192) || (key >= 219 && key <= 228);
}

// Flags rows a..b (either order) for the next ValiPaint; rows outside the
// text are skipped.
void FlagRows(TCustomAFEdit& edit, int a, int b) {
  const int last = edit.GetLinesCount() - 1;
  for (int r = Max(Min(a, b), 0); r <= Min(Max(a, b), last); ++r) edit.GetLinesAttr(r)->Changed = 1;
}

// The hourglass for the length of a clipboard message, back to the default
// cursor even when the message fails.
class HourGlass {
 public:
  HourGlass() { Screen->SetCursor(crHourGlass); }
  ~HourGlass() { Screen->SetCursor(crDefault); }
  HourGlass(const HourGlass&) = delete;
  HourGlass& operator=(const HourGlass&) = delete;
};

// Takes an option out of a set for the length of a scope.
class WithoutOption {
 public:
  WithoutOption(TAFEditOptions& options, TAFEditOption option)
      : FOptions(options), FOption(option), FHad(options.Contains(option)) {
    FOptions >> option;
  }
  ~WithoutOption() {
    if (FHad) FOptions << FOption;
  }
  WithoutOption(const WithoutOption&) = delete;
  WithoutOption& operator=(const WithoutOption&) = delete;

 private:
  TAFEditOptions& FOptions;
  TAFEditOption FOption;
  bool FHad;
};

}  // namespace

// ---------------------------------------------------------------------------
// Caret steps

void TCustomAFEdit::CaretLeft() {
  const int n = GetLinesCount();
  int x = FCaret.x, y = FCaret.y;
  if (y < 0) return;
  if (y > n - 1) {
    if (x > 0) --x;
    FCaret = TPoint(x, y);
    return;
  }
  const int indent = Max(GetLinesAttr(y)->Indent, 0);
  if (x <= indent) {
    if (y == 0) {
      x = indent;
    } else {
      // Onto the previous row's end: its CR, or after its last character.
      --y;
      x = Max(GetLinesAttr(y)->Indent, 0) + static_cast<int>(TabExpand(FLines->Get(y), false).size());
      if (isCrLine(y)) --x;
    }
    FCaret = TPoint(x, y);
    return;
  }
  const AnsiString s = DisplayString(y);
  const int len = static_cast<int>(s.size());
  if (x > len) {
    x = FOptions.Contains(aoFreeCaret) ? x - 1 : Max(0, len - 1);
  } else if (IsTabCell(s[static_cast<size_t>(x - 1)])) {
    // To the first cell of the tab's span, never into it.
    while (x > 0 && IsTabCell(s[static_cast<size_t>(x - 1)])) {
      --x;
      if (x > 0 && s[static_cast<size_t>(x - 1)] == '\t') break;
    }
  } else {
    x -= (x >= 2 && Cp932IsLead(s, x - 2)) ? 2 : 1;
  }
  FCaret = TPoint(x, y);
}

void TCustomAFEdit::CaretRight() {
  const int n = GetLinesCount();
  int x = FCaret.x, y = FCaret.y;
  if (y < 0) return;
  if (y >= n) {
    FCaret = TPoint(x + 1, y);
    return;
  }
  const bool freeCaret = FOptions.Contains(aoFreeCaret);
  const int indent = Max(GetLinesAttr(y)->Indent, 0);
  const AnsiString s = DisplayString(y);
  const int len = static_cast<int>(s.size());
  if (x < indent) {
    x = indent;
  } else if (x <= len - 1) {
    if (IsTabCell(s[static_cast<size_t>(x)])) {
      // Over the rest of the tab's span: just after the tab byte.
      while (x < len && IsTabCell(s[static_cast<size_t>(x)])) {
        ++x;
        if (s[static_cast<size_t>(x - 1)] == '\t') break;
      }
    } else {
      x += Cp932IsLead(s, x) ? 2 : 1;
    }
  } else if (freeCaret) {
    ++x;
  }
  if (!freeCaret && x > len - 1) {
    // Past the row's last cell: on to the next row's indent; below the last
    // row only from a closing CR.
    if (y < n - 1) {
      ++y;
      x = Max(GetLinesAttr(y)->Indent, 0);
    } else if (isCrLine(y)) {
      ++y;
      const TAttrListItem* below = FLinesAttr->PeekItem(y);  // read, never created
      x = below ? Max(below->Indent, 0) : 0;
    }
  }
  FCaret = TPoint(x, y);
}

bool TCustomAFEdit::CanStepLeft() {
  if (FCaret.y < 0) return false;
  if (FCaret.y > GetLinesCount() - 1) return FCaret.x > 0;
  if (FCaret.y == 0) return FCaret.x > Max(GetLinesAttr(0)->Indent, 0);
  return true;
}

// ---------------------------------------------------------------------------
// What lies under a point

bool TCustomAFEdit::ByteAt(const TPoint& p, unsigned char& byte, int& index) {
  if (p.y < 0 || p.y >= GetLinesCount() || p.x < 0) return false;
  const AnsiString& text = FLines->Get(p.y);
  const int i = LogicalPos(p);
  if (i >= static_cast<int>(text.size())) return false;
  if (i < 0) {
    byte = ' ';
    index = -1;
  } else {
    byte = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
    index = i;
  }
  return true;
}

bool TCustomAFEdit::IsOnLineText(const TPoint& p) {
  unsigned char b;
  int i;
  return ByteAt(p, b, i);
}

bool TCustomAFEdit::IsWordBreakAt(const TPoint& p) {
  unsigned char b;
  int i;
  if (!ByteAt(p, b, i) || i < 0) return true;
  return Cp932ByteType(FLines->Get(p.y), i) != mbSingleByte || !IsAsciiWordByte(b);
}

bool TCustomAFEdit::IsDbcsAt(const TPoint& p) {
  unsigned char b;
  int i;
  if (!ByteAt(p, b, i) || i < 0) return false;
  return Cp932ByteType(FLines->Get(p.y), i) != mbSingleByte;
}

bool TCustomAFEdit::IsCrAtCaret() {
  unsigned char b;
  int i;
  return ByteAt(FCaret, b, i) && i >= 0 && b == '\r';
}

// ---------------------------------------------------------------------------
// Word jumps. Every loop also ends when the caret cannot move any more (the
// text start of row 0, column 0 below the last row).

void TCustomAFEdit::WordJumpLeft() {
  WithoutOption noFreeCaret(FOptions, aoFreeCaret);
  CaretLeft();
  if (IsDbcsAt(FCaret)) return;  // a double-byte character is a word by itself
  while (IsWordBreakAt(FCaret) && CanStepLeft() && !IsDbcsAt(FCaret) && !IsCrAtCaret()) CaretLeft();
  if (IsCrAtCaret()) {
    CaretLeft();
  } else {
    while (!IsWordBreakAt(FCaret) && CanStepLeft() && !IsDbcsAt(FCaret)) CaretLeft();
  }
  if (CanStepLeft()) CaretRight();
}

void TCustomAFEdit::WordJumpRight() {
  WithoutOption noFreeCaret(FOptions, aoFreeCaret);
  if (IsDbcsAt(FCaret)) {
    CaretRight();
    return;
  }
  auto step = [this]() {
    const TPoint before = FCaret;
    CaretRight();
    return FCaret != before;
  };
  while (IsOnLineText(FCaret) && !IsWordBreakAt(FCaret))
    if (!step()) return;
  if (IsCrAtCaret()) step();
  while (IsWordBreakAt(FCaret) && IsOnLineText(FCaret) && !IsCrAtCaret() && !IsDbcsAt(FCaret))
    if (!step()) return;
}

// ---------------------------------------------------------------------------
// Editing keys

bool TCustomAFEdit::DeleteKey(bool shift) {
  if (FReadOnly) return false;
  if (FSelArea->isPointAble() || FSelArea->isRowAble()) {
    ++FUndoGroup;
    if (shift) SelectAreaCopy(false);  // Shift+Delete cuts
    SelectAreaDel();
    SetCaretPosition();
    ValiPaint();
    return true;
  }
  const int row = FCaret.y;
  if (row < 0 || row > GetLinesCount() - 1) return false;
  const AnsiString display = DisplayString(row);
  if (static_cast<int>(display.size()) <= FCaret.x) return false;
  const AnsiString text = FLines->Get(row);
  // Inside the indent the caret stands before the first character.
  int i = Max(DspColToCharCount(display, FCaret.x, Max(GetLinesAttr(row)->Indent, 0)), 0);
  if (i >= static_cast<int>(text.size())) return true;
  i = Cp932CharStart(text, i);
  const int n = Cp932CharLen(text, i);

  ++FUndoGroup;
  SetLine(row, text.substr(0, static_cast<size_t>(i)) + text.substr(static_cast<size_t>(i + n)));
  if (FLines->Get(row) == text) return true;  // refused by OnBeforeChange
  ColAttrEdit(row, i, n, emDelete);
  BlkAttrEdit(row, i, n, emDelete);
  GetLinesAttr(row)->Changed = 1;
  FoldLine(row);  // a row that lost its CR takes up the row below
  SetCaretPosition();
  ValiPaint();
  return true;
}

void TCustomAFEdit::KeyboardUnindent() {
  ++FUndoGroup;
  const int indent = Max(0, GetLinesAttr(FCaret.y)->Indent - Max(FTabSize, 1));
  SetCaretRowIndent(indent, indent);
}

void TCustomAFEdit::SetCaretRowIndent(int indent, int caretX) {
  const int row = FCaret.y;
  TAttrListItem before = *GetLinesAttr(row);
  before.ColAttrs = nullptr;
  TAttrListItem after = before;
  after.Indent = static_cast<std::int16_t>(indent);
  after.Changed = 1;
  const AnsiString text = FLines->Get(row);
  FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acChange, text, text, before, after);
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
  FCaret.x = caretX;
  TAttrListItem* stored = GetLinesAttr(row);
  stored->Indent = after.Indent;
  stored->Changed = 1;
  ValiPaint();
  CaretMoveResultPaint();
}

// ---------------------------------------------------------------------------
// WM_KEYDOWN

// One key-down: the key, the modifiers, and the caret row, row count and
// page height as they were when it came; a method per key that moves.
class TCustomAFEdit::TKeyDown {
 public:
  TKeyDown(TCustomAFEdit& ed, const TWMKey& message)
      : ed_(ed), key_(static_cast<std::uint16_t>(message.Message.WParam)), r0_(ed.FCaret.y),
        n_(ed.GetLinesCount()), pageRows_(Max(ed.GetDspRowCount(), 1)),
        // Held keys: an auto-repeat message may run up to three more steps.
        repeat_((message.KeyData & 0x40000000) ? Min(ed.FAccelRate, 4) : Min(ed.FAccelRate, 0)),
        shift_(KeyDataToShiftState(message.KeyData)) {
    ed.FImeComposing = ImeComposing(ed.GetHandle());
    ctrl_ = shift_.Contains(ssCtrl);
  }

  int Key() const { return key_; }
  int Repeat() const { return repeat_; }
  void TrackShiftSelection();
  // Ctrl+C, Ctrl+V, Ctrl+X become the clipboard messages; false for other keys.
  bool SendClipboardMessage();
  // The key's own action; false when the key-down ends at once.
  bool Act();

 private:
  void BackSpace();
  void PageUp();
  void PageDown();
  bool End();
  void Home();
  void Up();
  void Down();
  void Insert();

  TCustomAFEdit& ed_;
  const int key_;
  const int r0_;
  const int n_;
  const int pageRows_;
  const int repeat_;
  const TShiftState shift_;
  bool ctrl_ = false;
};

void TCustomAFEdit::TKeyDown::TrackShiftSelection() {
  if (shift_.Contains(ssShift) && !ed_.FImeComposing) {
    if (!ed_.FShiftDown && key_ >= VK_PRIOR && key_ <= VK_DOWN) {
      // A new Shift selection starts empty at the caret.
      FlagRows(ed_, ed_.FSelArea->GetStartPoint().y, ed_.FSelArea->GetEndPoint().y);
      ed_.FSelArea->PutStartPoint(ed_.PointAlign(ed_.FCaret));
      ed_.FSelArea->PutEndPoint(ed_.PointAlign(ed_.FCaret));
      ed_.ValiPaint();
    }
    ed_.FShiftDown = true;
    FlagRows(ed_, ed_.FCaret.y, ed_.FCaret.y);
  } else {
    ed_.FShiftDown = false;
  }
}

bool TCustomAFEdit::TKeyDown::SendClipboardMessage() {
  if (!ctrl_ || ed_.FImeComposing || (key_ != 'C' && key_ != 'V' && key_ != 'X')) return false;
  // Nothing is pasted into a read-only control from the keyboard.
  if (key_ == 'V' && ed_.FReadOnly) return true;
  HourGlass busy;
  SendMessageA(ed_.GetHandle(), key_ == 'C' ? WM_COPY : key_ == 'V' ? WM_PASTE : WM_CUT, 0, 0);
  return true;
}

bool TCustomAFEdit::TKeyDown::Act() {
  switch (key_) {
    case VK_BACK:
    case VK_PROCESSKEY:
      if (ed_.FReadOnly) return false;
      BackSpace();
      break;
    case VK_CLEAR:
      ed_.FInsertMode = !ed_.FInsertMode;
      break;
    case VK_PRIOR: PageUp(); break;
    case VK_NEXT: PageDown(); break;
    case VK_END: return End();
    case VK_HOME: Home(); break;
    case VK_LEFT:
      if (ctrl_) ed_.WordJumpLeft();
      else ed_.CaretLeft();
      ed_.CaretMoveResultPaint();
      break;
    case VK_UP: Up(); break;
    case VK_RIGHT:
      if (ctrl_) ed_.WordJumpRight();
      else ed_.CaretRight();
      ed_.CaretMoveResultPaint();
      break;
    case VK_DOWN: Down(); break;
    case VK_INSERT: Insert(); break;
    case VK_DELETE: return ed_.DeleteKey(shift_.Contains(ssShift));
    default:
      if (IsTypingKey(key_)) ed_.FShiftDown = false;
      break;
  }
  return true;
}

// Ctrl+BackSpace at the text start of a row unindents it. The unindent
// needs an existing row: below the last row there is none.
void TCustomAFEdit::TKeyDown::BackSpace() {
  const TPoint caret = ed_.FCaret;
  if (ctrl_ && caret != TPoint(0, 0) && ed_.FOptions.Contains(aoAutoFormat) && caret.y >= 0 && caret.y < n_ &&
      ed_.LogicalPos(caret) == 0)
    ed_.KeyboardUnindent();
}

void TCustomAFEdit::TKeyDown::PageUp() {
  if (ed_.FTopLine <= 0 && ed_.FCaret.y <= 0) return;
  ed_.FTopLine = Max(0, ed_.FTopLine - pageRows_);
  ed_.FCaret.y = Max(0, ed_.FCaret.y - pageRows_);
  ed_.Paint();
  ed_.CaretMoveResultPaint();
}

void TCustomAFEdit::TKeyDown::PageDown() {
  if (n_ - ed_.FTopLine <= 0 || ed_.FCaret.y >= n_ - 1) return;
  ed_.FCaret.y += pageRows_;
  ed_.FTopLine += pageRows_;
  if (!ed_.FOptions.Contains(aoFreeCaret)) {
    ed_.FCaret.y = Min(ed_.FCaret.y, n_ - 1);
    ed_.FTopLine = Max(0, Min(ed_.FTopLine, n_ - pageRows_));
  }
  ed_.Paint();
  ed_.CaretMoveResultPaint();
}

// False when the caret stands on no row (End ends the key-down at once).
bool TCustomAFEdit::TKeyDown::End() {
  TPoint& caret = ed_.FCaret;
  if (ctrl_) {
    const int last = n_ - 1;
    caret = TPoint(Max(ed_.GetLinesAttr(last)->Indent, 0) +
                       static_cast<int>(ed_.TabExpand(ed_.FLines->Get(last), false).size()),
                   last);
  } else {
    if (caret.y > n_ - 1 || caret.y < 0) return false;
    caret.x = static_cast<int>(ed_.DisplayString(caret.y).size()) - (ed_.isCrLine(caret.y) ? 1 : 0);
  }
  ed_.CaretMoveResultPaint();
  return true;
}

void TCustomAFEdit::TKeyDown::Home() {
  TPoint& caret = ed_.FCaret;
  if (ctrl_) caret = TPoint(Max(ed_.GetLinesAttr(0)->Indent, 0), 0);
  else caret.x = (caret.y >= 0 && caret.y < n_) ? Max(ed_.GetLinesAttr(caret.y)->Indent, 0) : 0;
  if (ed_.FLeftCol != 0) {
    ed_.FLeftCol = 0;
    ed_.Paint();
    // Ctrl+Home from a view further down still brings the top row in.
    if (caret.y < ed_.FTopLine) ed_.CaretMoveResultPaint();
  } else {
    ed_.CaretMoveResultPaint();
  }
}

void TCustomAFEdit::TKeyDown::Up() {
  if (ed_.FTopLine == r0_ && ed_.FTopLine > 0) {
    ed_.Perform(WM_VSCROLL, SB_LINEUP, 0);
    ed_.FCaret.y -= 1;
    ed_.CaretMoveResultPaint();
    ed_.SetCaretPosition();
  } else if (r0_ > 0) {
    ed_.FCaret.y -= 1;
    ed_.CaretMoveResultPaint();
  }
}

void TCustomAFEdit::TKeyDown::Down() {
  const bool freeCaret = ed_.FOptions.Contains(aoFreeCaret);
  if (r0_ >= ed_.FTopLine + pageRows_ - 2 && (r0_ < n_ - 2 || freeCaret)) {
    ed_.Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    ed_.FCaret.y += 1;
    ed_.CaretMoveResultPaint();
  } else if (r0_ < n_ - 1 || freeCaret) {
    ed_.FCaret.y += 1;
    ed_.CaretMoveResultPaint();
  }
}

// Shift+Insert pastes, Ctrl+Insert copies, Insert alone switches the mode.
void TCustomAFEdit::TKeyDown::Insert() {
  if (shift_.Contains(ssShift)) {
    if (!ed_.FReadOnly) ed_.Perform(WM_PASTE, 0, 0);
  } else if (ctrl_) {
    ed_.Perform(WM_COPY, 0, 0);
  } else {
    ed_.FInsertMode = !ed_.FInsertMode;
  }
  ed_.SetCaretPosition();  // the caret takes the shape of the mode
  if (ed_.OnStatusChange) ed_.OnStatusChange(&ed_);
}

void TCustomAFEdit::WMKeyDown(TWMKey& Message) {
  // The library's key-down processing (OnKeyDown) runs first; a key it
  // cleared matches nothing below.
  Inherited(Message.Message);
  TKeyDown stroke(*this, Message);
  stroke.TrackShiftSelection();
  if (stroke.SendClipboardMessage()) return;
  if (!stroke.Act()) return;

  Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
  const int key = stroke.Key();
  for (int repeat = stroke.Repeat(); repeat > 1 && GetAsyncKeyState(key) < 0;) {
    --repeat;
    Perform(WM_KEYDOWN, static_cast<uintptr_t>(key), 0);
  }
  ReportSelectChange();
}

// ---------------------------------------------------------------------------
// The other key and focus handlers

void TCustomAFEdit::WMKeyUp(TWMKey& Message) {
  if (Message.CharCode == VK_SHIFT) FShiftDown = false;
  Inherited(Message.Message);
}

void TCustomAFEdit::WMGetDlgCode(TMessage& Message) { Message.Result = DLGC_WANTCHARS; }

void TCustomAFEdit::CMWantSpecialKey(TMessage& Message) {
  Inherited(Message);
  const auto key = static_cast<std::uint16_t>(Message.WParam);
  if (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN || key == VK_TAB) Message.Result = 1;
}

void TCustomAFEdit::CMMouseLeave(TMessage& Message) { Screen->SetCursor(crDefault); }

void TCustomAFEdit::CMFontChanged(TMessage& Message) {
  Inherited(Message);
  if (!ComponentState().Contains(csLoading)) SetFont(Font);
}

void TCustomAFEdit::SetFocus() {
  TWinControl::SetFocus();
  SetIme();
}
