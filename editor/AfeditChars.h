// Character boundaries of code page 932 text inside one row, for every lead
// and trail byte decision of the editor control.
//
// A lead byte (0x81-0x9F, 0xE0-0xFC) starts a double-byte character only when
// a valid trail byte (0x40-0x7E, 0x80-0xFC) follows it; otherwise it stands
// alone as a single byte. A position is classified by walking the characters
// from the start of the string, never by looking at its neighbours alone, so
// a stray high byte before a CR never swallows the line end. Bytes are never
// altered.
#pragma once

#include <string_view>

#include "platform/text/Cp932.h"

// Kind of the byte at index i of s; an index outside s is mbSingleByte.
TMbcsByteType Cp932ByteType(std::string_view s, int i);

// True when s[i] begins a double-byte character.
inline bool Cp932IsLead(std::string_view s, int i) { return Cp932ByteType(s, i) == mbLeadByte; }

// True when s[i] is the second byte of a double-byte character.
inline bool Cp932IsTrail(std::string_view s, int i) { return Cp932ByteType(s, i) == mbTrailByte; }

// Length (1 or 2) of the character that begins at index i, which must be a
// character start; 0 when i lies outside s.
inline int Cp932CharLen(std::string_view s, int i) {
  if (i < 0 || static_cast<size_t>(i) >= s.size()) return 0;
  return cp932::CharLength(s, static_cast<size_t>(i));
}

// Index of the first byte of the character that holds index i (i itself
// unless i is a trail byte). Indexes outside s are returned unchanged.
int Cp932CharStart(std::string_view s, int i);

// Start of the character that ends just before position i (1 <= i <= size):
// i - 2 after a double-byte character, else i - 1. Returns 0 for i <= 0.
int Cp932PrevChar(std::string_view s, int i);

// Position just after the character that holds index i; at or past the end
// of s it is i + 1.
int Cp932NextChar(std::string_view s, int i);
