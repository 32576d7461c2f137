// Tab expansion and the mapping between character indexes (bytes of a row's
// text) and display columns (cells of the row's display form: the indent,
// then the text with every tab filled up to the next tab stop).
#include <cstring>
#include <utility>

#include "editor/Afedit.h"

namespace {

constexpr char kFillByte = '\x0B';

// Cells the text takes on screen: tabs run to the next stop, counted from
// the first byte of the text.
int ExpandedWidth(const char* text, size_t length, int tab) {
  int width = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\t')
      width += tab - width % tab;
    else
      ++width;
  }
  return width;
}

}  // namespace

// A tab byte (0x09) is never the second byte of a double-byte character, so
// a byte search finds exactly the tabs a character walk would find. The
// result is built in FTabBuf, which grows with the longest row expanded.
// The text is only read, through const access, so a row without a tab comes
// back sharing the row's own buffer.
AnsiString TCustomAFEdit::TabExpand(AnsiString text, bool spaces) {
  const char* data = std::as_const(text).data();
  const size_t length = text.size();
  const char* tabAt = static_cast<const char*>(std::memchr(data, '\t', length));
  if (!tabAt) return text;

  const int tab = Max(FTabSize, 1);
  FTabBuf.clear();
  size_t from = 0;
  while (tabAt) {
    const size_t at = static_cast<size_t>(tabAt - data);
    FTabBuf.append(data + from, at - from);
    const int n = tab - static_cast<int>(FTabBuf.size() % static_cast<size_t>(tab));
    if (spaces) {
      FTabBuf.append(static_cast<size_t>(n), ' ');
    } else {
      FTabBuf.append(static_cast<size_t>(n - 1), kFillByte);
      FTabBuf += '\t';
    }
    from = at + 1;
    tabAt = static_cast<const char*>(std::memchr(data + from, '\t', length - from));
  }
  FTabBuf.append(data + from, length - from);
  return FTabBuf;
}

void TCustomAFEdit::NoteRowWidth(const AnsiString& text) {
  int cells = static_cast<int>(text.size());
  if (std::memchr(text.data(), '\t', text.size())) cells = ExpandedWidth(text.data(), text.size(), Max(FTabSize, 1));
  FMaxRowLen = Max(FMaxRowLen, cells + 2);
}

AnsiString TCustomAFEdit::DisplayString(int row) {
  const int indent = Max(GetLinesAttr(row)->Indent, 0);
  AnsiString display(static_cast<size_t>(indent), ' ');
  display += TabExpand(FLines->Get(row), false);
  return display;
}

TPoint TCustomAFEdit::DspPos(const TPoint& p) {
  const AnsiString& s = FLines->Get(p.y);
  const size_t n = static_cast<size_t>(Max(Min(p.x, static_cast<int>(s.size())), 0));
  const int width = ExpandedWidth(s.data(), n, Max(FTabSize, 1));
  return TPoint(width + Max(GetLinesAttr(p.y)->Indent, 0), p.y);
}

int TCustomAFEdit::LogicalPos(const TPoint& p) {
  return DspColToCharCount(DisplayString(p.y), p.x, Max(GetLinesAttr(p.y)->Indent, 0));
}

// A column inside a fill run, or on its tab, gives the index of the tab; a
// column at or past the end gives the row length; a column inside the
// indent gives a negative index.
int DspColToCharCount(const AnsiString& display, int column, int indent) {
  if (display.empty()) return 0;
  const int n = static_cast<int>(display.size());
  int prefix = n;
  if (column < n) {
    column = Max(column, 0);
    while (column < n && display[static_cast<size_t>(column)] == kFillByte) ++column;
    prefix = column;
  }
  int fills = 0;
  for (int i = 0; i < prefix; ++i)
    if (display[static_cast<size_t>(i)] == kFillByte) ++fills;
  return prefix - fills - indent;
}

TPoint TCustomAFEdit::PointAlign(const TPoint& p) {
  const int row = p.y < 0 ? 0 : Min(p.y, GetLinesCount() - 1);
  const AnsiString& s = FLines->Get(row);
  const int length =
      Max(GetLinesAttr(row)->Indent, 0) + ExpandedWidth(s.data(), s.size(), Max(FTabSize, 1));
  const int col = p.x < 0 ? 0 : Min(p.x, length);
  return TPoint(col, row);
}

// Moves a column off the second byte of a double-byte character, left or
// right by turns (ColAdjLeft is shared by every control); a forced call
// always goes left.
TPoint TCustomAFEdit::ColAdj(const TPoint& p, bool force) {
  if (force) ColAdjLeft = true;
  TPoint q = p;
  if (q.y >= 0 && q.y < GetLinesCount() && q.x >= 0) {
    const AnsiString display = DisplayString(q.y);
    if (q.x < static_cast<int>(display.size()) && Cp932IsTrail(display, q.x)) {
      q.x += ColAdjLeft ? -1 : 1;
      ColAdjLeft = !ColAdjLeft;
    }
  }
  return q;
}
