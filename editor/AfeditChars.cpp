#include "editor/AfeditChars.h"

namespace {

// Walks the characters of s from its start and returns the start of the one
// that holds index i (0 <= i < size).
int StartOfCharHolding(std::string_view s, int i) {
  int p = 0;
  for (;;) {
    int len = cp932::CharLength(s, static_cast<size_t>(p));
    if (p + len > i) return p;
    p += len;
  }
}

}  // namespace

TMbcsByteType Cp932ByteType(std::string_view s, int i) {
  if (i < 0 || static_cast<size_t>(i) >= s.size()) return mbSingleByte;
  int start = StartOfCharHolding(s, i);
  if (start < i) return mbTrailByte;
  return cp932::CharLength(s, static_cast<size_t>(i)) == 2 ? mbLeadByte : mbSingleByte;
}

int Cp932CharStart(std::string_view s, int i) {
  if (i < 0 || static_cast<size_t>(i) >= s.size()) return i;
  return StartOfCharHolding(s, i);
}

int Cp932PrevChar(std::string_view s, int i) {
  if (i <= 0) return 0;
  if (static_cast<size_t>(i) > s.size()) return i - 1;
  return StartOfCharHolding(s, i - 1);
}

int Cp932NextChar(std::string_view s, int i) {
  if (i < 0 || static_cast<size_t>(i) >= s.size()) return i + 1;
  int start = StartOfCharHolding(s, i);
  return start + cp932::CharLength(s, static_cast<size_t>(start));
}
