#include "platform/text/EncodingCheck.h"

#include <gtest/gtest.h>

#include <iconv.h>

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
      {"UTF-8 Latin", "café", true, "UTF-8"},
      {"UTF-8 opening cut inside a character", text.substr(0, 5), false, "UTF-8"},
      {"EUC-JP", In("EUC-JP", text), true, "EUC-JP"},
      {"EUC-JP katakana only", In("EUC-JP", "テスト\n"), true, "EUC-JP"},
      {"EUC-JP kanji only", In("EUC-JP", "東京都千代田区\n"), true, "EUC-JP"},
      {"EUC-JP opening cut inside a character", In("EUC-JP", text).substr(0, 7), false, "EUC-JP"},
      {"ISO-2022-JP", In("ISO-2022-JP", text), true, "ISO-2022-JP"},
  };
  for (const Case& c : cases) EXPECT_EQ(cp932::ForeignEncoding(c.bytes, c.complete), c.looks) << c.name;
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
