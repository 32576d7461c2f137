// Search for a string between two text positions, forwards or backwards,
// with or without regard to letter case. A match may run from the end of one
// row into the next (a paragraph is held in several soft rows), so each row
// is searched together with a few bytes of its neighbour.
#include <vector>

#include "editor/Afedit.h"

namespace {

// Letter case folded as the code page 932 upper-casing does: single-byte
// a-z only, never a byte of a double-byte character (trail bytes include
// 0x61-0x7A).
AnsiString UpperCase932(const AnsiString& s) {
  AnsiString out = s;
  const int n = static_cast<int>(s.size());
  for (int i = 0; i < n;) {
    const int len = Max(Cp932CharLen(s, i), 1);
    char& c = out[static_cast<size_t>(i)];
    if (len == 1 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    i += len;
  }
  return out;
}

// A piece of text to search: one row, with bytes of a neighbouring row
// before or after it, and at every position whether a character begins
// there (the end counts as a boundary). The bytes of each row are classified
// from that row's start, so a borrowed tail never starts on a trail byte.
struct TPiece {
  AnsiString Text;
  std::vector<bool> Boundary;

  // Appends row[from, from + count).
  void Append(const AnsiString& row, int from, int count) {
    if (count <= 0) return;
    Text.append(row, static_cast<size_t>(from), static_cast<size_t>(count));
    const int n = static_cast<int>(row.size());
    for (int i = 0; i < from + count;) {
      const int len = Max(Cp932CharLen(row, i), 1);
      for (int j = i; j < i + len && j < from + count; ++j)
        if (j >= from) Boundary.push_back(j == i);
      i += len;
      if (i >= n) break;
    }
  }
  void Close() { Boundary.push_back(true); }
};

// Whether the pattern stands at p, beginning and ending on character
// boundaries of the piece.
bool MatchAt(const TPiece& piece, const AnsiString& pattern, int p) {
  const int m = static_cast<int>(pattern.size());
  if (!piece.Boundary[static_cast<size_t>(p)] || !piece.Boundary[static_cast<size_t>(p + m)]) return false;
  return piece.Text.compare(static_cast<size_t>(p), static_cast<size_t>(m), pattern) == 0;
}

}  // namespace

// The range limits are kept as a window [lo, hi) of the piece that a match
// must lie in, rather than by blanking the bytes outside it, so that a
// pattern beginning or ending with spaces cannot match outside the range.
TPoint TCustomAFEdit::Search(AnsiString text, const TPoint& start, const TPoint& end, TSearchOpts opts) {
  const TPoint notFound(-1, end.y);
  const int rowCount = GetLinesCount();
  const int m = static_cast<int>(text.size());
  if (m == 0) return notFound;
  if (start.y < 0 || start.y >= rowCount || end.y < 0 || end.y >= rowCount) return notFound;

  const bool ignoreCase = opts.Contains(soIgnoreCase);
  if (ignoreCase) text = UpperCase932(text);
  auto rowText = [&](int r) {
    AnsiString s = GetLine(r);
    return ignoreCase ? UpperCase932(s) : s;
  };
  auto column = [](const TPoint& p, int length) { return Max(Min(p.x, length), 0); };

  if (!opts.Contains(soReverse)) {
    for (int r = start.y; r <= end.y; ++r) {
      const AnsiString row = rowText(r);
      const int len = static_cast<int>(row.size());
      // Bytes of the next row, so that a match beginning here may end there;
      // taken from the end row only up to its end column.
      int borrow = 0;
      AnsiString next;
      if (r + 1 < rowCount && r < end.y) {
        next = rowText(r + 1);
        borrow = Min(static_cast<int>(next.size()), m - 1);
        if (r + 1 == end.y) borrow = Min(borrow, column(end, static_cast<int>(next.size())));
      }
      TPiece piece;
      piece.Append(row, 0, len);
      piece.Append(next, 0, borrow);
      piece.Close();
      const int lo = r == start.y ? column(start, len) : 0;
      const int hi = r == end.y ? column(end, len) : len + borrow;
      for (int p = lo; p + m <= hi && p < len; ++p)
        if (MatchAt(piece, text, p)) return TPoint(p, r);
    }
    return notFound;
  }

  for (int r = start.y; r >= end.y; --r) {
    const AnsiString row = rowText(r);
    const int len = static_cast<int>(row.size());
    // The tail of the previous row, so that a match ending here may begin
    // there; taken from the end row only from its end column on.
    int borrow = 0;
    int prevLen = 0;
    AnsiString prev;
    if (r > 0 && r > end.y) {
      prev = rowText(r - 1);
      prevLen = static_cast<int>(prev.size());
      borrow = Min(prevLen, m);
      if (r - 1 == end.y) borrow = Min(borrow, prevLen - column(end, prevLen));
    }
    TPiece piece;
    piece.Append(prev, prevLen - borrow, borrow);
    piece.Append(row, 0, len);
    piece.Close();
    const int lo = r == end.y ? borrow + column(end, len) : 0;
    const int hi = r == start.y ? borrow + column(start, len) : borrow + len;
    // The last occurrence, found from the right; overlapping ones count.
    for (int p = hi - m; p >= lo; --p) {
      if (!MatchAt(piece, text, p)) continue;
      const int x = p - borrow;
      return x >= 0 ? TPoint(x, r) : TPoint(x + prevLen, r - 1);
    }
  }
  return notFound;
}
