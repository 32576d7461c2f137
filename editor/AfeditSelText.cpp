// Selection text, deletion and copy: the text of a range in logical or
// display form, deletion of the selection, the system clipboard and the
// private row clipboard, leading blanks to indent, WM_CUT/COPY/CLEAR/UNDO.
#include <algorithm>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Clipboard.h"

namespace {

constexpr char kCR = '\r';

AnsiString WithoutFinalCr(const AnsiString& s) {
  if (!s.empty() && s.back() == kCR) return s.substr(0, s.size() - 1);
  return s;
}

int ClampRow(TCustomAFEdit& edit, int row) {
  return std::clamp(row, 0, edit.GetLinesCount() - 1);
}

int RowLength(TCustomAFEdit& edit, int row) { return static_cast<int>(edit.GetLine(row).size()); }

// The character index of display column `col` of an existing row, kept
// inside the row: a column in the indent gives 0, a column past the end the
// row length.
int CharIndexInRow(TCustomAFEdit& edit, int row, int col) {
  return std::clamp(edit.LogicalPos(TPoint(col, row)), 0, RowLength(edit, row));
}

// A selection point as a character position of an existing row.
TPoint SelPointToCharPos(TCustomAFEdit& edit, const TPoint& p) {
  const int row = ClampRow(edit, p.y);
  return TPoint(CharIndexInRow(edit, row, p.x), row);
}

// The character range [start, end) of the selection, the point selection
// taking precedence; false when nothing is selected. A row selection that
// reaches past the text is cut to the text. `wholeRows` tells which of the
// two it was: only whole rows lose their trailing blanks.
bool SelectionCharRange(TCustomAFEdit& edit, TPoint& start, TPoint& end, bool& wholeRows) {
  TSelArea* sel = edit.FSelArea;
  wholeRows = false;
  if (sel->isPointAble()) {
    start = SelPointToCharPos(edit, sel->GetStartPoint());
    end = SelPointToCharPos(edit, sel->GetEndPoint());
    return true;
  }
  if (sel->isRowAble()) {
    const int last = ClampRow(edit, sel->GetEndRow());
    start = TPoint(0, ClampRow(edit, sel->GetStartRow()));
    end = TPoint(RowLength(edit, last), last);
    wholeRows = true;
    return true;
  }
  return false;
}

// Removes every trailing byte up to 0x20 (blanks and control bytes).
void TrimRight(AnsiString& s) {
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 0x20) --n;
  s.resize(n);
}

}  // namespace

AnsiString TCustomAFEdit::GetRangeText(const TPoint& start, const TPoint& end, bool display, bool trim) {
  TPoint S = start, E = end;
  if (E.x == 0 && E.y == 0) return AnsiString();
  const int count = GetLinesCount();
  if (E.y < 0) return AnsiString();
  if (E.y >= count) E = TPoint(-1, count - 1);  // past the text: its end
  if (E.x < 0) E.x = RowLength(*this, E.y);
  if (E.x == 0) {
    // An end at the start of a row is the end of the previous row, CR included.
    if (E.y == 0) return AnsiString();
    --E.y;
    E.x = RowLength(*this, E.y);
  }
  E.x = Min(E.x, RowLength(*this, E.y));
  S.y = Max(S.y, 0);
  if (S.y > E.y) return AnsiString();
  S.x = std::clamp(S.x, 0, RowLength(*this, S.y));

  const AnsiString endRow = GetLine(E.y);
  const bool endsAtCr = E.x > 0 && endRow[static_cast<size_t>(E.x - 1)] == kCR;

  // Display form of a row: indent as spaces, tabs as spaces, no CR.
  auto displayForm = [this](int row) {
    const int indent = Max(GetLinesAttr(row)->Indent, 0);
    return AnsiString(static_cast<size_t>(indent), ' ') + TabExpand(WithoutFinalCr(GetLine(row)), true);
  };
  auto blankHead = [](AnsiString s, int cols) {
    std::fill_n(s.begin(), std::clamp(cols, 0, static_cast<int>(s.size())), ' ');
    return s;
  };
  auto cutAfter = [](AnsiString s, int cols) {
    if (cols < static_cast<int>(s.size())) s.resize(static_cast<size_t>(Max(cols, 0)));
    return s;
  };

  std::vector<AnsiString> entries;
  if (display) {
    const int startCol = DspPos(S).x, endCol = DspPos(E).x;
    if (S.y == E.y) {
      entries.push_back(cutAfter(blankHead(displayForm(S.y), startCol), endCol));
    } else {
      entries.push_back(blankHead(displayForm(S.y), startCol));
      for (int r = S.y + 1; r < E.y; ++r) entries.push_back(displayForm(r));
      entries.push_back(endRow.empty() ? AnsiString() : cutAfter(displayForm(E.y), endCol));
    }
  } else if (S.y == E.y) {
    const AnsiString text = WithoutFinalCr(endRow);
    const size_t from = Min(S.x, static_cast<int>(text.size()));
    const size_t to = Max(static_cast<int>(from), Min(E.x, static_cast<int>(text.size())));
    entries.push_back(text.substr(from, to - from));
  } else {
    // Soft-wrapped rows continue the entry of the row before them.
    auto addRow = [&](int row, const AnsiString& text) {
      if (isCrLine(row - 1))
        entries.push_back(text);
      else
        entries.back() += text;
    };
    const AnsiString first = WithoutFinalCr(GetLine(S.y));
    entries.push_back(first.substr(Min(S.x, static_cast<int>(first.size()))));
    for (int r = S.y + 1; r < E.y; ++r) addRow(r, WithoutFinalCr(GetLine(r)));
    const AnsiString last = WithoutFinalCr(endRow);
    addRow(E.y, last.substr(0, Min(E.x, static_cast<int>(last.size()))));
  }

  AnsiString result;
  for (const AnsiString& e : entries) {
    result += e;
    result += "\r\n";
  }
  if (!display && !endsAtCr && E.x > 0) {
    // The range ends inside its last line, which takes no line end.
    if (trim)
      TrimRight(result);
    else
      result.resize(result.size() - 2);
  }
  return result;
}

AnsiString TCustomAFEdit::GetSelText() {
  TPoint s, e;
  bool wholeRows;
  if (!SelectionCharRange(*this, s, e, wholeRows)) return AnsiString();
  return GetRangeText(s, e, false, wholeRows);
}

void TCustomAFEdit::SetSelText(AnsiString text) { KeyInput(text); }

void TCustomAFEdit::SelectAll() {
  // A point selection would take precedence over the rows selected here.
  FSelArea->PointReset();
  FSelArea->PutStartRow(0);
  FSelArea->PutEndRow(GetLinesCount() - 1);
  SetSelAreaMaxMin();
  ReportSelectChange();
  Paint();
}

void TCustomAFEdit::SelectAreaDel() {
  ++FUndoGroup;
  if (FSelArea->isPointAble() || !FSelArea->isRowAble()) {
    // The points may name rows or columns that an earlier edit removed.
    const TPoint a = PointAlign(FSelArea->GetStartPoint());
    const TPoint b = PointAlign(FSelArea->GetEndPoint());
    const TPoint S = PointMin(a, b), E = PointMax(a, b);
    for (int i = 0; i < E.y - S.y - 1; ++i) DelLineP(S.y + 1);

    const int row = S.y;
    const int i1 = CharIndexInRow(*this, row, S.x);
    if (E.y == S.y) {
      const int i2 = Max(i1, CharIndexInRow(*this, row, E.x));
      const AnsiString text = GetLine(row);
      SetLine(row, text.substr(0, static_cast<size_t>(i1)) + text.substr(static_cast<size_t>(i2)));
      ColAttrEdit(row, i1, i2 - i1, emDelete);
      BlkAttrEdit(row, i1, i2 - i1, emDelete);
    } else {
      // The first row keeps its head, the next row gives its tail.
      const int next = row + 1;
      const int d = CharIndexInRow(*this, next, E.x);
      const AnsiString head = GetLine(row);
      const AnsiString tail = GetLine(next);
      const int headLen = static_cast<int>(head.size());
      const int tailLen = static_cast<int>(tail.size());
      ColAttrEdit(row, i1, headLen - i1, emDelete);
      BlkAttrEdit(row, i1, headLen - i1, emDelete);
      LineChange(row, head.substr(0, static_cast<size_t>(i1)), false);
      ColAttrEdit(next, 0, d, emDelete);
      BlkAttrEdit(next, 0, d, emDelete);
      ColAttrBlockEdit(next, row, tailLen - d, emAdd);
      BlkAttrBlockEdit(next, row, tailLen - d, emAdd);
      LineChange(row, GetLine(row) + tail.substr(static_cast<size_t>(d)), false);
      if (next == GetLinesCount() - 1) {
        ColAttrFree(next);
        LineChange(next, AnsiString(), false);
      } else {
        DelLineP(next);
      }
      for (int r = row; r < GetLinesCount(); ++r) GetLinesAttr(r)->Changed = 1;
    }
    FoldLine(row);
    FCaret = S;
    FTopLine = Min(FCaret.y, FTopLine);
    FSelArea->PointReset();
  } else {
    // Whole rows; the last row of the text is emptied and kept.
    const int first = ClampRow(*this, FSelArea->GetStartRow());
    const int last = ClampRow(*this, FSelArea->GetEndRow());
    const bool lastRowGone = last == GetLinesCount() - 1;
    for (int r = last; r >= first; --r) {
      if (r == GetLinesCount() - 1) {
        ColAttrFree(r);
        LineChange(r, AnsiString(), false);
      } else {
        DelLineP(r);
      }
    }
    for (int r = first; r < GetLinesCount(); ++r) GetLinesAttr(r)->Changed = 1;
    // A caret that stood after the removed last row goes onto the row that
    // stays in its place, so text put there replaces the rows.
    if (lastRowGone && FCaret.y > GetLinesCount() - 1) FCaret.y = GetLinesCount() - 1;
    FTopLine = Min(FCaret.y, FTopLine);
    FSelArea->RowReset();
  }
  ValiPaint();
  SetCaretPosition();
}

void TCustomAFEdit::SelectAreaCopy(bool display) {
  TPoint s, e;
  bool wholeRows;
  if (!SelectionCharRange(*this, s, e, wholeRows)) return;
  const AnsiString text = GetRangeText(s, e, display, wholeRows);
  Clipboard()->SetTextBuf(text.c_str());
  if (display) return;

  // The private row clipboard: whole rows with their attributes.
  FClipAttrs->Clear();
  FClipLines->Clear();
  if (FSelArea->isPointAble() || !FSelArea->isRowAble()) return;
  for (int r = s.y; r <= e.y; ++r) {
    TAttrListItem attr = *GetLinesAttr(r);
    attr.ColAttrs = nullptr;
    FClipAttrs->Add(attr);
    FClipLines->Add(GetLine(r));
  }
}

void TCustomAFEdit::SelAreaLeftSpaceToIndent() {
  int first, last;
  if (FSelArea->isPointAble() || !FSelArea->isRowAble()) {
    first = FSelArea->GetStartPoint().y;
    last = FSelArea->GetEndPoint().y;
  } else {
    first = FSelArea->GetStartRow();
    last = FSelArea->GetEndRow();
  }
  first = ClampRow(*this, first);
  last = ClampRow(*this, last);
  ++FUndoGroup;
  const int tab = Max(FTabSize, 1);
  for (int r = first; r <= last; ++r) {
    TAttrListItem* attr = GetLinesAttr(r);
    const AnsiString oldText = GetLine(r);
    int indent = attr->Indent;
    size_t k = 0;
    for (; k < oldText.size() && (oldText[k] == ' ' || oldText[k] == '\t'); ++k)
      indent = oldText[k] == ' ' ? indent + 1 : (indent / tab + 1) * tab;
    TAttrListItem oldAttr = *attr;
    oldAttr.ColAttrs = nullptr;
    // A wrap column below 8 must not give a negative indent.
    attr->Indent = static_cast<std::int16_t>(Max(Min(indent, attr->WrapPos - 8), 0));
    attr->Changed = 1;
    const AnsiString newText = oldText.substr(k);
    FLines->Put(r, newText);
    TAttrListItem newAttr = *attr;
    newAttr.ColAttrs = nullptr;
    FUndoBuff->Push(FUndoGroup, r, 0, FCaret, acChange, oldText, newText, oldAttr, newAttr);
    ColAttrEdit(r, 0, static_cast<int>(k), emDelete);
    BlkAttrEdit(r, 0, static_cast<int>(k), emDelete);
    if (OnUndoChange) OnUndoChange(this, FUndoBuff->FCanUndo, false);
  }
  ValiPaint();
}

void TCustomAFEdit::WMCut(TMessage& Message) {
  if (FReadOnly) return;
  ++FUndoGroup;
  SelectAreaCopy(false);
  SelectAreaDel();
  if (OnDisSelect) OnDisSelect(this);
}

void TCustomAFEdit::WMCopy(TMessage& Message) { SelectAreaCopy(false); }

void TCustomAFEdit::WMCLEAR(TMessage& Message) {
  if (!FReadOnly) SelectAreaDel();
}

void TCustomAFEdit::WMUNDO(TMessage& Message) {
  if (!FReadOnly) Undo();
}
