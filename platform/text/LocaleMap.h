// Locale string mapping of code page 932 text for the Japanese locale: stands in for LCMapStringA.
#pragma once

// Mapping flags, the values the conversion commands pass. One flag of each
// pair (kana, width, case) may be combined with one of each other pair.
inline constexpr int LCMAP_LOWERCASE = 0x00000100;
inline constexpr int LCMAP_UPPERCASE = 0x00000200;
inline constexpr int LCMAP_HIRAGANA = 0x00100000;
inline constexpr int LCMAP_KATAKANA = 0x00200000;
inline constexpr int LCMAP_HALFWIDTH = 0x00400000;
inline constexpr int LCMAP_FULLWIDTH = 0x00800000;

namespace localemap {

// True when flags hold at least one mapping flag, no unknown bit, and not
// both flags of a pair (hiragana with katakana, half-width with full-width,
// upper with lower case).
bool FlagsAccepted(int flags);

// Maps srcLength bytes of code page 932 text at src into dst, which holds
// dstSize bytes; srcLength -1 maps up to and including the terminating NUL.
// Works on whole characters only: a lead byte and its trail byte are mapped
// together or not at all, and nothing goes through Unicode.
//   hiragana/katakana: ァ-ン <-> ぁ-ん, ヽヾ <-> ゝゞ; ヴ ヵ ヶ ー and half-width kana stay.
//   half-width: full-width katakana, 。「」、・ー゛゜, the full-width space and
//     the full-width ASCII forms to single bytes; voiced kana split into base + ﾞ/ﾟ.
//   full-width: the inverse; ﾞ/ﾟ join the kana before them where a composed kana exists.
//   upper/lower case: ASCII letters (single bytes only) and the full-width
//     Latin, Greek and Cyrillic letters.
// Under combined flags the width is widened first, then the kana flag, then
// the width narrowed, then the case, so 0x900000 turns ｶﾞ into が.
// Returns the number of bytes written (the NUL included for -1), or 0 when the
// flags are refused, an argument is invalid or dst is too small.
int MapString(int flags, const char* src, int srcLength, char* dst, int dstSize);

}  // namespace localemap
