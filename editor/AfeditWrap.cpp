// Wrapping under the Japanese line-break rules and typed-text insertion.
//
// WordBreak chooses where a too-long row is cut; FoldLine re-cuts a row and
// the rest of its paragraph after an edit; KeyInput puts typed text at the
// caret and refolds. Every cut lands on a character boundary and leaves at
// least one character on the row, so a refold always ends.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "editor/Afedit.h"

namespace {

constexpr int kNoWrap = 65535;  // the wrap column when aoAutoFormat is off
constexpr char kFillByte = '\x0B';

// Appends the fill form of the n bytes at p to out; tab stops are counted
// from the first of those bytes.
void AppendFill(AnsiString& out, const char* p, size_t n, int tab) {
  const size_t base = out.size();
  const char* end = p + n;
  while (p < end) {
    const char* t = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
    if (!t) {
      out.append(p, static_cast<size_t>(end - p));
      break;
    }
    out.append(p, static_cast<size_t>(t - p));
    const int fill = tab - static_cast<int>((out.size() - base) % static_cast<size_t>(tab));
    out.append(static_cast<size_t>(fill - 1), kFillByte);
    out += '\t';
    p = t + 1;
  }
}

// Cells of n bytes at p when `width` cells of the same text precede them.
int WidthAfter(int width, const char* p, size_t n, int tab) {
  for (size_t i = 0; i < n; ++i) width += p[i] == '\t' ? tab - width % tab : 1;
  return width;
}

// True when ch occurs as a whole character of set (never as a byte inside
// one: the sets hold trail bytes that are also ASCII letters).
bool InCharSet(std::string_view set, std::string_view ch) {
  if (ch.empty()) return false;
  for (int i = 0; i < static_cast<int>(set.size());) {
    const int len = Cp932CharLen(set, i);
    if (static_cast<size_t>(len) == ch.size() && set.compare(static_cast<size_t>(i), ch.size(), ch) == 0)
      return true;
    i += len;
  }
  return false;
}

// Brings a cut (a byte index into text) onto a character boundary, back to
// the start of the character it falls in, and keeps at least the first
// character in front of it.
int SnapCut(std::string_view text, int k) {
  if (k > 0 && k < static_cast<int>(text.size()) && Cp932IsTrail(text, k)) --k;
  if (k <= 0) k = Max(Cp932CharLen(text, 0), 1);
  return k;
}

}  // namespace

int TCustomAFEdit::WordBreak(AnsiString S, int Pos, int Min) {
  const std::string_view s(S);
  const int length = static_cast<int>(s.size());
  const bool banRules = FOptions.Contains(aoJpnBanBreak);
  const bool wordRule = FOptions.Contains(aoWordWrap);
  // Each rule moves the break and looks again; the shared counters bound how
  // far forward and back a chain of moves may go.
  for (;;) {
    if (Pos >= length || Pos <= Min || Pos < 0) return Pos;
    if (OnWordBreak) {
      int wrapPos = Pos;
      OnWordBreak(this, S, wrapPos);
      return wrapPos;
    }

    // H, the character after the break, and E, the one before it. A break
    // on a trail byte stands before its character (adj = -1).
    int adj = 0;
    std::string_view head = s.substr(static_cast<size_t>(Pos), 1);
    switch (Cp932ByteType(s, Pos)) {
      case mbLeadByte:
        head = s.substr(static_cast<size_t>(Pos), 2);
        break;
      case mbTrailByte:
        head = s.substr(static_cast<size_t>(Pos - 1), 2);
        adj = -1;
        break;
      default:
        break;
    }
    std::string_view end;
    const int endLast = Pos + adj - 1;
    if (endLast >= 0)
      end = Cp932IsTrail(s, endLast) ? s.substr(static_cast<size_t>(endLast - 1), 2)
                                     : s.substr(static_cast<size_t>(endLast), 1);

    if (banRules && (InCharSet(FBanHead, head) || head == "\r")) {
      // Banned at the head of a row: push the break past it, else pull it back.
      if (WrapTrailCount <= FWrapTrailBytes) {
        WrapTrailCount += 2;
        Pos = Pos + adj + 2;
        continue;
      }
      if (WrapLeadCount <= FWrapLeadBytes) {
        WrapLeadCount += 1;
        Pos = Pos + adj - 1;
        continue;
      }
    } else if (banRules && InCharSet(FBanEnd, end)) {
      // Banned at the end of a row: the character goes to the next row.
      if (WrapLeadCount <= FWrapLeadBytes) {
        WrapLeadCount += 2;
        Pos -= 2;
        continue;
      }
    } else if (wordRule && !end.empty() && FWordChars.test(static_cast<unsigned char>(head[0])) &&
               FWordChars.test(static_cast<unsigned char>(end[0]))) {
      // Inside a word: step back towards its start.
      if (WrapLeadCount <= FWrapLeadBytes) {
        WrapLeadCount += 1;
        Pos -= 1;
        continue;
      }
    }
    WrapTrailCount = 0;
    WrapLeadCount = 0;
    return Pos + adj;
  }
}

// The walk of one refold over the rows of a paragraph (see FoldLine). It
// holds the carried text and, for the row at hand, its cut-relevant form.
class TCustomAFEdit::TRefold {
 public:
  TRefold(TCustomAFEdit& ed, int row)
      : ed_(ed), row_(row), tab_(Max(ed.FTabSize, 1)), autoFormat_(ed.FOptions.Contains(aoAutoFormat)),
        mayCarry_(!ed.OnBeforeChange && !ed.OnChange && !ed.OnLineInsert) {}

  // Re-cuts the rows from the first one on; then nothing is left carried
  // and the rows that moved are flagged.
  void Run();

 private:
  // --- the carried text ---------------------------------------------------
  size_t CarryLen() const { return carry_.size() - carryPos_; }
  void ResetCarry();
  bool CarryHasCr();
  bool HasColList(int r) const;
  bool AttrsInPlay(int r) const;
  // The first k bytes of the current row's logical text.
  AnsiString PrefixOf(int r, size_t k) const;
  // The whole logical text of the current row.
  AnsiString LogicalOf(int r) const;
  // Makes the carry the logical text of row r from index k on.
  void CarryFrom(int r, size_t k);
  // Writes a row; false when OnBeforeChange refused the change, after which
  // the refold stops rather than drop or double the text it was moving.
  bool WriteRow(int r, AnsiString text);
  void Flush(int r);

  // --- one row --------------------------------------------------------------
  // One row's step; false when the refold ends.
  bool Step();
  void Measure();
  bool EndsParagraph();
  void KeepRowEnd();
  bool CutHardRow();
  bool CutSoftRow();
  bool PullNextRowUp(const AnsiString& next);
  bool CutJoined(const AnsiString& next, const AnsiString& S2, int nextIndent);
  void FlagPair();
  void Finish();

  TCustomAFEdit& ed_;
  int row_;
  const int tab_;
  const bool autoFormat_;
  const bool mayCarry_;

  AnsiString carry_;                  // carry_[carryPos_, end) precedes the current row's text
  size_t carryPos_ = 0;
  size_t crScanned_ = 0;              // carry_[.., crScanned_) has been searched for a CR
  size_t crAt_ = AnsiString::npos;    // first CR found there, or none
  int markFrom_ = INT_MAX;            // rows from here on are flagged at the end

  // The row at hand, set by Measure().
  bool carrying_ = false;  // its tail may be held back rather than written
  int wrap_ = 0;
  int indent_ = 0;
  bool last_ = false;
  size_t ownLen_ = 0;      // its stored text's length
  size_t n_ = 0;           // its logical text's length
  int nInt_ = 0;
  size_t need_ = 0;        // bytes of the logical text the cut can depend on
  bool truncated_ = false;
  AnsiString head_;        // the logical text, or its first need_ bytes
  AnsiString S_;           // head_'s display form behind the indent
  int L_ = 0;
};

void TCustomAFEdit::TRefold::ResetCarry() {
  carry_.clear();
  carryPos_ = 0;
  crScanned_ = 0;
  crAt_ = AnsiString::npos;
}

bool TCustomAFEdit::TRefold::CarryHasCr() {
  if (crAt_ != AnsiString::npos && crAt_ >= carryPos_) return true;
  crAt_ = carry_.find('\r', std::max(crScanned_, carryPos_));
  crScanned_ = crAt_ == AnsiString::npos ? carry_.size() : crAt_ + 1;
  return crAt_ != AnsiString::npos;
}

bool TCustomAFEdit::TRefold::HasColList(int r) const {
  const TAttrListItem* a = ed_.FLinesAttr->PeekItem(r);
  return a && a->ColAttrs;
}

bool TCustomAFEdit::TRefold::AttrsInPlay(int r) const {
  return ed_.FBlkAttrs->Count() > 0 || HasColList(r) || HasColList(r + 1);
}

AnsiString TCustomAFEdit::TRefold::PrefixOf(int r, size_t k) const {
  const size_t fromCarry = Min(static_cast<int>(k), static_cast<int>(CarryLen()));
  AnsiString out(carry_, carryPos_, fromCarry);
  if (k > fromCarry) out.append(ed_.FLines->Get(r), 0, k - fromCarry);
  return out;
}

AnsiString TCustomAFEdit::TRefold::LogicalOf(int r) const {
  AnsiString out(carry_, carryPos_, AnsiString::npos);
  out += ed_.FLines->Get(r);
  return out;
}

void TCustomAFEdit::TRefold::CarryFrom(int r, size_t k) {
  const AnsiString& own = ed_.FLines->Get(r);
  if (k <= CarryLen()) {
    carry_ += own;
    carryPos_ += k;
  } else {
    AnsiString rest(own, k - CarryLen(), AnsiString::npos);
    ResetCarry();
    carry_ = std::move(rest);
  }
}

bool TCustomAFEdit::TRefold::WriteRow(int r, AnsiString text) {
  bool refused = false;
  if (ed_.OnBeforeChange) {
    const AnsiString before = ed_.FLines->Get(r);
    const bool same = before == text;
    ed_.LineChange(r, std::move(text), false);
    refused = !same && ed_.FLines->Get(r) == before;
  } else {
    ed_.LineChange(r, std::move(text), false);
  }
  ed_.NoteRowWidth(ed_.FLines->Get(r));
  return !refused;
}

void TCustomAFEdit::TRefold::Flush(int r) {
  if (CarryLen() == 0) return;
  WriteRow(r, LogicalOf(r));
  ResetCarry();
}

void TCustomAFEdit::TRefold::Run() {
  while (row_ < ed_.FLines->Count())
    if (!Step()) break;
  Finish();
}

bool TCustomAFEdit::TRefold::Step() {
  if (CarryLen() > 0 && (!mayCarry_ || AttrsInPlay(row_))) Flush(row_);
  Measure();

  // 1. The row fits and ends its paragraph with its only CR.
  if (EndsParagraph()) {
    KeepRowEnd();
    return false;
  }

  // 2. An empty row goes, unless it is the last one.
  if (n_ == 0) {
    if (!last_) {
      ed_.DelLineP(row_);
      markFrom_ = Min(markFrom_, row_);
      if (ed_.FSelArea->isRowAble()) ed_.FSelArea->Delete(row_);
    }
    return false;
  }

  const bool hasCr = CarryHasCr() || ed_.FLines->Get(row_).find('\r') != AnsiString::npos;
  return hasCr ? CutHardRow() : CutSoftRow();
}

// The cut depends only on the display form up to a little past the wrap
// column (the rules push it forward by at most WrapTrailBytes + 2); a
// handler of OnWordBreak sees the whole row.
void TCustomAFEdit::TRefold::Measure() {
  carrying_ = mayCarry_ && !AttrsInPlay(row_);
  const TAttrListItem* attr = ed_.GetLinesAttr(row_);
  wrap_ = autoFormat_ ? attr->WrapPos : kNoWrap;
  indent_ = Max(attr->Indent, 0);
  last_ = row_ == ed_.FLines->Count() - 1;
  ownLen_ = ed_.FLines->Get(row_).size();
  n_ = CarryLen() + ownLen_;
  nInt_ = static_cast<int>(n_);

  need_ = AnsiString::npos;
  if (!ed_.OnWordBreak)
    need_ = static_cast<size_t>(static_cast<long long>(Max(wrap_, 0)) + Max(ed_.FWrapTrailBytes, 0) + 8);
  const size_t limit = std::min(n_, need_);
  truncated_ = limit < n_;
  head_ = PrefixOf(row_, limit);  // the whole logical text unless truncated
  S_.assign(static_cast<size_t>(indent_), ' ');
  AppendFill(S_, head_.data(), head_.size(), tab_);
  L_ = static_cast<int>(S_.size());
}

bool TCustomAFEdit::TRefold::EndsParagraph() {
  const int c = ed_.WordBreak(S_, wrap_, indent_ + 2);
  return !truncated_ && c >= L_ && !head_.empty() && head_.back() == '\r' && head_.find('\r') == n_ - 1;
}

// The row stays as it is; the text's last row gets the empty row after its CR.
void TCustomAFEdit::TRefold::KeepRowEnd() {
  Flush(row_);
  if (row_ == ed_.FLines->Count() - 1) ed_.AddLineP("", *ed_.GetLinesAttr(row_));
}

void TCustomAFEdit::TRefold::FlagPair() {
  ed_.GetLinesAttr(row_)->Changed = 1;
  ed_.GetLinesAttr(row_ + 1)->Changed = 1;
  ++row_;
}

// 4. A row with a CR: split at the break, or right after the first CR at
// the latest; the tail opens a new row when this one ends the paragraph.
bool TCustomAFEdit::TRefold::CutHardRow() {
  int c = ed_.WordBreak(S_, wrap_, indent_ + 1);
  const size_t cr = S_.find('\r');
  if (cr != AnsiString::npos && static_cast<int>(cr) + 1 < c) c = static_cast<int>(cr) + 1;
  int cut = DspColToCharCount(S_, c, indent_);
  const int snapped = SnapCut(head_, cut);
  if (snapped != cut) c = WidthAfter(0, head_.data(), static_cast<size_t>(snapped), tab_) + indent_;
  cut = snapped;
  if (cut >= nInt_) {
    // Only the paragraph's own CR is left behind the cut: the row stays.
    KeepRowEnd();
    return false;
  }
  const size_t k = static_cast<size_t>(cut);
  const char lastByte = ownLen_ > 0 ? ed_.FLines->Get(row_).back() : carry_.back();
  const bool newRow = last_ || lastByte == '\r';
  const int nextIndent = newRow ? indent_ : Max(ed_.GetLinesAttr(row_ + 1)->Indent, 0);
  AnsiString rowHead = PrefixOf(row_, k);
  AnsiString tail;
  if (carrying_)
    CarryFrom(row_, k);
  else
    tail = LogicalOf(row_).substr(k);

  if (newRow) {
    const TAttrListItem copy = *ed_.GetLinesAttr(row_);
    ed_.InsertLineP(row_ + 1, carrying_ ? AnsiString() : std::move(tail), copy);
    if (ed_.FSelArea->isRowAble()) ed_.FSelArea->Insert(row_);
    markFrom_ = Min(markFrom_, row_ + 1);
  } else if (!carrying_) {
    if (!WriteRow(row_ + 1, tail + ed_.FLines->Get(row_ + 1))) return false;
  }
  ed_.ColAttrBlockEdit(row_, row_ + 1, nInt_ - cut, emInsert);
  ed_.BlkAttrBlockEdit(row_, row_ + 1, nInt_ - cut, emInsert);
  if (ed_.FCaret.y == row_ && ed_.FCaret.x >= c) ed_.FCaret = TPoint(ed_.FCaret.x - c + nextIndent, row_ + 1);
  if (!WriteRow(row_, std::move(rowHead))) return false;
  FlagPair();
  return true;
}

// 5. A soft row: pull text up from the next row or push text down.
bool TCustomAFEdit::TRefold::CutSoftRow() {
  if (last_) {
    ed_.AddLineP("", *ed_.GetLinesAttr(row_));
    if (ed_.FSelArea->isRowAble()) ed_.FSelArea->Insert(row_);
  }
  const AnsiString next = ed_.FLines->Get(row_ + 1);
  const int nextIndent = Max(ed_.GetLinesAttr(row_ + 1)->Indent, 0);
  AnsiString S2 = S_;
  if (!truncated_) AppendFill(S2, next.data(), std::min(next.size(), need_), tab_);
  const bool nextWhole = !truncated_ && next.size() <= need_;

  if (ed_.FCaret.y == row_ + 1) {
    // The caret stays on its character, now counted from this row.
    int fullWidth = L_;
    if (truncated_) {
      const AnsiString& own = ed_.FLines->Get(row_);
      fullWidth = WidthAfter(0, carry_.data() + carryPos_, CarryLen(), tab_);
      fullWidth = WidthAfter(fullWidth, own.data(), own.size(), tab_) + indent_;
    }
    ed_.FCaret = TPoint(fullWidth + (ed_.FCaret.x - nextIndent), row_);
  }

  if (nextWhole && static_cast<int>(S2.size()) < wrap_) return PullNextRowUp(next);
  return CutJoined(next, S2, nextIndent);
}

// The whole next row fits behind this one; the same row is looked at again.
bool TCustomAFEdit::TRefold::PullNextRowUp(const AnsiString& next) {
  const int nextLen = static_cast<int>(next.size());
  ed_.ColAttrBlockEdit(row_ + 1, row_, nextLen, emAdd);
  ed_.BlkAttrBlockEdit(row_ + 1, row_, nextLen, emAdd);
  if (!WriteRow(row_, head_ + next)) return false;
  ResetCarry();
  ed_.DelLineP(row_ + 1);
  if (ed_.FSelArea->isRowAble()) ed_.FSelArea->Delete(row_ + 1);
  markFrom_ = Min(markFrom_, row_ + 1);
  return row_ + 1 < ed_.FLines->Count();
}

// The cut over this row and the next one joined (S2 their display form).
bool TCustomAFEdit::TRefold::CutJoined(const AnsiString& next, const AnsiString& S2, int nextIndent) {
  int c = ed_.WordBreak(S2, wrap_, indent_ + 1);
  const int nextLen = static_cast<int>(next.size());
  int cut = Min(DspColToCharCount(S2, c, indent_), nInt_ + nextLen);
  const AnsiString joined = truncated_ ? AnsiString() : head_ + next;
  const int snapped = SnapCut(truncated_ ? std::string_view(head_) : std::string_view(joined), cut);
  if (snapped != cut) {
    c = snapped <= nInt_ ? WidthAfter(0, head_.data(), static_cast<size_t>(snapped), tab_) + indent_
                         : L_ + WidthAfter(0, next.data(), static_cast<size_t>(snapped - nInt_), tab_);
  }
  cut = snapped;
  if (ed_.FCaret.y == row_ && ed_.FCaret.x >= c) ed_.FCaret = TPoint(ed_.FCaret.x + nextIndent - c, row_ + 1);

  if (cut > nInt_) {
    // The cut lies in the next row: its head joins this row.
    const int moved = cut - nInt_;
    ed_.ColAttrBlockEdit(row_ + 1, row_, moved, emAdd);
    ed_.BlkAttrBlockEdit(row_ + 1, row_, moved, emAdd);
    if (!WriteRow(row_, head_ + next.substr(0, static_cast<size_t>(moved)))) return false;
    ResetCarry();
    if (!WriteRow(row_ + 1, next.substr(static_cast<size_t>(moved)))) return false;
  } else {
    // The cut lies in this row: its tail goes in front of the next row.
    const size_t k = static_cast<size_t>(cut);
    ed_.ColAttrBlockEdit(row_, row_ + 1, nInt_ - cut, emInsert);
    ed_.BlkAttrBlockEdit(row_, row_ + 1, nInt_ - cut, emInsert);
    AnsiString rowHead = PrefixOf(row_, k);
    if (carrying_) {
      CarryFrom(row_, k);
    } else if (!WriteRow(row_ + 1, LogicalOf(row_).substr(k) + next)) {
      return false;
    }
    if (!WriteRow(row_, std::move(rowHead))) return false;
  }
  FlagPair();
  return true;
}

void TCustomAFEdit::TRefold::Finish() {
  // Nothing held back may be lost.
  if (CarryLen() > 0) {
    if (row_ < ed_.FLines->Count())
      Flush(row_);
    else
      ed_.AddLineP(AnsiString(carry_, carryPos_, AnsiString::npos), *ed_.GetLinesAttr(ed_.FLines->Count() - 1));
  }
  for (int r = Max(markFrom_, 0); r < ed_.FLines->Count(); ++r) ed_.GetLinesAttr(r)->Changed = 1;
}

// Re-cuts `row` and the following rows of its paragraph, up to the row that
// ends the paragraph with its CR or the last row. The work runs as a loop
// over the rows; each step either stops or goes on with the next row (or,
// after pulling the next row up whole, with the same row).
//
// Cutting one very long row would move its whole remainder from row to row.
// While no event handler can see the rows in between and no column or block
// attribute has to travel with the text, the remainder is held back in the
// carry (logically in front of the current row's stored text) and each row
// is written once with its final piece, so the time and the undo records
// stay proportional to the text.
void TCustomAFEdit::FoldLine(int row) {
  if (row < 0 || row >= FLines->Count()) return;
  TRefold(*this, row).Run();
}

// Typed text on its way into a row: where it goes (row r_, byte k_) and the
// steps that put it there and move the caret over it.
class TCustomAFEdit::TTypedText {
 public:
  explicit TTypedText(TCustomAFEdit& ed) : ed_(ed) {}

  // A selection is replaced by the text, in the same undo step.
  void OpenUndoStep();
  // A caret below the text (free caret) first gets rows down to it.
  void AddRowsDownToCaret();
  // Finds the row and byte the text goes to; returns the text to write (the
  // typed text behind any padding up to a free caret).
  AnsiString Place(const AnsiString& typed);
  void Write(const AnsiString& input);
  void Refold();

 private:
  TCustomAFEdit& ed_;
  int r_ = 0;
  int k_ = 0;
};

void TCustomAFEdit::TTypedText::OpenUndoStep() {
  if (ed_.FSelArea->isPointAble() || ed_.FSelArea->isRowAble()) {
    const bool updating = ed_.FUpdating;
    ed_.FUpdating = true;
    ed_.SelectAreaDel();
    ed_.FUpdating = updating;
  } else {
    ++ed_.FUndoGroup;
  }
}

void TCustomAFEdit::TTypedText::AddRowsDownToCaret() {
  if (ed_.FCaret.y < 0) ed_.FCaret.y = 0;
  r_ = ed_.FCaret.y;
  TStringList* lines = ed_.FLines;
  if (r_ >= lines->Count()) {
    const int lastRow = lines->Count() - 1;
    if (!ed_.isCrLine(lastRow)) ed_.LineChange(lastRow, lines->Get(lastRow) + "\r", false);
    const TAttrListItem attr = *ed_.GetLinesAttr(lastRow);
    while (lines->Count() < r_) ed_.AddLineP("\r", attr);
    ed_.AddLineP("", attr);
  }
}

AnsiString TCustomAFEdit::TTypedText::Place(const AnsiString& typed) {
  // A caret inside a fill run, or on its tab, goes to the run's start.
  const AnsiString display = ed_.DisplayString(r_);
  const int displayLen = static_cast<int>(display.size());
  int indent = Max(ed_.GetLinesAttr(r_)->Indent, 0);
  int x = ed_.FCaret.x;
  while (x > 0 && x < displayLen && display[static_cast<size_t>(x - 1)] == '\x0B') --x;

  k_ = DspColToCharCount(display, x, indent);

  // Past the row end: pad with spaces (free caret), then the caret goes to
  // the row end. In the indent: the caret goes to the indent column.
  AnsiString pad;
  if (x > displayLen) {
    if (ed_.FOptions.Contains(aoFreeCaret)) pad.assign(static_cast<size_t>(x - displayLen), ' ');
    ed_.Perform(WM_KEYDOWN, VK_END, 0);
    ed_.FShiftDown = false;
    k_ = DspColToCharCount(display, ed_.FCaret.x, indent);
  } else if (x < indent) {
    ed_.FCaret.x = indent;
  }

  // At the first character of a continuation row the text goes to the end
  // of the row above.
  if (r_ > 0 && !ed_.isCrLine(r_ - 1) && k_ == 0) {
    --r_;
    const AnsiString& above = ed_.FLines->Get(r_);
    k_ = static_cast<int>(above.size());
    indent = Max(ed_.GetLinesAttr(r_)->Indent, 0);
    ed_.FCaret = TPoint(WidthAfter(0, above.data(), above.size(), Max(ed_.FTabSize, 1)) + indent, r_);
  }
  return pad + typed;
}

void TCustomAFEdit::TTypedText::Write(const AnsiString& input) {
  const AnsiString rowText = ed_.FLines->Get(r_);
  const int n = static_cast<int>(rowText.size());
  const int at = Max(Min(k_, n), 0);
  const int len = static_cast<int>(input.size());
  if (ed_.FInsertMode) {
    AnsiString changed = rowText.substr(0, static_cast<size_t>(at));
    changed += input;
    changed.append(rowText, static_cast<size_t>(at), AnsiString::npos);
    ed_.LineChange(r_, std::move(changed), false);
    ed_.ColAttrEdit(r_, at, len, emInsert);
    ed_.BlkAttrEdit(r_, at, len, emInsert);
  } else if (n - at > len) {
    // In place; a double-byte character cut in two loses its second byte.
    AnsiString changed = rowText;
    changed.replace(static_cast<size_t>(at), static_cast<size_t>(len), input);
    if (Cp932IsLead(rowText, at + len - 1)) changed[static_cast<size_t>(at + len)] = ' ';
    ed_.LineChange(r_, std::move(changed), false);
  } else {
    AnsiString changed = rowText.substr(0, static_cast<size_t>(at));
    changed += input;
    if (n > 0 && rowText.back() == '\r') changed += '\r';  // the paragraph end stays
    ed_.LineChange(r_, std::move(changed), false);
  }
}

void TCustomAFEdit::TTypedText::Refold() {
  ed_.GetLinesAttr(r_)->Changed = 1;
  ed_.FoldLine(r_);
  if (r_ < ed_.FLines->Count()) ed_.NoteRowWidth(ed_.FLines->Get(r_));
}

void TCustomAFEdit::KeyInput(AnsiString text) {
  TTypedText typing(*this);
  typing.OpenUndoStep();

  // Control bytes other than TAB and CR are dropped.
  AnsiString typed;
  typed.reserve(text.size());
  for (char ch : text)
    if (static_cast<unsigned char>(ch) >= 32 || ch == '\t' || ch == '\r') typed += ch;
  if (!typed.empty()) {
    typing.AddRowsDownToCaret();
    const AnsiString input = typing.Place(typed);
    typing.Write(input);
    typing.Refold();

    // The caret steps over the text one character at a time, following
    // wrapped text onto the next rows.
    const TAFEditOptions options = FOptions;
    FOptions >> aoFreeCaret;
    for (int i = 0; i < static_cast<int>(input.size()); i += Cp932CharLen(input, i)) CaretRight();
    FOptions = options;
  }

  if (!FUpdating) {
    CaretMoveResultPaint();
    ValiPaint();
  }
}
