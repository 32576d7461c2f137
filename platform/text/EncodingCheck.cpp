#include "platform/text/EncodingCheck.h"

#include <uchardet/uchardet.h>

#include <cstring>

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

// Valid UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. With
// `cutTail` a sequence the end cuts short counts as valid.
bool IsUtf8(std::string_view s, bool cutTail) {
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
    else return false;
    for (size_t k = 1; k < len; ++k) {
      if (i + k >= n) return cutTail;
      if (!Between(p[i + k], k == 1 ? lo : 0x80, k == 1 ? hi : 0xBF)) return false;
    }
    i += len;
  }
  return true;
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

// How the bytes read as EUC-JP: whether every byte fits, how many double-byte
// characters there are, and how many of them are kana or the common marks
// (rows 0xA1, 0xA4, 0xA5), which make up much of any Japanese text.
struct EucJpReading {
  bool Valid = true;
  size_t Chars = 0;
  size_t Kana = 0;
};

EucJpReading ReadAsEucJp(std::string_view s, bool cutTail) {
  EucJpReading r;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  auto high = [&](size_t i) { return i < n && Between(p[i], 0xA1, 0xFE); };
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
      return r;
    }
    if (!ok) {
      // A character the end of an incomplete opening cuts short.
      bool cut = cutTail && i + len > n;
      for (size_t k = i + 1; cut && k < n; ++k) cut = high(k);
      if (cut) break;
      r.Valid = false;
      return r;
    }
    ++r.Chars;
    if (b == 0xA1 || b == 0xA4 || b == 0xA5) ++r.Kana;
    i += len;
  }
  return r;
}

// How the bytes read as code page 932: how many characters code page 932
// does not hold (with `cutTail` a lead byte the end leaves alone does not
// count); whether a double-byte character with a lead byte E0-FC is among
// them (EUC-JP kanji read so); and how many have a lead byte 81-9F: kana,
// marks and the kanji of the first level, the bulk of Japanese text and
// rare in anything else read so.
struct Cp932Reading {
  size_t Refused = 0;
  bool HighLead = false;
  size_t Common = 0;
};

Cp932Reading ReadAsCp932(std::string_view s, bool cutTail) {
  Cp932Reading r;
  size_t last = 0;  // where the last character starts
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int len = CharLength(s, i);
    if (len == 2 && b >= 0xE0) r.HighLead = true;
    if (len == 2 && b <= 0x9F) ++r.Common;
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

}  // namespace

std::string ForeignEncoding(std::string_view bytes, bool complete) {
  // Byte-order marks, looked for before the NUL cut (UTF-16 and UTF-32 hold
  // NULs). Code page 932 has no character that begins with FE or FF.
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return "UTF-8 (BOM 付き)";
  if (StartsWith(bytes, std::string_view("\xFF\xFE\0\0", 4))) return "UTF-32LE";
  if (StartsWith(bytes, std::string_view("\0\0\xFE\xFF", 4))) return "UTF-32BE";
  if (StartsWith(bytes, "\xFF\xFE")) return "UTF-16LE";
  if (StartsWith(bytes, "\xFE\xFF")) return "UTF-16BE";

  std::string_view text = bytes;
  if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
    text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
    complete = true;  // the load reads nothing after the NUL
  }
  if (!HasNonAscii(text)) return IsIso2022Jp(text) ? "ISO-2022-JP" : std::string();
  const bool cutTail = !complete;
  if (IsUtf8(text, cutTail)) return "UTF-8";

  const EucJpReading euc = ReadAsEucJp(text, cutTail);
  // Japanese text in EUC-JP is rich in kana and marks; other text that
  // merely fits EUC-JP (half-width katakana in code page 932, Korean) reads
  // as kanji there.
  const bool eucKana = euc.Valid && euc.Kana >= 2 && euc.Kana * 3 >= euc.Chars;

  const Cp932Reading sjis = ReadAsCp932(text, cutTail);
  // EUC-JP text often fits code page 932 too: its bytes A1-FE read as
  // half-width katakana and kanji of lead byte E0 and above. Code page 932
  // text that fits EUC-JP holds nothing else either (no hiragana, no kanji
  // of the first level), so such a kanji, like kana read as EUC-JP, tells
  // EUC-JP apart.
  if (euc.Valid && (eucKana || sjis.HighLead || sjis.Refused > 0)) {
    // Other encodings of the EUC kind fit as well; the detector tells them.
    const std::string name = DetectorName(text);
    const bool otherEuc =
        name == "EUC-KR" || name == "UHC" || name == "GB18030" || name == "EUC-TW" || name == "BIG5";
    return otherEuc && !eucKana ? name : "EUC-JP";
  }
  if (sjis.Refused == 0) return std::string();
  // Some bytes are no code page 932 character: a damaged Shift-JIS file,
  // which still reads as Japanese, or text in another encoding, which the
  // detector names.
  if (sjis.Common >= sjis.Refused) return std::string();
  std::string name = DetectorName(text);
  if (name == "SHIFT_JIS" || name == "ASCII") name.clear();
  return name;
}

}  // namespace cp932
