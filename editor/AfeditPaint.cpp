// Painting of the text rows: the display string of a row, its runs of equal
// colour, the marks for tabs, indents, full-width spaces, line ends and
// special characters, keywords, and the repaint of every row (Paint) or of
// the rows that edits flagged (ValiPaint).
#include <algorithm>
#include <bitset>
#include <utility>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"

namespace {

constexpr char kIndentByte = 0x01;  // an indent cell in the display string
constexpr char kFillByte = 0x0B;    // a cell a tab fills before its tab byte

int CompareTextNoCase(const AnsiString& a, const AnsiString& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    unsigned char x = static_cast<unsigned char>(a[k]), y = static_cast<unsigned char>(b[k]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Binary search under the list's case-insensitive order: a keyword is found
// only while the list is kept in that order (the control never sorts it).
bool FindKeyword(const TStrings* list, const AnsiString& word) {
  int lo = 0, hi = list->Count() - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareTextNoCase(list->Strings(mid), word);
    if (c == 0) return true;
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return false;
}

// The double-byte characters of a dependence-character text, taken at
// character boundaries, as a set of codes; rebuilt when the text changes.
const std::bitset<65536>& DependenceSet(const AnsiString& chars) {
  static AnsiString cachedFor;
  static std::bitset<65536> codes;
  static bool built = false;
  if (!built || chars != cachedFor) {
    codes.reset();
    int n = static_cast<int>(chars.size());
    for (int k = 0; k < n;) {
      int l = Cp932CharLen(chars, k);
      if (l == 2)
        codes.set(static_cast<size_t>((static_cast<unsigned char>(chars[static_cast<size_t>(k)]) << 8) |
                                      static_cast<unsigned char>(chars[static_cast<size_t>(k) + 1])));
      k += l;
    }
    cachedFor = chars;
    built = true;
  }
  return codes;
}

}  // namespace

// ---------------------------------------------------------------------------

void TCustomAFEdit::ExtTextPaint(int x, int y, int minLeft, AnsiString s) {
  int n = static_cast<int>(s.size());
  // Held within the client area: what lies past it is never seen, and the
  // window need not repaint its scroll bars for it.
  TRect r(Max(x, minLeft), y, Min(x + n * FCharStep, ClientWidth()), Min(y + FRowHeight, ClientHeight()));
  // The advances come from a buffer at least as long as this text.
  Canvas->ExtTextOut(x, y, ETO_CLIPPED | ETO_OPAQUE, &r, std::as_const(s).data(), n, CharDx(n));
  Canvas->MoveTo(x + n * FCharStep, y + FRowHeight);
}

// One row being drawn into its strip: the row's display text, its record,
// the canvas, and the walk over the cells of the strip. Text is gathered in
// `run_` and written at the pen in one output whenever the colours change.
class TCustomAFEdit::TRowPainter {
 public:
  TRowPainter(TCustomAFEdit& ed, int row, TAttrListItem* attr, int y, const TRect& strip)
      : ed_(ed), row_(row), attr_(attr), y_(y), strip_(strip), cv_(ed.Canvas),
        lastRow_(row == ed.GetLinesCount() - 1), dependence_(DependenceSet(ed.FDependenceChar)) {
    BuildText();
  }

  // The background of the whole strip, then (unless OnDrawLine declines)
  // the cells of the strip; false when the handler declined.
  bool DrawStrip();
  // The wrap column's line and, below the last row, the empty area.
  void DrawWrapLine();
  void FillBelowText();

 private:
  bool View(TViewOption option) const { return ed_.FViewOpt.Contains(option); }
  void BuildText();
  int CharIndexAt(int column) const;
  bool SelectedAt(int c) const;
  void SetColors(int c, TCharKind kind);
  bool SetBlockColors();
  void SetKindColors(TCharKind kind, bool sel);
  int PenX() const { return cv_->GetPenPos().x; }
  void DrawAtPen(const AnsiString& s) { ed_.ExtTextPaint(PenX(), y_, ed_.FTextLeft, s); }
  void Flush();
  // Flushes the run and forgets the keyword candidate before a mark.
  void EndRun();
  void DrawMark(int x, TMark mark);
  void DrawKeyword();
  void DrawKeywordIfShown();
  void DrawKeywordTail(const AnsiString& rest);
  // One piece in colours of its own, between runs of plain text.
  void DrawMarked(const AnsiString& s, TCharKind kind);
  bool IsDependenceChar(const AnsiString& ch) const;
  bool InWord(int k) const;
  void WidenStrip();
  // Draws the cell at col_ (with what belongs to it); false when the cell
  // ended a run of column attributes and must be examined afresh.
  bool DrawCell();
  void DrawIndentMarks();
  void DrawColAttrRun();
  void DrawDoubleByte();
  void DrawTabGroup();
  void DrawSingleByte(unsigned char b);
  void FinishStrip();

  TCustomAFEdit& ed_;
  const int row_;
  TAttrListItem* const attr_;
  const int y_;
  const TRect strip_;
  TCanvas* const cv_;
  const bool lastRow_;
  const std::bitset<65536>& dependence_;

  int indent_ = 0;
  AnsiString text_;               // indent bytes, then the text with tabs as fill bytes
  AnsiString shown_;              // text_ as shown, ending in one CR or LF cell
  std::vector<int> fillsBefore_;  // fill bytes in text_[0, k)
  int first_ = 0;                 // first and end column of the widened strip
  int end_ = 0;
  int col_ = 0;                   // current display column
  int index_ = 0;                 // current character index in the row's text
  int nextChange_ = -1;           // next character index where a block attribute changes
  unsigned char lastByte_ = 0;    // last byte drawn
  AnsiString run_;                // bytes gathered for the next text output
  AnsiString word_;               // keyword candidate ending at col_
};

void TCustomAFEdit::TRowPainter::BuildText() {
  indent_ = Max(0, attr_->Indent);
  text_.assign(static_cast<size_t>(indent_), kIndentByte);
  text_ += ed_.TabExpand(ed_.FLines->Strings(row_), false);
  fillsBefore_.resize(text_.size() + 1);
  fillsBefore_[0] = 0;
  // Read through const access: shown_ below starts out sharing text_.
  const AnsiString& text = text_;
  for (size_t k = 0; k < text.size(); ++k) fillsBefore_[k + 1] = fillsBefore_[k] + (text[k] == kFillByte);

  shown_ = text_;
  if (!View(voTab) || !View(voIndent)) {
    for (char& b : shown_) {
      if (!View(voTab) && (b == '\t' || b == kFillByte)) b = ' ';
      if (!View(voIndent) && b == kIndentByte) b = ' ';
    }
  }
  if (shown_.empty())
    shown_.assign(1, '\n');
  else if (!ed_.isCrLine(row_))
    shown_ += '\n';
}

// DspColToCharCount(text_, column, indent_) in constant time.
int TCustomAFEdit::TRowPainter::CharIndexAt(int column) const {
  int lenT = static_cast<int>(text_.size());
  if (lenT == 0) return 0;
  int c = column;
  if (c < lenT) {
    while (c < lenT && text_[static_cast<size_t>(c)] == kFillByte) ++c;
  } else {
    c = lenT;
  }
  return c - fillsBefore_[static_cast<size_t>(c)] - indent_;
}

bool TCustomAFEdit::TRowPainter::SelectedAt(int c) const {
  return (ed_.FSelArea->isSelPoint(c, row_) && indent_ <= c && c < static_cast<int>(text_.size())) ||
         ed_.FSelArea->isSelRow(row_);
}

// Canvas font colour and style and brush colour for one piece of this kind
// at column c.
void TCustomAFEdit::TRowPainter::SetColors(int c, TCharKind kind) {
  if (kind == ckCmt) return;
  bool sel = SelectedAt(c);
  if (sel) {
    TFont* f = cv_->Font;
    if (attr_->BackColor == ed_.FColor) {
      f->SetColor(ed_.FSelFont->GetColor());
      f->SetStyle(ed_.FSelFont->GetStyle());
      cv_->Brush->SetColor(ed_.FColSelBrush);
    } else {
      f->SetColor(attr_->BackColor);
      cv_->Brush->SetColor(attr_->TextColor);
      f->SetStyle(ed_.FSelFont->GetStyle());
    }
  } else if (SetBlockColors()) {
    return;
  }
  SetKindColors(kind, sel);
}

// A block attribute over the current character decides its colours alone.
bool TCustomAFEdit::TRowPainter::SetBlockColors() {
  TColor bc;
  TFontStyles bs;
  if (!ed_.FBlkAttrs->GetProperty(TPoint(index_, row_), bc, bs)) return false;
  cv_->Font->SetColor(bc);
  cv_->Font->SetStyle(bs);
  cv_->Brush->SetColor(attr_->BackColor);
  return true;
}

void TCustomAFEdit::TRowPainter::SetKindColors(TCharKind kind, bool sel) {
  TFont* f = cv_->Font;
  TBrush* br = cv_->Brush;
  switch (kind) {
    case ckNorm:
      if (!sel) {
        f->Assign(ed_.Font);
        f->SetColor(attr_->TextColor);
        br->SetColor(attr_->BackColor);
      }
      break;
    case ckJSpace:
      if (!sel) {
        f->SetColor(ed_.FMarkColor);
        br->SetColor(attr_->BackColor);
      }
      break;
    case ckCrMark:
    case ckNone:
      if (!sel) {
        f->SetColor(ed_.FColCr);
        br->SetColor(attr_->BackColor);
      }
      break;
    case ckDependence:
      f->SetColor(ed_.FDependenceFont->GetColor());
      if (!sel) br->SetColor(attr_->BackColor);
      break;
    case ckKeyWord:
      if (sel) {
        f->SetStyle(ed_.FKeywordFont->GetStyle());
        // Resolved first, so that the mix of system and plain colours
        // always gives a plain colour.
        f->SetColor(ColorToRGB(ed_.Font->GetColor()) ^ ColorToRGB(ed_.FKeywordFont->GetColor()) ^
                    ColorToRGB(ed_.FSelFont->GetColor()));
      } else {
        f->Assign(ed_.FKeywordFont);
        br->SetColor(attr_->BackColor);
      }
      break;
    case ckColAttr:
      if (!sel) {
        TColAttrListItem* item = attr_->ColAttrs ? attr_->ColAttrs->PeekItem(index_) : nullptr;
        f->SetColor(item ? item->Color : 0);
        br->SetColor(attr_->BackColor);
      }
      break;
    case ckCmt:
      break;
  }
}

void TCustomAFEdit::TRowPainter::Flush() {
  if (!run_.empty()) DrawAtPen(run_);
  run_.clear();
}

void TCustomAFEdit::TRowPainter::EndRun() {
  Flush();
  word_.clear();
}

void TCustomAFEdit::TRowPainter::DrawMark(int x, TMark mark) {
  switch (mark) {
    case mkFold:
      if (View(voFoldMark)) ed_.ExtTextPaint(x, y_, ed_.FTextLeft, ed_.FFoldMark);
      break;
    case mkCR:
      if (!View(voCr)) break;
      if (!ed_.FCrMarkText.empty()) {
        SetColors(col_, ckCrMark);
        ed_.ExtTextPaint(x, y_, ed_.FTextLeft, ed_.FCrMarkText);
      } else {
        if (attr_->BackColor != ed_.FCrBmpBack) ed_.SetCrColor(ed_.FColCr, attr_->BackColor);
        cv_->Draw(x, y_, SelectedAt(col_) ? ed_.FCrSelBmp : ed_.FCrBmp);
      }
      break;
    case mkEOF:
      ed_.ExtTextPaint(x, y_, ed_.FTextLeft, ed_.FEofMark);
      break;
    case mkTab:
      break;
  }
}

// Redraws the word that ends before col_ in the keyword font when it is one
// of the keywords, split where the selection starts or ends inside it.
void TCustomAFEdit::TRowPainter::DrawKeyword() {
  if (word_.empty() || !FindKeyword(ed_.FKeywords, word_)) return;
  const AnsiString W = word_;
  int n = static_cast<int>(W.size());
  int col = col_;
  Flush();
  cv_->MoveTo(PenX() - n * ed_.FCharStep, y_);
  int start = 0;
  for (int k = 0; k < n; ++k) {
    if (SelectedAt(col - n + k) != SelectedAt(col - n + k - 1)) {
      SetColors(col - n + k - 1, ckKeyWord);
      if (k > start) DrawAtPen(W.substr(static_cast<size_t>(start), static_cast<size_t>(k - start)));
      SetColors(col - n + k, ckKeyWord);
      start = k;
    }
  }
  SetColors(col - 1, ckKeyWord);
  DrawKeywordTail(W.substr(static_cast<size_t>(start)));
  cv_->MoveTo(PenX(), y_);
  run_.clear();
  word_.clear();
  SetColors(col, ckNorm);
}

// A wider keyword font keeps its last glyph inside the word's cells.
void TCustomAFEdit::TRowPainter::DrawKeywordTail(const AnsiString& rest) {
  int rlen = static_cast<int>(rest.size());
  int w = cv_->TextWidth(rest.substr(rest.size() - 1)) + 1;
  const int step = ed_.FCharStep;
  if (rlen >= 2 && w > step) {
    int d = Max(1, (w - step) / rlen);
    int k = Min((w - step) / d, rlen);
    int* dx = ed_.CharDx(rlen);
    for (int j = 0; j < k; ++j) dx[j] -= d;
    DrawAtPen(rest);
    for (int j = 0; j < k; ++j) dx[j] = step;
  } else {
    DrawAtPen(rest);
  }
}

void TCustomAFEdit::TRowPainter::DrawKeywordIfShown() {
  if (View(voKeyWord)) DrawKeyword();
}

void TCustomAFEdit::TRowPainter::DrawMarked(const AnsiString& s, TCharKind kind) {
  SetColors(col_, kind);
  DrawAtPen(s);
  SetColors(col_, ckNorm);
}

bool TCustomAFEdit::TRowPainter::IsDependenceChar(const AnsiString& ch) const {
  return dependence_.test(
      static_cast<size_t>((static_cast<unsigned char>(ch[0]) << 8) | static_cast<unsigned char>(ch[1])));
}

bool TCustomAFEdit::TRowPainter::InWord(int k) const {
  unsigned char b = static_cast<unsigned char>(shown_[static_cast<size_t>(k)]);
  return b == '\t' || b == static_cast<unsigned char>(kFillByte) || ed_.FWordChars[b];
}

// The bytes that lie in the strip, widened to whole characters, whole tab
// groups and whole words; every decision on a trail byte walks the string
// from its start, and nothing reads past its end.
void TCustomAFEdit::TRowPainter::WidenStrip() {
  const AnsiString& D = shown_;
  const int len = static_cast<int>(D.size());
  const int step = ed_.FCharStep;
  int s = (strip_.Left - ed_.FTextLeft) / step + ed_.FLeftCol;
  // A cell cut by the strip's right edge is drawn too (clipped).
  int e = (strip_.Right - ed_.FTextLeft + step - 1) / step + ed_.FLeftCol;
  if (s > 0 && s < len) {
    if (InWord(s))
      while (s > 0 && InWord(s - 1)) --s;
    if (Cp932IsTrail(D, s)) --s;
  } else if (s == len) {
    s = len - 1;
  }
  if (e < len) {
    if (e > 0 && Cp932IsTrail(D, e)) ++e;
    if (e < len) {
      if (D[static_cast<size_t>(e)] == '\n' || D[static_cast<size_t>(e)] == '\r')
        ++e;
      else if (InWord(e))
        while (e < len && InWord(e)) ++e;
    }
  }
  first_ = s;
  end_ = Min(e, len);
}

bool TCustomAFEdit::TRowPainter::DrawStrip() {
  // Background of the whole strip.
  SetColors(0, ckNone);
  cv_->FillRect(strip_);

  bool defaultDraw = true;
  if (ed_.OnDrawLine) ed_.OnDrawLine(&ed_, row_, strip_, shown_, defaultDraw);
  if (!defaultDraw) return false;

  WidenStrip();
  cv_->MoveTo((first_ - ed_.FLeftCol) * ed_.FCharStep + ed_.FTextLeft, y_);
  col_ = first_;
  index_ = CharIndexAt(first_);
  nextChange_ = ed_.FBlkAttrs->NearestChangePos(TPoint(0, row_));
  SetColors(col_, ckNorm);
  lastByte_ = 0;
  const bool indentShown = View(voIndent);

  while (col_ < end_) {
    lastByte_ = static_cast<unsigned char>(std::as_const(shown_)[static_cast<size_t>(col_)]);
    index_ = CharIndexAt(col_);
    if (index_ >= nextChange_ && nextChange_ >= 0) {
      EndRun();
      SetColors(col_, ckNorm);
      nextChange_ = ed_.FBlkAttrs->NearestChangePos(TPoint(index_ + 1, row_));
    }
    if (indentShown && index_ == -1) {
      DrawIndentMarks();
    } else if (!DrawCell()) {
      continue;  // the byte that ended a run of column attributes is examined afresh
    }
    if (SelectedAt(col_) != SelectedAt(col_ + 1)) {
      SetColors(col_, ckNorm);
      Flush();
      SetColors(col_ + 1, ckNorm);
    }
    ++col_;
  }
  FinishStrip();
  return true;
}

// Last indent cell: the indent from the first drawn column as marks.
void TCustomAFEdit::TRowPainter::DrawIndentMarks() {
  run_.assign(static_cast<size_t>(Max(0, indent_ - first_)), ed_.FIndentChar);
  SetColors(col_, ckJSpace);
  Flush();
  SetColors(col_, ckNorm);
}

bool TCustomAFEdit::TRowPainter::DrawCell() {
  TColAttrListItem* colItem = nullptr;
  if (attr_->ColAttrs && index_ >= 0) colItem = attr_->ColAttrs->PeekItem(index_);
  const unsigned char b = lastByte_;
  if (colItem && colItem->HasAttr) {
    DrawColAttrRun();
    return false;
  }
  if (Cp932CharLen(shown_, col_) == 2) {
    DrawDoubleByte();
  } else if (b == '\r') {
    DrawKeywordIfShown();
    EndRun();
    DrawMark(PenX(), mkCR);
  } else if (b == '\n') {
    DrawKeywordIfShown();
    EndRun();
    SetColors(col_, ckCrMark);
    int x = PenX();
    DrawMark(x, mkFold);
    if (lastRow_) DrawMark(x, mkEOF);
  } else if (b == '\t') {
    DrawKeywordIfShown();
    EndRun();
    DrawMarked(AnsiString(1, ed_.FTabChar), ckJSpace);
  } else if (b == static_cast<unsigned char>(kFillByte)) {
    DrawTabGroup();
  } else {
    DrawSingleByte(b);
  }
  return true;
}

// A run of characters with the same column attribute.
void TCustomAFEdit::TRowPainter::DrawColAttrRun() {
  const AnsiString& D = shown_;
  DrawKeywordIfShown();
  Flush();
  TFontStyles keptStyle = cv_->Font->GetStyle();
  TColAttrListItem* item = attr_->ColAttrs->PeekItem(index_);
  cv_->Font->SetColor(SelectedAt(col_) ? ed_.FSelFont->GetColor() : item->Color);
  cv_->Font->SetStyle(item->Style);
  for (;;) {
    unsigned char c = static_cast<unsigned char>(D[static_cast<size_t>(col_)]);
    run_ += static_cast<char>(c);
    lastByte_ = c;
    if (Cp932CharLen(D, col_) == 2) {
      // The whole character before any change of colour.
      run_ += D[static_cast<size_t>(col_ + 1)];
      lastByte_ = static_cast<unsigned char>(D[static_cast<size_t>(col_ + 1)]);
      ++col_;
    }
    if (SelectedAt(col_) != SelectedAt(col_ + 1)) {
      SetColors(col_, ckColAttr);
      Flush();
      SetColors(col_ + 1, ckColAttr);
    }
    ++col_;
    index_ = CharIndexAt(col_);
    if (col_ >= end_) break;
    TColAttrListItem* next = index_ >= 0 ? attr_->ColAttrs->PeekItem(index_) : nullptr;
    if (!next || !next->HasAttr) break;
    if (!(next->Style == cv_->Font->GetStyle() && next->Color == cv_->Font->GetColor())) break;
  }
  word_.clear();
  Flush();
  SetColors(col_, ckNorm);
  cv_->Font->SetStyle(keptStyle);
}

// A double-byte character: the full-width space and dependence characters
// as marks, any other one joins the run (and ends a keyword candidate).
void TCustomAFEdit::TRowPainter::DrawDoubleByte() {
  DrawKeywordIfShown();
  AnsiString ch = shown_.substr(static_cast<size_t>(col_), 2);
  if (View(voAnsiSpace) && ch == "\x81\x40") {
    EndRun();
    DrawMarked(ed_.FJSpaceMark, ckJSpace);
  } else if (View(voDependence) && IsDependenceChar(ch)) {
    EndRun();
    DrawMarked(ch, ckDependence);
  } else {
    run_ += ch;
    word_.clear();
  }
  lastByte_ = static_cast<unsigned char>(ch[1]);
  ++col_;
}

// A whole tab group takes the colours of its first cell.
void TCustomAFEdit::TRowPainter::DrawTabGroup() {
  const AnsiString& D = shown_;
  const int len = static_cast<int>(D.size());
  DrawKeywordIfShown();
  EndRun();
  SetColors(col_, ckJSpace);
  AnsiString group;
  int k = col_;
  while (k < len && D[static_cast<size_t>(k)] == kFillByte) {
    group += ed_.FTabFillChar;
    ++k;
  }
  if (k < len && D[static_cast<size_t>(k)] == '\t') {
    group += ed_.FTabChar;
    ++k;
  }
  DrawAtPen(group);
  SetColors(col_, ckNorm);
  col_ = k - 1;
  lastByte_ = static_cast<unsigned char>(D[static_cast<size_t>(col_)]);
}

// Half-width kana as marks; word bytes extend the keyword candidate; any
// other byte ends it.
void TCustomAFEdit::TRowPainter::DrawSingleByte(unsigned char b) {
  if (View(voHankana) && b > 0x80) {
    DrawKeywordIfShown();
    EndRun();
    DrawMarked(AnsiString(1, static_cast<char>(b)), ckDependence);
  } else if (ed_.FWordChars[b]) {
    run_ += static_cast<char>(b);
    word_ += static_cast<char>(b);
  } else {
    DrawKeywordIfShown();
    run_ += static_cast<char>(b);
    word_.clear();
  }
}

void TCustomAFEdit::TRowPainter::FinishStrip() {
  if (lastByte_ == static_cast<unsigned char>(kIndentByte) && col_ > first_) {
    // The strip ended inside the indent.
    std::replace(run_.begin(), run_.end(), kIndentByte, ed_.FIndentChar);
    SetColors(col_ - 1, ckJSpace);
    Flush();
  } else {
    DrawKeywordIfShown();
    Flush();
  }
}

void TCustomAFEdit::TRowPainter::DrawWrapLine() {
  if (!ed_.FOptions.Contains(aoAutoFormat) || !View(voWrapLine)) return;
  int x = (attr_->WrapPos - ed_.FLeftCol) * ed_.FCharStep + ed_.FTextLeft;
  // Never into the margin when the wrap column is scrolled out of view.
  if (x < ed_.FTextLeft || x >= ed_.FTextRect.Right) return;
  // The pixels of a one-pixel pmCopy line from (x, y) to (x, y + row
  // height), filled as a rectangle so that the changed area reported to the
  // window is exactly the line's.
  cv_->Pen->SetMode(pmCopy);
  cv_->Pen->SetColor(ed_.FMarkColor);
  cv_->Brush->SetColor(ed_.FMarkColor);
  cv_->FillRect(TRect(x, y_, x + 1, y_ + ed_.FRowHeight));
  cv_->MoveTo(x, y_ + ed_.FRowHeight);
}

// Everything below the text, the margin included.
void TCustomAFEdit::TRowPainter::FillBelowText() {
  if (!lastRow_) return;
  cv_->Brush->SetColor(ed_.FColor);
  cv_->FillRect(TRect(ed_.ClientRect().Left, (row_ + 1 - ed_.FTopLine) * ed_.FRowHeight + ed_.FTextTop,
                      ed_.FTextRect.Right, ed_.FTextRect.Bottom));
}

// ---------------------------------------------------------------------------

void TCustomAFEdit::DrawLine(int row) {
  if (FUpdating) return;

  TAttrListItem* attr = GetLinesAttr(row);
  if (attr->WrapPos == 0) {
    // A record created on demand gets the control's defaults.
    ColAttrFree(row);
    TAttrListItem fresh = MakeAttr(true, 0, FDefWrapPos);
    FLinesAttr->SetItem(row, &fresh);
    attr = GetLinesAttr(row);
  }

  int y = (row - FTopLine) * FRowHeight + FTextTop;
  TRect C;
  IntersectRect(C, TRect(FTextLeft, y, FTextRect.Right, y + FRowHeight), FPaintRect);
  if (C.IsEmpty() || row < FTopLine || row > FTopLine + GetDspRowCount() + 1) return;

  if (row >= GetLinesCount()) {
    C.Left = 0;
    Canvas->Brush->SetColor(FColor);
    Canvas->FillRect(C);
    return;
  }

  TRowPainter painter(*this, row, attr, y, C);
  if (!painter.DrawStrip()) return;
  DrawLeftMgn(row, FormatRowNumber(FRowDspFmt, row + 1));
  painter.DrawWrapLine();
  painter.FillBelowText();
  GetLinesAttr(row)->Changed = 0;
}

// ---------------------------------------------------------------------------

void TCustomAFEdit::Paint() {
  HideCaret(GetHandle());
  FPaintRect = FTextRect;
  int last = FTopLine + GetDspRowCount();
  for (int r = FTopLine; r <= last; ++r) DrawLine(r);
  SetCaretPosition();
  SetScrollBars(FScrollBars);
  ShowCaret(GetHandle());
  DrawColIndicate();
  FLastTopLine = FTopLine;
}

void TCustomAFEdit::ValiPaint() {
  if (FLastTopLine != FTopLine) {
    Paint();
    return;
  }
  HideCaret(GetHandle());
  int last = FTopLine + GetDspRowCount();
  for (int i = FTopLine; i <= last; ++i) {
    // Reading a row past the text creates its record; being the last one
    // then, it is drawn (cleared) once.
    bool changed = GetLinesAttr(i)->Changed != 0;
    if (changed || FLinesAttr->Count() == i + 1) {
      int top = (i - FTopLine) * FRowHeight + FTextTop;
      FPaintRect = TRect(FTextLeft, top, FTextRect.Right, top + FRowHeight);
      DrawLine(i);
    }
    if (!FUpdating) GetLinesAttr(i)->Changed = 0;
  }
  ShowCaret(GetHandle());
  DrawColIndicate();
  FLastTopLine = FTopLine;
}
