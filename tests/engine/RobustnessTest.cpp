// Random rows of kana, ASCII, CR, half-width kana, kanji and invalid bytes
// through every converter and every Hepburn option byte. Each row lives in a
// heap block of its exact size, so the sanitizer build reports any read past
// the terminator.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/MapText.h"
#include "engine/Roma.h"
#include "platform/text/Cp932.h"

namespace {

// Pieces a row is made of: kana that trigger the special rules, marks,
// ASCII, CR, half-width kana with their voicing marks, kanji whose trail
// bytes look like kana lead or ASCII bytes, and invalid or stray bytes.
const char* const kPieces[] = {
    "\x82\xA0", "\x82\xA2", "\x82\xA4", "\x82\xA6", "\x82\xA8",  // あいうえお
    "\x82\xA9", "\x82\xB5", "\x82\xBF", "\x82\xB6", "\x82\xC0",  // かしちじぢ
    "\x82\xC2", "\x82\xC1", "\x82\xE1", "\x82\xE3", "\x82\xE5",  // つっゃゅょ
    "\x82\xF1", "\x82\xF0", "\x82\xEE", "\x82\xEF", "\x82\x9F",  // んをゐゑぁ
    "\x82\xCE", "\x82\xDC", "\x82\xCF", "\x82\xE2",              // ばまぱや
    "\x83\x41", "\x83\x45", "\x83\x94", "\x83\x62", "\x83\x83",  // アウヴッャ
    "\x83\x93", "\x83\x92", "\x83\x40", "\x83\x42", "\x83\x48",  // ンヲァィォ
    "\x81\x5B", "\x81\x42", "\x81\x41", "\x81\x40",              // ー。、全角空白
    // (the kana and marks above are drawn more often than what follows)
    "\x82\x60", "\x82\x81", "\x83\x9F", "\x84\x70",              // Ａａ Α а
    "a", "A", "z", " ", "!", "\\", "\r", "\t",
    "\xB1", "\xB3", "\xB6", "\xCA", "\xDE", "\xDF", "\xB0", "\xA1",  // ｱｳｶﾊﾞﾟｰ｡
    "\x8A\x83", "\x95\x5C", "\x8E\x82", "\x88\x9F",  // 潟 表 獅 亜
    "\x80", "\xA0", "\xFD", "\xFE", "\xFF", "\x81", "\x82", "\x83", "\xE0", "\xFC",
};

struct Unit {
  std::string bytes;
  bool invalid;
};

// Splits code page 932 text into characters as a reader of the file would.
std::vector<Unit> Units(const std::string& s) {
  std::vector<Unit> units;
  for (size_t i = 0; i < s.size();) {
    int n = cp932::CharLength(s, i);
    unsigned char b = static_cast<unsigned char>(s[i]);
    bool invalid = n == 1 && (cp932::IsLeadByte(b) || b == 0x80 || b == 0xA0 || b >= 0xFD);
    units.push_back({s.substr(i, n), invalid});
    i += n;
  }
  return units;
}

std::vector<std::string> Invalid(const std::string& s) {
  std::vector<std::string> out;
  for (const Unit& u : Units(s))
    if (u.invalid) out.push_back(u.bytes);
  return out;
}

// The non-ASCII characters of the romaji are characters of the row, in order:
// kana are dropped, nothing else is changed or made up.
bool NonAsciiIsSubsequence(const std::string& row, const std::string& romaji) {
  std::vector<Unit> in = Units(row);
  size_t j = 0;
  for (const Unit& u : Units(romaji)) {
    if (u.bytes.size() == 1 && static_cast<unsigned char>(u.bytes[0]) < 0x80) continue;
    while (j < in.size() && in[j].bytes != u.bytes) ++j;
    if (j == in.size()) return false;
    ++j;
  }
  return true;
}

std::string Hex(const std::string& s) {
  static const char* digits = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) {
    h += digits[c >> 4];
    h += digits[c & 15];
    h += ' ';
  }
  return h;
}

class Row {
 public:
  explicit Row(const std::string& s) : data_(new char[s.size() + 1]), size_(s.size()) {
    std::memcpy(data_.get(), s.c_str(), s.size() + 1);
  }
  const char* get() const { return data_.get(); }
  std::string str() const { return std::string(data_.get(), size_); }

 private:
  std::unique_ptr<char[]> data_;
  size_t size_;
};

constexpr size_t kKanaPieces = 38;

// Two pieces in three are kana, so that runs of kana meet often.
std::string RandomRow(std::mt19937& rng) {
  std::uniform_int_distribution<int> length(0, 20);
  std::uniform_int_distribution<size_t> kana(0, kKanaPieces - 1);
  std::uniform_int_distribution<size_t> any(0, std::size(kPieces) - 1);
  std::string s;
  for (int n = length(rng); n > 0; --n) s += kPieces[rng() % 3 ? kana(rng) : any(rng)];
  return s;
}

// Checks one result; returns false (after reporting) on the first fault.
bool CheckResult(const std::string& what, const std::string& row, char* result, bool romaji) {
  if (!result) {
    ADD_FAILURE() << what << ": null for " << Hex(row);
    return false;
  }
  std::string out(result);
  std::free(result);
  if (out.size() > 2 * row.size()) {
    ADD_FAILURE() << what << ": longer than twice " << Hex(row) << "-> " << Hex(out);
    return false;
  }
  if (Invalid(out) != Invalid(row)) {
    ADD_FAILURE() << what << ": invalid bytes changed " << Hex(row) << "-> " << Hex(out);
    return false;
  }
  if (romaji && !NonAsciiIsSubsequence(row, out)) {
    ADD_FAILURE() << what << ": made-up characters " << Hex(row) << "-> " << Hex(out);
    return false;
  }
  return true;
}

TEST(Robustness, RomanisationUnderEveryOptionByte) {
  std::mt19937 rng(20240611);
  for (int i = 0; i < 200; ++i) {
    Row row(RandomRow(rng));
    const std::string s = row.str();
    if (!CheckResult("Kunrei", s, KanaToKunrei(row.get()), true)) return;
    if (!CheckResult("Nihon", s, KanaToNihonShiki(row.get()), true)) return;
    for (int options = 0; options < 256; ++options) {
      char* r = KanaToHepburn(static_cast<HepburnOptions>(options), row.get());
      if (!CheckResult("Hepburn " + std::to_string(options), s, r, true)) return;
    }
  }
  // Many more rows, each under one option byte.
  for (int i = 0; i < 20000; ++i) {
    Row row(RandomRow(rng));
    const std::string s = row.str();
    if (!CheckResult("Kunrei", s, KanaToKunrei(row.get()), true)) return;
    if (!CheckResult("Nihon", s, KanaToNihonShiki(row.get()), true)) return;
    HepburnOptions options = static_cast<HepburnOptions>(i);
    if (!CheckResult("Hepburn " + std::to_string(options), s, KanaToHepburn(options, row.get()), true))
      return;
  }
}

TEST(Robustness, MappingUnderEveryFlagSet) {
  const int kana[] = {0, LCMAP_HIRAGANA, LCMAP_KATAKANA};
  const int width[] = {0, LCMAP_HALFWIDTH, LCMAP_FULLWIDTH};
  const int letter[] = {0, LCMAP_UPPERCASE, LCMAP_LOWERCASE};
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    Row row(RandomRow(rng));
    const std::string s = row.str();
    for (int k : kana)
      for (int w : width)
        for (int l : letter) {
          int flags = k | w | l;
          if (flags == 0) continue;
          if (!CheckResult("MapText " + std::to_string(flags), s, MapText(row.get(), flags), false))
            return;
        }
  }
}

}  // namespace
