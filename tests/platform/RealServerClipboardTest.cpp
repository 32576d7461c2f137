// The clipboard of another program on a real X server (Xvfb, xcb platform):
// what it offers is read as code page 932 text, and one that has stopped
// answering is given up after one wait.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <optional>
#include <string>
#include <vector>

#include "tests/common/TestApp.h"
#include "platform/qt/Clipboard.h"
#include "tests/common/XClipboardOwner.h"
#include "tests/common/XcbChild.h"

namespace {

TEST(RealServerClipboard, AnotherProgramsTextIsReadAndASilentOneGivenUp) {
  if (!xcbchild::InChild()) {
    const xcbchild::Result r = xcbchild::Run("RealServerClipboard.AnotherProgramsTextIsReadAndASilentOneGivenUp");
    EXPECT_TRUE(r.Passed()) << r.Log;
    return;
  }
  TestApp();
  ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));

  std::string rows;
  for (int i = 0; i < 20000; ++i) rows += "row " + std::to_string(i) + "\r\n";
  struct Case {
    const char* name;
    std::vector<XClipboardOwner::Offer> offers;
    bool answers;
    size_t pieceSize;
    std::optional<std::string> expected;  // none: the read fails
  };
  const std::vector<Case> cases = {
      {"UTF-8 text", {{"UTF8_STRING", "\xE3\x81\x82\r\nx"}}, true, 0, std::string("\x82\xA0\r\nx")},
      {"this program's exact bytes first",
       {{"UTF8_STRING", "?"}, {TClipboard::PrivateMimeType, "\x87\x90"}}, true, 0, std::string("\x87\x90")},
      {"Latin-1 text only", {{"STRING", "plain"}}, true, 0, std::string("plain")},
      {"a long text in pieces", {{"UTF8_STRING", rows}}, true, 65536, rows},
      {"no text among the formats", {{"image/png", "\x89PNG"}}, true, 0, std::string()},
      {"an owner that never answers", {{"UTF8_STRING", "x"}}, false, 0, std::nullopt},
  };
  for (const Case& c : cases) {
    XClipboardOwner owner(c.offers, c.answers, c.pieceSize);
    ASSERT_TRUE(owner.Owns()) << c.name;
    std::optional<std::string> got;
    std::string error;
    QElapsedTimer t;
    t.start();
    try {
      got = std::string(Clipboard()->GetAsText());
    } catch (const EClipboardException& e) {
      error = e.Message();
    }
    EXPECT_EQ(got, c.expected) << c.name;
    if (!c.expected) {
      EXPECT_EQ(error, "クリップボードを開けません") << c.name;
      // One wait of five seconds, not one for every format asked about.
      EXPECT_LT(t.elapsed(), 10000) << c.name;
    }
  }
}

}  // namespace
