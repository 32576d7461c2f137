#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/Roma.h"
#include "tests/engine/TestText.h"

using testtext::Sjis;
using testtext::Take;
using testtext::Utf8;

namespace {

std::string Hepburn(const std::string& utf8, HepburnOptions options = 0) {
  return Utf8(Take(KanaToHepburn(options, Sjis(utf8).c_str())));
}
std::string Kunrei(const std::string& utf8) { return Utf8(Take(KanaToKunrei(Sjis(utf8).c_str()))); }
std::string Nihon(const std::string& utf8) { return Utf8(Take(KanaToNihonShiki(Sjis(utf8).c_str()))); }

// Input and the result in Hepburn (no options), Kunrei and Nihon.
struct AllSystems {
  const char* kana;
  const char* hepburn;
  const char* kunrei;
  const char* nihon;
};

void ExpectAll(const AllSystems* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const AllSystems& c = cases[i];
    EXPECT_EQ(Hepburn(c.kana), c.hepburn) << c.kana;
    EXPECT_EQ(Kunrei(c.kana), c.kunrei) << c.kana;
    EXPECT_EQ(Nihon(c.kana), c.nihon) << c.kana;
  }
}

TEST(Romanisation, KanaTableInEachSystem) {
  static const AllSystems cases[] = {
      {"あいうえお", "aiueo", "aiueo", "aiueo"},
      {"かきくけこ", "kakikukeko", "kakikukeko", "kakikukeko"},
      {"さしすせそ", "sashisuseso", "sasisuseso", "sasisuseso"},
      {"たちつてと", "tachitsuteto", "tatituteto", "tatituteto"},
      {"なにぬねの", "naninuneno", "naninuneno", "naninuneno"},
      {"はひふへほ", "hahifuheho", "hahihuheho", "hahihuheho"},
      {"まみむめも", "mamimumemo", "mamimumemo", "mamimumemo"},
      {"やゆよ", "yayuyo", "yayuyo", "yayuyo"},
      {"らりるれろ", "rarirurero", "rarirurero", "rarirurero"},
      {"わ", "wa", "wa", "wa"},
      {"がぎぐげご", "gagigugego", "gagigugego", "gagigugego"},
      {"ざじずぜぞ", "zajizuzezo", "zazizuzezo", "zazizuzezo"},
      {"だぢづでど", "dajizudedo", "dazizudedo", "dadidudedo"},
      {"ばびぶべぼ", "babibubebo", "babibubebo", "babibubebo"},
      {"ぱぴぷぺぽ", "papipupepo", "papipupepo", "papipupepo"},
      {"カタカナ", "katakana", "katakana", "katakana"},
      {"ー。、", "-.,", "-.,", "-.,"},
      {"ゑ", "e", "e", "we"},
      {"ゐ", "i", "i", "wi"},
      {"を", "o", "o", "wo"},
  };
  ExpectAll(cases, std::size(cases));
}

TEST(Romanisation, SmallTsuDoublesOrWritesTu) {
  static const AllSystems cases[] = {
      {"かっぱ", "kappa", "kappa", "kappa"},
      {"カッパ", "kappa", "kappa", "kappa"},
      {"っあ", "tua", "tua", "tua"},
      {"っん", "tun", "tun", "tun"},
      {"っー", "tu-", "tu-", "tu-"},
      {"っゃ", "tuya", "tuya", "tuya"},
      {"っA", "A", "A", "A"},
      {"っ", "", "", ""},
      {"かっ", "ka", "ka", "ka"},
      {"っっか", "kka", "kka", "kka"},
      {"っし", "sshi", "ssi", "ssi"},
      {"っつ", "ttsu", "ttu", "ttu"},
      {"っふ", "ffu", "hhu", "hhu"},
      {"っじ", "jji", "zzi", "zzi"},
      {"っぢ", "jji", "zzi", "ddi"},
      {"っづ", "zzu", "zzu", "ddu"},
      {"っや", "yya", "yya", "yya"},
      {"っわ", "wwa", "wwa", "wwa"},
      {"っち", "tchi", "tti", "tti"},
      {"っちゃ", "tcha", "ttya", "ttya"},
      {"っゐ", "tui", "tui", "wwi"},
      {"っゑ", "tue", "tue", "wwe"},
      {"っを", "tuo", "tuo", "wwo"},
      {"っぁ", "tua", "tua", "tua"},
  };
  ExpectAll(cases, std::size(cases));
}

TEST(Romanisation, SmallYaYuYoCombineByState) {
  static const AllSystems cases[] = {
      {"きゃ", "kya", "kya", "kya"},
      {"にゅ", "nyu", "nyu", "nyu"},
      {"りょ", "ryo", "ryo", "ryo"},
      {"かゃ", "kaya", "kaya", "kaya"},
      {"ゃ", "ya", "ya", "ya"},
      {"しゃ", "sha", "sya", "sya"},
      {"ちゃ", "cha", "tya", "tya"},
      {"じゃ", "ja", "zya", "zya"},
      {"ぢゃ", "ja", "zya", "dya"},
      {"ヂョ", "jo", "zyo", "dyo"},
      {"ぃゃ", "iya", "iya", "iya"},
      // A vowel kana's own "i" stays: only a syllable's gives way to "y".
      {"いゃ", "iya", "iya", "iya"},
      {"ゐょ", "iyo", "iyo", "wiyo"},
      {"あゅ", "ayu", "ayu", "ayu"},
      {"きょう", "kyo", "kyou", "kyou"},
      {"ぎゅうにゅう", "gyunyu", "gyuunyuu", "gyuunyuu"},
  };
  ExpectAll(cases, std::size(cases));
}

TEST(Romanisation, SmallVowelsNeverCombine) {
  static const AllSystems cases[] = {
      {"ふぁ", "fua", "hua", "hua"},
      {"てぃ", "tei", "tei", "tei"},
      {"くぁ", "kua", "kua", "kua"},
  };
  ExpectAll(cases, std::size(cases));
}

TEST(Romanisation, WhatNoLiteralHoldsIsCopied) {
  static const AllSystems cases[] = {
      {"", "", "", ""},
      {"ABC", "ABC", "ABC", "ABC"},
      {"Ｋａｎａ", "Ｋａｎａ", "Ｋａｎａ", "Ｋａｎａ"},
      {"ｶﾅ", "ｶﾅ", "ｶﾅ", "ｶﾅ"},
      {"漢字", "漢字", "漢字", "漢字"},
      {"ゎヮヵヶ", "ゎヮヵヶ", "ゎヮヵヶ", "ゎヮヵヶ"},
      {"か\r", "ka\r", "ka\r", "ka\r"},
      {"ヴァ", "ヴa", "ヴa", "ヴa"},
  };
  ExpectAll(cases, std::size(cases));
}

TEST(Romanisation, KunreiAndNihonDiffer) {
  static const AllSystems cases[] = {
      {"つづく", "tsuzuku", "tuzuku", "tuduku"},
      {"ちぢむ", "chijimu", "tizimu", "tidimu"},
      {"ふじさん", "fujisan", "huzisan", "huzisan"},
      {"かっこう", "kakko", "kakkou", "kakkou"},
      {"っつ", "ttsu", "ttu", "ttu"},
      {"っぱ", "ppa", "ppa", "ppa"},
      {"をお", "o", "oo", "woo"},
      {"ゐい", "i", "ii", "wii"},
      {"こう", "ko", "kou", "kou"},
      {"おおさか", "osaka", "oosaka", "oosaka"},
      {"びょういん", "byoin", "byouin", "byouin"},
      {"しんぶん", "shimbun", "sinbun", "sinbun"},
      {"げんいん", "genin", "genin", "genin"},
      {"ほんや", "honya", "honya", "honya"},
  };
  ExpectAll(cases, std::size(cases));
}

// Second bytes of double-byte characters are never read as kana: 潟 is
// 8A 83 and 獅 is 8E 82, so 潟A must not become 潟 + ア.
TEST(Romanisation, TrailBytesAreNeverMatched) {
  const std::string cases[] = {"\x8A\x83" "A", "\x8E\x82\xB1", "\x8A\x83\x41\x83\x41"};
  const std::string expected[] = {"\x8A\x83" "A", "\x8E\x82\xB1", "\x8A\x83\x41" "a"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(Take(KanaToHepburn(0, cases[i].c_str())), expected[i]) << i;
    EXPECT_EQ(Take(KanaToKunrei(cases[i].c_str())), expected[i]) << i;
    EXPECT_EQ(Take(KanaToNihonShiki(cases[i].c_str())), expected[i]) << i;
  }
}

// A lead byte at the very end, and a text that ends inside a literal, stop
// the pass at the terminator (the sanitizer build catches any read past it).
TEST(Romanisation, TextEndingMidCharacterStopsAtTerminator) {
  const std::string cases[] = {"\x83", "a\x83", "\x82\xA0\x83", "\x83\x94", "\x83\x45", "\x82\xA4"};
  const std::string expected[] = {"\x83", "a\x83", "a\x83", "\x83\x94", "u", "u"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    // Exact-size heap copies, so a read past the NUL is an overflow.
    std::unique_ptr<char[]> text(new char[cases[i].size() + 1]);
    std::memcpy(text.get(), cases[i].c_str(), cases[i].size() + 1);
    EXPECT_EQ(Take(KanaToHepburn(0xFF, text.get())), i == 3 ? "vu" : expected[i]) << i;
    EXPECT_EQ(Take(KanaToKunrei(text.get())), expected[i]) << i;
    EXPECT_EQ(Take(KanaToNihonShiki(text.get())), expected[i]) << i;
  }
}

}  // namespace
