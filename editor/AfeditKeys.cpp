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
  const int row = FCaret.y;
  ++FUndoGroup;
  TAttrListItem before = *GetLinesAttr(row);
  before.ColAttrs = nullptr;
  TAttrListItem after = before;
  after.Indent = static_cast<std::int16_t>(Max(0, before.Indent - Max(FTabSize, 1)));
  after.Changed = 1;
  const AnsiString text = FLines->Get(row);
  FUndoBuff->Push(FUndoGroup, row, 0, FCaret, acChange, text, text, before, after);
  if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
  FCaret.x = after.Indent;
  TAttrListItem* stored = GetLinesAttr(row);
  stored->Indent = after.Indent;
  stored->Changed = 1;
  ValiPaint();
  CaretMoveResultPaint();
}

// ---------------------------------------------------------------------------
// WM_KEYDOWN

void TCustomAFEdit::WMKeyDown(TWMKey& Message) {
  // The library's key-down processing (OnKeyDown) runs first; a key it
  // cleared matches nothing below.
  Inherited(Message.Message);
  const int key = static_cast<std::uint16_t>(Message.Message.WParam);
  const int r0 = FCaret.y;
  const int n = GetLinesCount();
  const int pageRows = Max(GetDspRowCount(), 1);

  // Held keys: an auto-repeat message may run up to three more steps.
  int repeat = (Message.KeyData & 0x40000000) ? Min(FAccelRate, 4) : Min(FAccelRate, 0);
  const TShiftState shift = KeyDataToShiftState(Message.KeyData);
  FImeComposing = ImeComposing(GetHandle());
  const bool ctrl = shift.Contains(ssCtrl);

  if (shift.Contains(ssShift) && !FImeComposing) {
    if (!FShiftDown && key >= VK_PRIOR && key <= VK_DOWN) {
      // A new Shift selection starts empty at the caret.
      FlagRows(*this, FSelArea->GetStartPoint().y, FSelArea->GetEndPoint().y);
      FSelArea->PutStartPoint(PointAlign(FCaret));
      FSelArea->PutEndPoint(PointAlign(FCaret));
      ValiPaint();
    }
    FShiftDown = true;
    FlagRows(*this, FCaret.y, FCaret.y);
  } else {
    FShiftDown = false;
  }

  if (ctrl && !FImeComposing && (key == 'C' || key == 'V' || key == 'X')) {
    // Nothing is pasted into a read-only control from the keyboard.
    if (key == 'V' && FReadOnly) return;
    HourGlass busy;
    SendMessageA(GetHandle(), key == 'C' ? WM_COPY : key == 'V' ? WM_PASTE : WM_CUT, 0, 0);
    return;
  }

  switch (key) {
    case VK_BACK:
    case VK_PROCESSKEY:
      if (FReadOnly) return;
      // The unindent needs an existing row: below the last row there is none.
      if (ctrl && FCaret != TPoint(0, 0) && FOptions.Contains(aoAutoFormat) && FCaret.y >= 0 && FCaret.y < n &&
          LogicalPos(FCaret) == 0)
        KeyboardUnindent();
      break;
    case VK_CLEAR:
      FInsertMode = !FInsertMode;
      break;
    case VK_PRIOR:
      if (FTopLine <= 0 && FCaret.y <= 0) break;
      FTopLine = Max(0, FTopLine - pageRows);
      FCaret.y = Max(0, FCaret.y - pageRows);
      Paint();
      CaretMoveResultPaint();
      break;
    case VK_NEXT:
      if (n - FTopLine <= 0 || FCaret.y >= n - 1) break;
      FCaret.y += pageRows;
      FTopLine += pageRows;
      if (!FOptions.Contains(aoFreeCaret)) {
        FCaret.y = Min(FCaret.y, n - 1);
        FTopLine = Max(0, Min(FTopLine, n - pageRows));
      }
      Paint();
      CaretMoveResultPaint();
      break;
    case VK_END:
      if (ctrl) {
        const int last = n - 1;
        FCaret = TPoint(Max(GetLinesAttr(last)->Indent, 0) + static_cast<int>(TabExpand(FLines->Get(last), false).size()),
                        last);
      } else {
        if (FCaret.y > n - 1 || FCaret.y < 0) return;
        FCaret.x = static_cast<int>(DisplayString(FCaret.y).size()) - (isCrLine(FCaret.y) ? 1 : 0);
      }
      CaretMoveResultPaint();
      break;
    case VK_HOME:
      if (ctrl) FCaret = TPoint(Max(GetLinesAttr(0)->Indent, 0), 0);
      else FCaret.x = (FCaret.y >= 0 && FCaret.y < n) ? Max(GetLinesAttr(FCaret.y)->Indent, 0) : 0;
      if (FLeftCol != 0) {
        FLeftCol = 0;
        Paint();
        // Ctrl+Home from a view further down still brings the top row in.
        if (FCaret.y < FTopLine) CaretMoveResultPaint();
      } else {
        CaretMoveResultPaint();
      }
      break;
    case VK_LEFT:
      if (ctrl) WordJumpLeft();
      else CaretLeft();
      CaretMoveResultPaint();
      break;
    case VK_UP:
      if (FTopLine == r0 && FTopLine > 0) {
        Perform(WM_VSCROLL, SB_LINEUP, 0);
        FCaret.y -= 1;
        CaretMoveResultPaint();
        SetCaretPosition();
      } else if (r0 > 0) {
        FCaret.y -= 1;
        CaretMoveResultPaint();
      }
      break;
    case VK_RIGHT:
      if (ctrl) WordJumpRight();
      else CaretRight();
      CaretMoveResultPaint();
      break;
    case VK_DOWN: {
      const bool freeCaret = FOptions.Contains(aoFreeCaret);
      if (r0 >= FTopLine + pageRows - 2 && (r0 < n - 2 || freeCaret)) {
        Perform(WM_VSCROLL, SB_LINEDOWN, 0);
        FCaret.y += 1;
        CaretMoveResultPaint();
      } else if (r0 < n - 1 || freeCaret) {
        FCaret.y += 1;
        CaretMoveResultPaint();
      }
      break;
    }
    case VK_INSERT:
      if (shift.Contains(ssShift)) {
        if (!FReadOnly) Perform(WM_PASTE, 0, 0);
      } else if (ctrl) {
        Perform(WM_COPY, 0, 0);
      } else {
        FInsertMode = !FInsertMode;
      }
      SetCaretPosition();  // the caret takes the shape of the mode
      if (OnStatusChange) OnStatusChange(this);
      break;
    case VK_DELETE:
      if (!DeleteKey(shift.Contains(ssShift))) return;
      break;
    default:
      if (IsTypingKey(key)) FShiftDown = false;
      break;
  }

  Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
  while (repeat > 1 && GetAsyncKeyState(key) < 0) {
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
