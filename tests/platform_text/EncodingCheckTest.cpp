#include "platform/text/EncodingCheck.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <random>
#include <string>
#include <vector>

#include "platform/text/Cp932.h"

namespace {

// Text written in UTF-8 in another encoding, through glibc.
std::string In(const char* encoding, const std::string& utf8) {
  iconv_t cd = iconv_open(encoding, "UTF-8");
  std::string out(utf8.size() * 4 + 8, '\0');
  char* ip = const_cast<char*>(utf8.data());
  size_t il = utf8.size();
  char* op = out.data();
  size_t ol = out.size();
  const bool ok = cd != reinterpret_cast<iconv_t>(-1) && iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1);
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  EXPECT_TRUE(ok) << encoding << ": " << utf8;
  out.resize(out.size() - ol);
  return out;
}

std::string Sjis(const std::string& utf8) { return In("CP932", utf8); }

struct Case {
  const char* name;
  std::string bytes;
  bool complete;
  std::string looks;  // empty: plausible code page 932
};

TEST(EncodingCheck, CodePage932TextPasses) {
  const std::vector<Case> cases = {
      {"empty", "", true, ""},
      {"ASCII", "plain text\r\n", true, ""},
      {"prose", Sjis("日本語の文章です。カタカナも、ｶﾀｶﾅも。\r\n"), true, ""},
      {"half-width katakana only, which also fits EUC-JP", Sjis("ｶﾀｶﾅ ｼｮｳﾋﾝ\r\n"), true, ""},
      {"a few half-width katakana read as EUC-JP kana", Sjis("F1､､Esc"), true, ""},
      {"NEC and IBM characters", Sjis("①Ⅰ㈱纊褜"), true, ""},
      {"user-defined character", std::string("\xF0\x40\r\n"), true, ""},
      {"opening cut inside a double-byte character", Sjis("漢字") + "\x8A", false, ""},
      {"a damaged file: one stray byte", Sjis("画像の説明") + "\x80" + Sjis("です"), true, ""},
      {"UTF-8 after a NUL is never read", Sjis("前") + std::string("\0", 1) + "後ろ", true, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
}

TEST(EncodingCheck, EveryCodePage932CharacterPasses) {
  std::string all, out;
  for (int lead = 0x81; lead <= 0xFC; ++lead)
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string c{static_cast<char>(lead), static_cast<char>(trail)};
      if (cp932::IsLeadByte(static_cast<unsigned char>(lead)) && cp932::ToUtf8(c, out)) all += c;
    }
  for (int b = 0x20; b <= 0xDF; ++b)
    if (!cp932::IsLeadByte(static_cast<unsigned char>(b)) && cp932::ToUtf8(std::string(1, static_cast<char>(b)), out))
      all += static_cast<char>(b);
  ASSERT_GT(all.size(), 19000u);
  EXPECT_EQ(cp932::ForeignEncoding(all, true), "");
}

TEST(EncodingCheck, OtherEncodingsAreNamed) {
  const std::string text = "日本語の文章です。\r\n";
  const std::vector<Case> cases = {
      {"UTF-8 with BOM", "\xEF\xBB\xBF" + text, true, "UTF-8 (BOM 付き)"},
      {"ASCII with a UTF-8 BOM", "\xEF\xBB\xBF" "abc", true, "UTF-8 (BOM 付き)"},
      {"UTF-16LE", In("UTF-16", text), true, "UTF-16LE"},
      {"UTF-16BE", "\xFE\xFF" + In("UTF-16BE", text), true, "UTF-16BE"},
      {"UTF-32LE", In("UTF-32", text), true, "UTF-32LE"},
      {"UTF-8", text, true, "UTF-8"},
      {"UTF-8 Latin", "café crème", true, "UTF-8"},
      {"UTF-8 opening cut inside a character", (text + text).substr(0, 20), false, "UTF-8"},
      {"EUC-JP", In("EUC-JP", text), true, "EUC-JP"},
      {"EUC-JP katakana only", In("EUC-JP", "テスト\n"), true, "EUC-JP"},
      {"EUC-JP kanji only", In("EUC-JP", "東京都千代田区\n"), true, "EUC-JP"},
      {"EUC-JP opening cut inside a character", In("EUC-JP", text).substr(0, 7), false, "EUC-JP"},
      {"ISO-2022-JP", In("ISO-2022-JP", text), true, "ISO-2022-JP"},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
}

// Code page 932 text that other readings also fit, as files and as
// openings of longer files: none of it is named another encoding.
TEST(EncodingCheck, CodePage932TextThatOtherEncodingsFitPasses) {
  std::string forty;
  while (forty.size() < 40) forty += "column,";
  forty.resize(40);
  const std::vector<Case> cases = {
      // ASCII and kanji of the second level or IBM's extension, which fit EUC-JP.
      {"a table line with 髙", "\x6E\x61\x6D\x65\x2C\xFB\xFC\x0D\x0A", true, ""},
      {"a second-level kanji among ASCII", "id=7," + Sjis("鷹") + ",ok\r\n", true, ""},
      {"two kanji that read as one UTF-8 kanji", "ab," + std::string("\xE9\xB9\x99\x65") + ",", true, ""},
      // Half-width katakana, whose pairs fit UTF-8 and EUC-JP.
      {"half-width katakana that read as UTF-8 ý", "\xC3\xBD", true, ""},
      {"half-width katakana words", Sjis("ｼｮｳﾋﾝ ｺｰﾄﾞ 12 ﾃｽﾄ\r\n"), true, ""},
      {"a half-width ellipsis after ASCII", Sjis("Wait･･･ok"), true, ""},
      // Openings whose end cuts a character: that character is no evidence.
      {"forty ASCII bytes and the lead byte of 漢", forty + "\x8A", false, ""},
      {"forty ASCII bytes and a lead byte that begins UTF-8", forty + "\xE3", false, ""},
      {"forty ASCII bytes and a lead byte that begins EUC-JP", forty + "\xFB", false, ""},
      {"a kanji, then a lead byte that would end a UTF-8 kanji", "\xE7\xAD\x82", false, ""},
      // Damaged Shift-JIS: the detector's "UTF-8" is not passed on for
      // bytes that are no UTF-8.
      {"damaged Shift-JIS", "\xFF\xDF\xBF\x96", true, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
  // The lead byte of every double-byte character, cut after forty ASCII bytes.
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!cp932::IsLeadByte(static_cast<unsigned char>(lead))) continue;
    EXPECT_EQ(cp932::ForeignEncoding(forty + static_cast<char>(lead), false), "") << std::hex << lead;
  }
}

// What still tells another encoding when only a few characters are not
// ASCII.
TEST(EncodingCheck, AFewCharactersInAnotherEncodingAreNamed) {
  const std::vector<Case> cases = {
      {"one hiragana in UTF-8", "\"status\" と \"available\"\r\n", true, "UTF-8"},
      {"an ideographic comma in UTF-8", "KDE、Konqueror\r\n", true, "UTF-8"},
      {"one hiragana in EUC-JP after ASCII", In("EUC-JP", "\"$HOME\" の値\r\n"), true, "EUC-JP"},
      {"an ideographic comma in EUC-JP", In("EUC-JP", "KDE、Konqueror\r\n"), true, "EUC-JP"},
      {"EUC-JP kanji that read as kana beside kanji", In("EUC-JP", "\"$unit\" 停止\r\n"), true, "EUC-JP"},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
}

TEST(EncodingCheck, Utf16WithoutAMarkIsNamed) {
  const std::vector<Case> cases = {
      {"UTF-16LE", In("UTF-16LE", "日本語の文章です。\r\nabc\r\n"), true, "UTF-16LE"},
      {"UTF-16BE", In("UTF-16BE", "日本語の文章です。\r\nabc\r\n"), true, "UTF-16BE"},
      {"UTF-16LE, kanji with a zero low byte", In("UTF-16LE", "一言一行\r\n"), true, "UTF-16LE"},
      {"UTF-16LE ASCII", In("UTF-16LE", "plain text\n"), true, "UTF-16LE"},
      {"UTF-16LE opening cut inside a unit", In("UTF-16LE", "テキストです text\r\n").substr(0, 31), false,
       "UTF-16LE"},
      // A NUL or two in code page 932 text: the load stops there, no more.
      {"text with a NUL inside", std::string("ab\r\ncd\0ef\r\n", 11), true, ""},
      {"text that starts with a NUL", std::string("\0abc", 4), true, ""},
      {"text that ends with a NUL", std::string("ab\0", 3), true, ""},
      {"two NULs side by side", Sjis("テキスト") + std::string(2, '\0') + Sjis("テキスト"), true, ""},
      {"text padded with zeros", Sjis("記録\r\n") + std::string(4000, '\0'), true, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
}

TEST(EncodingCheck, BinaryDataIsNamedWhereverItsNulsStand) {
  std::mt19937 rng(25);
  auto random = [&](size_t n, bool nul) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(std::uniform_int_distribution<int>(nul ? 0 : 1, 255)(rng));
    return s;
  };
  std::string control;
  for (int i = 0; i < 64; ++i) control += static_cast<char>(i % 32);
  const std::vector<Case> cases = {
      {"random bytes", random(4096, true), true, cp932::kBinaryData},
      {"random bytes without a NUL", random(4096, false), true, cp932::kBinaryData},
      {"random bytes, an opening", random(cp932::kEncodingCheckBytes, true), false, cp932::kBinaryData},
      {"a NUL first, then random bytes", std::string(1, '\0') + random(200, false), true, cp932::kBinaryData},
      {"text, a NUL, then control bytes", Sjis("日本語") + std::string(1, '\0') + control, true, cp932::kBinaryData},
      {"an executable's header", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3E\0", 20), true,
       cp932::kBinaryData},
      // Tabs, form feeds, escapes and an end-of-file mark are text.
      {"text with tabs, a form feed and colour escapes",
       Sjis("表\t題\r\n\f\x1B[31m赤\x1B[0m\r\n\x1A"), true, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
  // Random bytes of any length from 64 bytes up, with NULs and without:
  // none passes as damaged Shift-JIS.
  for (int i = 0; i < 200; ++i) {
    const std::string bytes = random(static_cast<size_t>(64 + i * 20), i % 2 == 0);
    EXPECT_NE(cp932::ForeignEncoding(bytes, true), "") << bytes.size();
  }
}

TEST(EncodingCheck, TheDetectorNamesTheRest) {
  // Latin-1 and Korean: whatever the detector calls them, not Shift-JIS,
  // and Korean not EUC-JP, which it also fits.
  const std::string latin = In("ISO-8859-1", "Ça a été déjà vu à Noël.\n");
  EXPECT_NE(cp932::ForeignEncoding(latin, true), "");
  std::string korean;
  for (int i = 0; i < 5; ++i) korean += In("EUC-KR", "서울 특별시 종로구 세종대로 이 문서는 한국어로 작성되었습니다\n");
  const std::string looks = cp932::ForeignEncoding(korean, true);
  EXPECT_NE(looks, "");
  EXPECT_NE(looks, "EUC-JP");
}

}  // namespace
