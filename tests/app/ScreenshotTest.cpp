// Starts the program as main() does, on a real X server (Xvfb), opens a
// Japanese file through the Open action, runs "ひらがなに変換", saves a
// screenshot of the screen under the build folder and closes the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <cstdlib>

#include "app/Program.h"
#include "app/Unit1.h"
#include "platform/text/Cp932.h"
#include "tests/common/TempFiles.h"
#include "tests/common/TestApp.h"
#include "tests/common/XcbChild.h"

namespace {

const char* const kShotName = "/sorvelan-screenshot.png";

// The rows of the sample: kanji, kana, a tab, a full-width space, ASCII.
const char* const kSample =
    "カタカナの文章をひらがなにします。\r\n"
    "\tタブの後のカタカナ　全角スペース\r\n"
    "ASCII text and ｶﾀｶﾅ (half width)\r\n"
    "\r\n"
    "最後の行：アイウエオ\r\n";

// The second run, inside Xvfb: the program as main() starts it.
void RunProgramAndSaveScreenshot() {
  const char* out = std::getenv("SORVELAN_SCREENSHOT");
  const char* sample = std::getenv("SORVELAN_SAMPLE");
  ASSERT_NE(out, nullptr);
  ASSERT_NE(sample, nullptr);
  static char name[] = "sorvelan";
  static char* argv[] = {name, nullptr};
  bool shot = false;
  RunSorvelan(1, argv, [&] {
    Form1->OpenDialog1->ExecuteHook = [sample](AnsiString& n) {
      n = sample;
      return true;
    };
    Form1->FileOpen1->trigger();
    Form1->ConvertHiragana1->trigger();
    QTimer::singleShot(1500, [&] {
      QCoreApplication::processEvents();
      QImage image = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
      shot = image.save(QString::fromUtf8(out), "PNG");
      // The close question: No.
      MessageBoxHook = [](const TMessageBoxRequest&) { return mrNo; };
      Form1->close();
    });
  });
  MessageBoxHook = nullptr;
  EXPECT_TRUE(shot);
}

TEST(Screenshot, TheProgramShowsAConvertedFileOnARealXServer) {
  if (xcbchild::InChild()) {
    RunProgramAndSaveScreenshot();
    return;
  }
  TestApp();
  TempDir dir;
  const std::string sample = dir.Path("sample.txt");
  WriteAll(sample, cp932::FromUtf8(kSample));
  const std::string shot = std::string(SORVELAN_BUILD_DIR) + kShotName;
  std::remove(shot.c_str());

  const xcbchild::Result run = xcbchild::Run("Screenshot.TheProgramShowsAConvertedFileOnARealXServer",
                                             {{"SORVELAN_SCREENSHOT", shot}, {"SORVELAN_SAMPLE", sample}},
                                             "1024x768x24");
  const std::string& log = run.Log;
  ASSERT_TRUE(run.Passed()) << log;

  QImage image(QString::fromStdString(shot));
  ASSERT_FALSE(image.isNull()) << log;
  EXPECT_EQ(image.width(), 1024);
  // The window drew something: more than a few colours on the screen.
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 4)
    for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, y));
  EXPECT_GT(colours.size(), 8);
}

}  // namespace
