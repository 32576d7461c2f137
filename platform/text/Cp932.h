// Code page 932 (Shift-JIS) text services: byte classification and conversion
// to and from Unicode. Stands in for IsDBCSLeadByte, MultiByteToWideChar and
// WideCharToMultiByte; it never consults the process locale.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Code page 932 byte type of one byte of a string, as the class library
// names it.
enum TMbcsByteType { mbSingleByte, mbLeadByte, mbTrailByte };

namespace cp932 {

// A byte that may begin a double-byte character: 0x81-0x9F, 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A byte that may end a double-byte character: 0x40-0x7E, 0x80-0xFC.
constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Length of the character starting at s[i]: 2 when a lead byte is followed by
// a valid trail byte inside the text, else 1. Bytes are never altered.
inline int CharLength(std::string_view s, size_t i) {
  if (i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) &&
      IsTrailByte(static_cast<unsigned char>(s[i + 1])))
    return 2;
  return 1;
}

// Converts code page 932 bytes to UTF-8 through glibc iconv "CP932".
// A byte sequence iconv refuses is replaced by `replacement` (one per
// refused byte); returns false when anything had to be replaced, and also
// when the conversion cannot be opened at all (`out` is then a copy of the
// input: the ASCII in it still reads).
bool ToUtf8(std::string_view cp, std::string& out, std::string_view replacement = "?");

// Converts UTF-8 to code page 932. A character code page 932 cannot hold
// (or an invalid UTF-8 byte) becomes `replacement`; returns false when any
// replacement was made, or when the conversion cannot be opened (as ToUtf8).
bool FromUtf8(std::string_view utf8, std::string& out, std::string_view replacement = "?");

// Raised by the counting conversions when glibc cannot open the conversion
// at all (its CP932 module missing, say): then nothing was converted, and no
// count would be true.
class EConversionUnavailable : public std::runtime_error {
 public:
  EConversionUnavailable();
};

// ToUtf8, returning how many characters (or refused bytes) were replaced.
// Raises EConversionUnavailable where ToUtf8 would copy the bytes unconverted.
size_t ToUtf8Counting(std::string_view cp, std::string& out, std::string_view replacement = "?");
// FromUtf8, returning how many characters were replaced; with `refused`, the
// UTF-8 of each replaced character is appended to it. An empty replacement
// leaves such characters out. Raises EConversionUnavailable as ToUtf8Counting.
size_t FromUtf8Counting(std::string_view utf8, std::string& out, std::string_view replacement = "?",
                        std::string* refused = nullptr);
// FromUtf8Counting for UTF-16 text. A lone surrogate (half of a pair, no
// character at all) is replaced and counted as a character code page 932
// lacks; `refused` names it by its code, as "U+D800".
size_t FromUtf16Counting(std::u16string_view utf16, std::string& out, std::string_view replacement = "?",
                         std::string* refused = nullptr);

// Convenience forms that ignore whether a replacement happened.
std::string ToUtf8(std::string_view cp);
std::string FromUtf8(std::string_view utf8);

}  // namespace cp932
