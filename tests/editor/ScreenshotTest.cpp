// The control in a real window on a real X server (Xvfb): Japanese text at
// the panes' settings with row numbers, ruler, marks, a selection and the
// caret, saved as a PNG screenshot under the build directory.
//
// The test starts this program again under xvfb-run with the xcb platform;
// that second run shows the window and saves the screenshot.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/common/XcbChild.h"
#include "tests/editor/DisplayFixture.h"

namespace {

std::string ScreenshotPath() { return std::string(SORVELAN_BUILD_DIR) + "/screenshots/editor-pane.png"; }

class PaneScreenshot : public DisplayTest {
 protected:
  void SetUp() override {
    if (!xcbchild::InChild()) return;  // the first run only starts the second
    DisplayTest::SetUp();
  }
  void TearDown() override {
    if (xcbchild::InChild()) DisplayTest::TearDown();
  }

  static void Settle(int ms) {
    for (int t = 0; t < ms; t += 20) {
      QApplication::processEvents();
      QThread::msleep(20);
    }
  }

  void ShowAndSave() {
    form->SetBounds(0, 0, 900, 520);
    edit->SetAlign(alClient);
    const char* text[] = {
        "文字変換ツールの使い方\r",
        "\tこのツールは、日本語の文章を読み込んで、漢字をひらがなに直したり、ローマ字に変えたりします。\r",
        "　全角スペースで始まる行です。半角ｶﾀｶﾅも表示できます。\r",
        "①や②のような機種依存文字は、別の色で表示されます。\r",
        "長い行は折り返し位置まで続きます。縦の線が折り返し桁を示し、この行はその線を越えて右へ伸びていきます。\r",
        "タブは記号で、字下げは点で示されます。\tタブの後の文字\r",
        "行末の改行マーク、左の行番号、上の桁ルーラーを確かめてください。\r",
        "\r",
        "The quick brown fox jumps over the lazy dog.\r",
        "選択された行は強調色で塗られ、キャレットは文字の前に立ちます。\r",
        "最後の行",
    };
    std::vector<std::string> rows;
    for (const char* t : text) rows.push_back(Sjis(t));
    SetRows(rows, {0, 0, 0, 0, 0, 4});
    edit->FSelArea->PutStartRow(8);
    edit->FSelArea->PutEndRow(9);

    form->Show();
    QWidget* top = form->GetWidget();
    top->activateWindow();
    QApplication::setActiveWindow(top);
    Settle(300);
    edit->SetFocus();
    edit->SetCaret(TPoint(6, 1));
    Render();
    Settle(400);

    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    QPixmap shot = screen->grabWindow(top->winId());
    ASSERT_FALSE(shot.isNull());
    QImage img = shot.toImage();
    std::filesystem::create_directories(std::filesystem::path(ScreenshotPath()).parent_path());
    ASSERT_TRUE(img.save(QString::fromStdString(ScreenshotPath()), "PNG"));

    // What the X server shows is the control: text ink, the highlight of the
    // selected rows, the marks' colour.
    int ink = 0, highlight = 0, maroon = 0;
    QRgb sel = qRgb(0, 120, 215);
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        QRgb p = img.pixel(x, y) & 0xFFFFFF;
        if (qGray(p) < 100) ++ink;
        if ((p | 0xFF000000) == (sel | 0xFF000000)) ++highlight;
        if (qRed(p) > 100 && qGreen(p) < 40 && qBlue(p) < 40) ++maroon;
      }
    EXPECT_GT(ink, 2000);
    EXPECT_GT(highlight, 5000);
    EXPECT_GT(maroon, 20);
  }
};

TEST_F(PaneScreenshot, ShowsThePaneInARealWindow) {
  if (xcbchild::InChild()) {
    ShowAndSave();
    return;
  }
  std::filesystem::remove(ScreenshotPath());
  std::filesystem::create_directories(std::filesystem::path(ScreenshotPath()).parent_path());
  const xcbchild::Result run = xcbchild::Run("PaneScreenshot.ShowsThePaneInARealWindow");
  EXPECT_TRUE(run.Passed()) << run.Log;
  EXPECT_TRUE(std::filesystem::exists(ScreenshotPath()));
  EXPECT_GT(std::filesystem::file_size(ScreenshotPath()), 10000u);
}

}  // namespace
