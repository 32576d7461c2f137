#include "platform/text/Cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932Classification, LeadAndTrailRanges) {
  for (int b = 0; b < 256; ++b) {
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    bool trail = (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    EXPECT_EQ(cp932::IsLeadByte(static_cast<unsigned char>(b)), lead) << b;
    EXPECT_EQ(cp932::IsTrailByte(static_cast<unsigned char>(b)), trail) << b;
  }
}

TEST(Cp932Classification, LeadByteBeforeLineEndIsSingle) {
  std::string s = "a\x82\r";
  EXPECT_EQ(cp932::CharLength(s, 1), 1);
  std::string kana = "\x82\xA0";  // あ
  EXPECT_EQ(cp932::CharLength(kana, 0), 2);
  EXPECT_EQ(cp932::CharLength(std::string("\x82"), 0), 1);
}

TEST(Cp932Conversion, RoundTripsJapaneseText) {
  std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA abc \xB1";  // 日本語 abc ｱ
  std::string utf8 = cp932::ToUtf8(sjis);
  EXPECT_EQ(utf8, "日本語 abc ｱ");
  EXPECT_EQ(cp932::FromUtf8(utf8), sjis);
}

TEST(Cp932Conversion, RefusedBytesAreReplaced) {
  std::string out;
  EXPECT_FALSE(cp932::ToUtf8(std::string("a\x80" "b"), out));
  EXPECT_EQ(out, "a?b");
  EXPECT_FALSE(cp932::FromUtf8("a€b", out));  // the euro sign has no code page 932 form
  EXPECT_EQ(out, "a?b");
  EXPECT_TRUE(cp932::FromUtf8("漢字", out));
  EXPECT_EQ(out, "\x8A\xBF\x8E\x9A");
}

}  // namespace
