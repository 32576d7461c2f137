// Starts the program as main() does, on a real X server (Xvfb), opens a
// Japanese file through the Open action, runs "ひらがなに変換", saves a
// screenshot of the screen under the build folder and closes the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>
#include <cstdlib>

#include "app/Program.h"
#include "app/Unit1.h"
#include "platform/text/Cp932.h"
#include "tests/app/TestApp.h"

namespace {

const char* const kShotName = "/sorvelan-screenshot.png";

// The rows of the sample: kanji, kana, a tab, a full-width space, ASCII.
const char* const kSample =
    "カタカナの文章をひらがなにします。\r\n"
    "\tタブの後のカタカナ　全角スペース\r\n"
    "ASCII text and ｶﾀｶﾅ (half width)\r\n"
    "\r\n"
    "最後の行：アイウエオ\r\n";

// The driver: runs inside Xvfb, started by the test below.
TEST(ScreenshotDriver, DISABLED_RunProgram) {
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
  TestApp();
  const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
  if (xvfb.isEmpty()) GTEST_SKIP() << "xvfb-run is not installed";

  TempDir dir;
  const std::string sample = dir.Path("sample.txt");
  WriteAll(sample, cp932::FromUtf8(kSample));
  const std::string shot = std::string(SORVELAN_BUILD_DIR) + kShotName;
  std::remove(shot.c_str());

  QProcess run;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("SORVELAN_SCREENSHOT"), QString::fromStdString(shot));
  env.insert(QStringLiteral("SORVELAN_SAMPLE"), QString::fromStdString(sample));
  run.setProcessEnvironment(env);
  run.setProcessChannelMode(QProcess::MergedChannels);
  run.start(xvfb, {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1024x768x24"),
                   QCoreApplication::applicationFilePath(),
                   QStringLiteral("--gtest_filter=ScreenshotDriver.DISABLED_RunProgram"),
                   QStringLiteral("--gtest_also_run_disabled_tests")});
  ASSERT_TRUE(run.waitForFinished(120000)) << run.readAll().toStdString();
  const std::string log = run.readAll().toStdString();
  ASSERT_EQ(run.exitCode(), 0) << log;

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
