#include "platform/text/EncodingCheck.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/text/Cp932.h"

namespace cp932 {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool HasNonAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

bool Between(unsigned char b, unsigned char lo, unsigned char hi) { return b >= lo && b <= hi; }

// How the bytes read as UTF-8: whether they are valid (no overlong forms,
// no surrogates, nothing above U+10FFFF; with `cutTail` a sequence the end
// cuts short is left out, neither valid nor invalid), and the characters of
// the whole sequences that are not ASCII, each with its place.
struct Utf8Reading {
  bool Valid = true;
  bool OnlyKanaBytes = true;  // every byte not ASCII lies in A1-DF (code page 932's half-width kana)
  struct Char {
    char32_t Code;
    size_t Begin, End;
  };
  std::vector<Char> Chars;
};

Utf8Reading ReadAsUtf8(std::string_view s, bool cutTail) {
  Utf8Reading r;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (Between(b, 0xC2, 0xDF)) len = 2;
    else if (b == 0xE0) len = 3, lo = 0xA0;
    else if (b == 0xED) len = 3, hi = 0x9F;
    else if (Between(b, 0xE1, 0xEF)) len = 3;
    else if (b == 0xF0) len = 4, lo = 0x90;
    else if (b == 0xF4) len = 4, hi = 0x8F;
    else if (Between(b, 0xF1, 0xF3)) len = 4;
    else return r.Valid = false, r;
    char32_t code = b & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      if (i + k >= n) {
        r.Valid = cutTail;
        return r;
      }
      if (!Between(p[i + k], k == 1 ? lo : 0x80, k == 1 ? hi : 0xBF)) return r.Valid = false, r;
      code = code << 6 | (p[i + k] & 0x3F);
    }
    for (size_t k = 0; k < len; ++k) r.OnlyKanaBytes = r.OnlyKanaBytes && Between(p[i + k], 0xA1, 0xDF);
    r.Chars.push_back({code, i, i + len});
    i += len;
  }
  return r;
}

// What a Unicode character is, for telling text from bytes that merely
// decode: the scripts of the two-byte UTF-8 characters, which text in one
// language does not mix; `kSymbol` the signs of Latin-1 (¡ to ¿), which
// any text may hold; `kWide` the characters of three and four bytes that
// text is written in, `kKana` the Japanese marks and kana among them; `kOdd`
// what ordinary text hardly holds at all.
enum Script { kSymbol, kLatin, kGreek, kCyrillic, kArmenian, kHebrew, kArabic, kWide, kKana, kOdd };

Script ScriptOf(char32_t c) {
  if (c >= 0xA0 && c <= 0xBF) return kSymbol;
  if (c >= 0xC0 && c <= 0x24F) return c == 0xD7 || c == 0xF7 ? kSymbol : kLatin;
  if (c >= 0x370 && c <= 0x3FF) return kGreek;
  if (c >= 0x400 && c <= 0x52F) return kCyrillic;
  if (c >= 0x531 && c <= 0x58F) return kArmenian;
  if (c >= 0x5D0 && c <= 0x5F4) return kHebrew;
  if (c >= 0x600 && c <= 0x6FF) return kArabic;
  if (c < 0x800) return kOdd;  // C1 controls, phonetic signs, combining marks, rarer scripts
  if (c >= 0x3000 && c <= 0x30FF) return kKana;  // the marks and kana of Japanese text
  // Three and four bytes: what text is written in.
  const bool common = (c >= 0x2000 && c <= 0x2BFF) ||   // punctuation, arrows, maths, boxes, signs
                      (c >= 0x3000 && c <= 0x9FFF) ||   // CJK marks, kana, kanji
                      (c >= 0xAC00 && c <= 0xD7A3) ||   // Hangul
                      (c >= 0xF900 && c <= 0xFAFF) ||   // compatibility kanji
                      (c >= 0xFF00 && c <= 0xFFEF) ||   // full-width and half-width forms
                      (c >= 0xE00 && c <= 0xE7F) ||     // Thai
                      (c >= 0x1F000 && c <= 0x1FAFF) || // emoji
                      (c >= 0x20000 && c <= 0x3134F);   // rarer kanji
  return common ? kWide : kOdd;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether valid UTF-8 reads as text. Code page 932 text can be valid UTF-8
// too, mostly half-width katakana, whose pairs read as letters of random
// scripts: so the characters must come from one script, and bytes that all
// read as half-width katakana count as UTF-8 only with at least two letters,
// every one of them next to an ASCII letter of its word (as "café crème"). Bytes that read as
// plausible code page 932 too (`alsoCp932`) need two characters, or one
// Japanese mark or kana. With `cutTail` the last character does not count:
// in another reading the end may cut it short.
bool ReadsAsUtf8Text(const Utf8Reading& u, std::string_view s, bool alsoCp932, bool cutTail) {
  size_t count = u.Chars.size();
  if (cutTail && count > 0 && u.Chars.back().End == s.size()) --count;
  if (!u.Valid || count == 0) return false;
  Script script = kSymbol;
  size_t wide = 0, letters = 0, inWords = 0;
  bool kana = false;
  for (size_t k = 0; k < count;) {
    // One run of characters that are not ASCII.
    size_t end = k + 1;
    while (end < count && u.Chars[end].Begin == u.Chars[end - 1].End) ++end;
    const size_t from = u.Chars[k].Begin, to = u.Chars[end - 1].End;
    const bool inWord =
        end - k <= 2 && ((from > 0 && IsAsciiLetter(s[from - 1])) || (to < s.size() && IsAsciiLetter(s[to])));
    for (; k < end; ++k) {
      const Script sc = ScriptOf(u.Chars[k].Code);
      if (sc == kOdd) return false;
      if (sc == kKana) kana = true;
      if (sc == kWide || sc == kKana) ++wide;
      if (sc == kWide || sc == kKana || sc == kSymbol) continue;
      if (script != kSymbol && sc != script) return false;
      script = sc;
      ++letters;
      if (inWord) ++inWords;
    }
  }
  const size_t needed = alsoCp932 ? 2 : 1;
  if (wide > 0) return kana || wide >= needed;
  if (!u.OnlyKanaBytes) return letters >= needed;
  return script == kLatin && letters >= 2 && inWords == letters;
}

// ISO-2022-JP: seven-bit bytes with an escape that designates a double-byte
// set (ESC $ @, ESC $ B, ESC $ ( D ...).
bool IsIso2022Jp(std::string_view s) {
  if (HasNonAscii(s)) return false;
  for (size_t i = 0; i + 2 < s.size(); ++i)
    if (s[i] == '\x1B' && s[i + 1] == '$' && (s[i + 2] == '@' || s[i + 2] == 'B' || s[i + 2] == '('))
      return true;
  return false;
}

// How the bytes read as EUC-JP: whether every character is one EUC-JP
// has (glibc's EUC-JP, and the NEC row 13 that Windows writes), how many
// characters there are, and how many of them are kana (rows 0xA4, 0xA5) or
// the common marks (row 0xA1), which make up much of any Japanese text.
struct EucJpReading {
  bool Valid = true;
  size_t Chars = 0;
  size_t Kana = 0;
  size_t Marks = 0;
};

// Whether glibc's EUC-JP holds the character `c` (two or three bytes).
bool EucJpDefined(iconv_t cd, std::string_view c) {
  char out[8];
  char* ip = const_cast<char*>(c.data());
  size_t il = c.size();
  char* op = out;
  size_t ol = sizeof out;
  const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return ok;
}

EucJpReading ReadAsEucJp(std::string_view s, bool cutTail) {
  EucJpReading r;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  auto high = [&](size_t i) { return i < n && Between(p[i], 0xA1, 0xFE); };
  iconv_t cd = iconv_open("UTF-8", "EUC-JP");
  for (size_t i = 0; i < n;) {
    const unsigned char b = p[i];
    size_t len;
    bool ok;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b == 0x8E) {  // half-width katakana
      len = 2;
      ok = i + 1 < n && Between(p[i + 1], 0xA1, 0xDF);
    } else if (b == 0x8F) {  // JIS X 0212
      len = 3;
      ok = high(i + 1) && high(i + 2);
    } else if (Between(b, 0xA1, 0xFE)) {
      len = 2;
      ok = high(i + 1);
    } else {
      r.Valid = false;
      break;
    }
    if (!ok) {
      // A character the end of an incomplete opening cuts short.
      bool cut = cutTail && i + len > n;
      for (size_t k = i + 1; cut && k < n; ++k) cut = high(k);
      if (!cut) r.Valid = false;
      break;
    }
    if (b != 0xAD && cd != reinterpret_cast<iconv_t>(-1) && !EucJpDefined(cd, s.substr(i, len))) {
      r.Valid = false;
      break;
    }
    // The last character of an incomplete opening may be cut in another
    // reading: it does not count.
    if (!cutTail || i + len < n) {
      ++r.Chars;
      if (b == 0xA4 || b == 0xA5) ++r.Kana;
      if (b == 0xA1) ++r.Marks;
    }
    i += len;
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return r;
}

// How the bytes read as code page 932: how many characters code page 932
// does not hold (with `cutTail` a lead byte the end leaves alone does not
// count); how many have a lead byte 81-9F: kana, marks, the kanji of the
// first level and, from 98 9F on, the first of the second level, the bulk of
// Japanese text and rare in anything else read so;
// whether a half-width katakana stands right next to a double-byte
// character, which Japanese text hardly does and EUC-JP kanji read so do;
// and whether a run of half-width characters begins with one of the marks
// ｡｣､･ (A1, A3, A4, A5), which follow words, as EUC-JP kana and marks
// (rows A1, A4, A5) after ASCII read so. A mark repeated (･･･) is not
// counted: half-width text writes an ellipsis so.
struct Cp932Reading {
  size_t Refused = 0;
  size_t Common = 0;
  bool KanaByDouble = false;
  bool MarkFirst = false;
};

Cp932Reading ReadAsCp932(std::string_view s, bool cutTail) {
  Cp932Reading r;
  size_t last = 0;  // where the last character starts
  int before = 0;    // the kind of the character before: 0 other, 1 half-width katakana, 2 double-byte
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int len = CharLength(s, i);
    if (len == 2 && b <= 0x9F) ++r.Common;
    const bool whole = len == 2 || !cutTail || i + 1 < s.size();
    const int kind = len == 2 ? 2 : Between(b, 0xA1, 0xDF) ? 1 : 0;
    if (whole && kind != 0 && before != 0 && kind != before) r.KanaByDouble = true;
    if (kind == 1 && before == 0 && (b == 0xA1 || b == 0xA3 || b == 0xA4 || b == 0xA5) &&
        i + (cutTail ? 2 : 1) < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0xA1 && s[i + 1] != s[i])
      r.MarkFirst = true;
    before = kind;
    last = i;
    i += static_cast<size_t>(len);
  }
  if (cutTail && last + 1 == s.size() && IsLeadByte(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  std::string utf8;
  r.Refused = ToUtf8Counting(s, utf8);
  return r;
}

// The detector's name for the bytes, or empty when it knows none.
std::string DetectorName(std::string_view s) {
  uchardet_t detector = uchardet_new();
  if (!detector) return std::string();
  std::string name;
  if (uchardet_handle_data(detector, s.data(), s.size()) == 0) {
    uchardet_data_end(detector);
    if (const char* cs = uchardet_get_charset(detector)) name = cs;
  }
  uchardet_delete(detector);
  return name;
}

// UTF-16 without a byte-order mark, told by its NULs (the high bytes of
// ASCII, the low bytes of a few kanji and of the ideographic space), two at
// least, in pairs that read
// as the characters text is written in, nine in ten at least, and none a
// zero pair. "UTF-16LE", "UTF-16BE" or empty.
std::string Utf16Order(std::string_view s, bool complete) {
  if (std::count(s.begin(), s.end(), '\0') < 2) return std::string();
  if (complete && s.size() % 2 != 0) return std::string();
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t units = 0, text[2] = {0, 0};
  for (int high = 0; high < 2; ++high) {  // where the high byte stands: 1 little-endian
    units = 0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
      const char32_t u = static_cast<char32_t>(p[i + high] << 8 | p[i + 1 - high]);
      ++units;
      if (u == 0) return std::string();
      if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
        const char32_t low = static_cast<char32_t>(p[i + 2 + high] << 8 | p[i + 3 - high]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          ++text[high], i += 2;  // a character beyond U+FFFF
          continue;
        }
      }
      if ((u >= 0x20 && u < 0x7F) || u == '\t' || u == '\n' || u == '\r' || ScriptOf(u) != kOdd) ++text[high];
    }
  }
  const int high = text[1] >= text[0] ? 1 : 0;
  if (text[high] * 10 < units * 9) return std::string();
  return high == 1 ? "UTF-16LE" : "UTF-16BE";
}

// Binary data: control bytes that text does not hold (NUL included, tab,
// line ends, form feed, escape and the old end-of-file mark not), at least
// two and one in a hundred bytes, wherever they stand. A run of NULs counts
// once: text padded with zeros is text that ends at the first.
bool LooksBinary(std::string_view s) {
  size_t controls = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b == 0 && i > 0 && s[i - 1] == '\0') continue;
    if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v' && b != 0x1A && b != 0x1B) ||
        b == 0x7F)
      ++controls;
  }
  return controls >= 2 && controls * 100 >= s.size();
}

}  // namespace

std::string ForeignEncoding(std::string_view bytes, bool complete) {
  // Byte-order marks, looked for before the NUL cut (UTF-16 and UTF-32 hold
  // NULs). Code page 932 has no character that begins with FE or FF.
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return "UTF-8 (BOM 付き)";
  if (StartsWith(bytes, std::string_view("\xFF\xFE\0\0", 4))) return "UTF-32LE";
  if (StartsWith(bytes, std::string_view("\0\0\xFE\xFF", 4))) return "UTF-32BE";
  if (StartsWith(bytes, "\xFF\xFE")) return "UTF-16LE";
  if (StartsWith(bytes, "\xFE\xFF")) return "UTF-16BE";
  // The whole opening, past any NUL, tells UTF-16 and binary data.
  if (std::string name = Utf16Order(bytes, complete); !name.empty()) return name;
  if (LooksBinary(bytes)) return kBinaryData;

  std::string_view text = bytes;
  if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
    text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    complete = true;  // the load reads nothing after the NUL
  }
  if (!HasNonAscii(text)) return IsIso2022Jp(text) ? "ISO-2022-JP" : std::string();
  // Each reading leaves out a character the end of an incomplete opening
  // cuts short: it is evidence of nothing.
  const bool cutTail = !complete;
  const Cp932Reading sjis = ReadAsCp932(text, cutTail);
  const Utf8Reading utf8 = ReadAsUtf8(text, cutTail);
  if (ReadsAsUtf8Text(utf8, text, sjis.Refused == 0 && !sjis.KanaByDouble, cutTail)) return "UTF-8";

  const EucJpReading euc = ReadAsEucJp(text, cutTail);
  // Japanese text in EUC-JP is rich in kana and marks; other text that
  // merely fits EUC-JP (half-width katakana in code page 932, Korean) reads
  // as kanji there.
  const bool eucKana = euc.Valid && euc.Kana >= 2 && (euc.Kana + euc.Marks) * 3 >= euc.Chars;

  // EUC-JP text often fits code page 932 too: its bytes A1-FE read as
  // half-width katakana and kanji of lead byte E0 and above. Bytes that fit
  // both are code page 932 unless they read as kana in EUC-JP, or as
  // half-width katakana beside kanji or after a mark in code page 932, or
  // hold something code page 932 lacks.
  if (euc.Valid && (eucKana || sjis.KanaByDouble || sjis.MarkFirst || sjis.Refused > 0)) {
    // Other encodings of the EUC kind fit as well; the detector tells them.
    const std::string name = DetectorName(text);
    const bool otherEuc =
        name == "EUC-KR" || name == "UHC" || name == "GB18030" || name == "EUC-TW" || name == "BIG5";
    return otherEuc && !eucKana ? name : "EUC-JP";
  }
  if (sjis.Refused == 0) return std::string();
  // Some bytes are no code page 932 character: a damaged Shift-JIS file,
  // which still reads as Japanese (four common characters at least for
  // each refused one), or text in another encoding, which the detector
  // names. A name the bytes contradict is not given: the readings
  // above have ruled out UTF-8, EUC-JP and the Japanese encodings.
  if (sjis.Common >= 4 * sjis.Refused) return std::string();
  std::string_view tail = text;
  for (int k = 0; cutTail && k < 3 && !tail.empty() && static_cast<unsigned char>(tail.back()) >= 0x80; ++k)
    tail.remove_suffix(1);
  std::string name = DetectorName(tail);
  if (name == "SHIFT_JIS" || name == "ASCII" || name == "UTF-8" || name == "EUC-JP" || name == "ISO-2022-JP" ||
      name.rfind("UTF-", 0) == 0)
    name.clear();
  return name;
}

}  // namespace cp932
