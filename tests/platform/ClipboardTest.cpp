#include "platform/qt/Clipboard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <string>
#include <vector>

#include "tests/common/TestApp.h"

namespace {

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    QGuiApplication::clipboard()->clear();
  }
  // What another program would offer: plain text only.
  static void PutForeignText(const QString& text) { QGuiApplication::clipboard()->setText(text); }
  static std::string PlainUtf8() {
    return QGuiApplication::clipboard()->text().toUtf8().toStdString();
  }
};

// A text of UTF-16 code units as they stand, lone surrogates included.
QString Units(std::initializer_list<char16_t> units) {
  return QString(reinterpret_cast<const QChar*>(units.begin()), static_cast<qsizetype>(units.size()));
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST_F(ClipboardTest, CopiedBytesReadBackExactly) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"lines with CR LF", Bytes({0x61, 0x0D, 0x0A, 0x62, 0x0D, 0x0A})},
      {"hiragana", Bytes({0x82, 0xA0, 0x82, 0xA2})},
      // Unicode maps this to the code of another character (0x81E0).
      {"NEC special character", Bytes({0x87, 0x90, 0x0D, 0x0A})},
      {"lone lead byte at the end", Bytes({0x61, 0x82})},
      {"half-width katakana", Bytes({0xB1, 0xB2})},
  };
  for (const Case& c : cases) {
    Clipboard()->SetTextBuf(c.bytes.c_str());
    EXPECT_EQ(Clipboard()->GetAsText(), c.bytes) << c.name;
  }
}

TEST_F(ClipboardTest, OtherProgramsSeePlainUtf8Text) {
  Clipboard()->SetTextBuf(Bytes({0x82, 0xA0, 0x0D, 0x0A, 0x78}).c_str());
  EXPECT_EQ(PlainUtf8(), "\xE3\x81\x82\r\nx");  // "あ" CR LF x

  // A byte sequence iconv refuses still gives other programs a text.
  Clipboard()->SetTextBuf(Bytes({0x61, 0x82}).c_str());
  EXPECT_EQ(PlainUtf8(), "a?");
}

TEST_F(ClipboardTest, TextEndsAtFirstNul) {
  Clipboard()->SetAsText(std::string("ab\0cd", 5));
  EXPECT_EQ(Clipboard()->GetAsText(), "ab");
  EXPECT_EQ(PlainUtf8(), "ab");
}

TEST_F(ClipboardTest, ForeignPlainTextIsConvertedToCodePage932) {
  struct Case {
    const char* name;
    QString text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"ASCII with LF", QStringLiteral("a\nb"), "a\nb"},
      {"hiragana", QString::fromUtf8("\xE3\x81\x82"), Bytes({0x82, 0xA0})},
      {"approximately-equal sign", QString::fromUtf8("\xE2\x89\x92"), Bytes({0x81, 0xE0})},
      {"unmappable characters", QString::fromUtf8("x\xE2\x82\xAC" "y\xF0\x9F\x98\x80"), "x?y?"},
      {"NUL inside", QString::fromUtf8("ab\0cd", 5), "ab"},
      {"NUL first", QString::fromUtf8("\0cd", 3), ""},
      {"lone surrogate", Units({u'a', char16_t(0xD800), u'b'}), "a?b"},
  };
  for (const Case& c : cases) {
    PutForeignText(c.text);
    EXPECT_EQ(Clipboard()->GetAsText(), c.expected) << c.name;
  }
}

TEST_F(ClipboardTest, AReadTellsWhatItCouldNotKeep) {
  struct Case {
    const char* name;
    QString text;
    size_t replaced;
    int64_t keptBeforeNul;  // code page 932 bytes
  };
  const std::vector<Case> cases = {
      {"emoji and Korean", QString::fromUtf8("a😀한"), 2, -1},
      {"NUL first", QString::fromUtf8("\0cd", 3), 0, 0},
      {"both", QString::fromUtf8("\xE3\x81\x82😀\0x", 9), 1, 3},
      {"nothing lost", QString::fromUtf8("あ〜"), 0, -1},
      // Half of a pair, no character at all: the toolkit's own conversion
      // would make it a "?" that counts as kept.
      {"lone surrogates", Units({u'a', char16_t(0xD83D), u'b', char16_t(0xDE00)}), 2,
       -1},
      {"lone surrogate before a NUL", Units({char16_t(0xDC00), u'\0', u'x'}), 1, 1},
  };
  for (const Case& c : cases) {
    PutForeignText(c.text);
    Clipboard()->GetAsText();
    const TClipboardTextLoss loss = Clipboard()->LastReadLoss();
    EXPECT_EQ(loss.Replaced, c.replaced) << c.name;
    EXPECT_EQ(loss.KeptBeforeNul, c.keptBeforeNul) << c.name;
  }
  // A forgotten loss is gone; a copy made here loses nothing.
  PutForeignText(QString::fromUtf8("😀"));
  Clipboard()->GetAsText();
  Clipboard()->ForgetLastReadLoss();
  EXPECT_FALSE(Clipboard()->LastReadLoss().Any());
  Clipboard()->GetAsText();
  ASSERT_TRUE(Clipboard()->LastReadLoss().Any());
  Clipboard()->SetTextBuf(Bytes({0x87, 0x90}).c_str());
  Clipboard()->GetAsText();
  EXPECT_FALSE(Clipboard()->LastReadLoss().Any());
}

TEST_F(ClipboardTest, ForeignTextReplacesPrivateCopy) {
  Clipboard()->SetTextBuf(Bytes({0x87, 0x90}).c_str());
  PutForeignText(QStringLiteral("other"));
  EXPECT_EQ(Clipboard()->GetAsText(), "other");
}

TEST_F(ClipboardTest, EmptyClipboardReadsEmpty) {
  EXPECT_EQ(Clipboard()->GetAsText(), "");

  Clipboard()->SetTextBuf("x");
  Clipboard()->Clear();
  EXPECT_EQ(Clipboard()->GetAsText(), "");

  // Data of another kind only (an image, say) is no text.
  auto* mime = new QMimeData;
  mime->setData("application/octet-stream", QByteArray("\x01\x02", 2));
  QGuiApplication::clipboard()->setMimeData(mime);
  EXPECT_EQ(Clipboard()->GetAsText(), "");
}

}  // namespace
