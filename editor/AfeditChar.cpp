// Typed characters and input-method results: WM_CHAR (Backspace, Tab, Enter
// with automatic indent, Escape, typed characters) and the result string of
// a finished composition (WM_IME_COMPOSITION).
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Imm.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The blanks (and with jpn full-width spaces) that open text, looked for in
// its first c bytes: what Enter copies onto the new row.
AnsiString LeadingBlanks(const AnsiString& text, int c, bool jpn) {
  int p = 0;
  while (p < c) {
    if (IsBlank(text[static_cast<size_t>(p)])) {
      p += 1;
    } else if (jpn && p + 1 < static_cast<int>(text.size()) && text[static_cast<size_t>(p)] == '\x81' &&
               text[static_cast<size_t>(p + 1)] == '\x40') {
      p += 2;  // full-width space
    } else {
      break;
    }
  }
  return text.substr(0, static_cast<size_t>(p));
}

// Sets a value for the length of a scope and puts the old one back.
template <class T>
class Restore {
 public:
  Restore(T& place, T value) : FPlace(place), FOld(place) { FPlace = value; }
  ~Restore() { FPlace = FOld; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& FPlace;
  T FOld;
};

}  // namespace

void TCustomAFEdit::WMChar(TWMKey& Message) {
  // The library's key-press processing (OnKeyPress) may clear the character.
  Inherited(Message.Message);
  const auto ch = static_cast<unsigned char>(Message.Message.WParam & 0xFF);
  if (ch == 0) {
    FPendingLeadByte = -1;
    return;
  }
  if (DoCtrlKeyPress(TWMKey(Message.Message))) {
    FPendingLeadByte = -1;
    return;
  }
  // A double-byte character typed as two messages goes in whole, lead byte
  // first; a lead byte without its trail byte is no character and is dropped.
  AnsiString text;
  if (FPendingLeadByte >= 0) {
    const char lead = static_cast<char>(FPendingLeadByte);
    FPendingLeadByte = -1;
    if (cp932::IsTrailByte(ch)) text = AnsiString{lead, static_cast<char>(ch)};
  }
  if (text.empty()) {
    if (cp932::IsLeadByte(ch)) {
      FPendingLeadByte = ch;
      return;
    }
    text = AnsiString(1, static_cast<char>(ch));
  }
  if (!FReadOnly) KeyInput(text);
}

bool TCustomAFEdit::DoCtrlKeyPress(const TWMKey& Message) {
  const TShiftState shift = KeyDataToShiftState(Message.KeyData);
  FShiftDown = false;  // every character ends a Shift selection
  const int n = GetLinesCount();
  switch (Message.CharCode & 0xFF) {
    case 8:  // Backspace: the character left of the caret, or the selection
      if (FSelArea->isPointAble() || FSelArea->isRowAble()) {
        ++FUndoGroup;
        Perform(WM_KEYDOWN, VK_DELETE, 0);
      } else if (CanStepLeft()) {
        // At the text start of row 0 there is nothing to the left: stepping
        // would not move, and Delete would take the character after the caret.
        ++FUndoGroup;
        Perform(WM_KEYDOWN, VK_LEFT, 0);
        Perform(WM_KEYDOWN, VK_DELETE, 0);
      }
      return true;

    case 9: {  // Tab
      ++FUndoGroup;
      if (FReadOnly) return true;
      const int tab = Max(FTabSize, 1);
      if (FOptions.Contains(aoAutoFormat) && FCaret.y >= 0 && FCaret.y < n && LogicalPos(FCaret) == 0) {
        // At the start of the row's text the row is indented instead, as far
        // as the wrap column leaves room for; never below 0, never less than
        // it was.
        const TAttrListItem* attr = GetLinesAttr(FCaret.y);
        const int room = Max(0, static_cast<int>(attr->WrapPos) - 8);
        SetCaretRowIndent(Max(attr->Indent, Min(attr->Indent + tab, room)), FCaret.x + tab);
      } else if (FOptions.Contains(aoTabToSp)) {
        KeyInput(AnsiString(static_cast<size_t>(tab - Max(FCaret.x, 0) % tab), ' '));
      } else {
        KeyInput("\t");
      }
      return true;
    }

    case 13: {  // Enter, with the leading blanks left of the caret
      AnsiString indent;
      const bool jpn = FOptions.Contains(aoAutoJpnIndent);
      if ((jpn || FOptions.Contains(aoAutoIndent)) && FCaret.y >= 0 && FCaret.y < n && !FLines->Get(FCaret.y).empty()) {
        const AnsiString& text = FLines->Get(FCaret.y);
        indent = LeadingBlanks(text, Min(LogicalPos(FCaret), static_cast<int>(text.size())), jpn);
      }
      Restore<bool> insertMode(FInsertMode, true);
      TAFEditOptions options = FOptions;
      Restore<TAFEditOptions> noFreeCaret(FOptions, options >> aoFreeCaret);
      if (!FReadOnly) KeyInput("\r" + indent);
      return true;
    }

    case 27:  // Escape drops both selections
      FSelArea->PointReset();
      FSelArea->RowReset();
      Paint();
      return true;

    default:
      // With Ctrl, outside a composition, a character is a shortcut, not text.
      return shift.Contains(ssCtrl) && !FImeComposing;
  }
}

void TCustomAFEdit::WMImeComposition(TMessage& Message) {
  if (!(Message.LParam & GCS_RESULTSTR)) {
    const intptr_t result = Message.Result;
    Inherited(Message);
    Message.Result = result;
    return;
  }
  // The whole result string is one insertion and one undo group.
  ++FUndoGroup;
  FPendingLeadByte = -1;
  HIMC imc = ImmGetContext(GetHandle());
  const long length = ImmGetCompositionStringA(imc, GCS_RESULTSTR, nullptr, 0);
  AnsiString text;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    const long got = ImmGetCompositionStringA(imc, GCS_RESULTSTR, buffer.data(), static_cast<unsigned>(length));
    buffer[static_cast<size_t>(got < 0 ? 0 : got > length ? length : got)] = '\0';
    text = buffer.data();  // up to the first 0 byte
  }
  ImmReleaseContext(GetHandle(), imc);
  // An error (negative length) or an empty result inserts nothing and leaves
  // a selection alone.
  if (!FReadOnly && !text.empty()) KeyInput(text);
}
