// The program on a real X server (Xvfb, xcb platform), driven through the
// window system's own key path: the file dialog and what it leaves behind,
// Qt's standard texts in Japanese, the hint of a menu opened from the
// keyboard, a paste from a program that has stopped answering or that
// changes its text between reads.
#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/Program.h"
#include "app/Unit1.h"
#include "tests/app/BoxRecorder.h"
#include "tests/common/TempFiles.h"
#include "tests/common/TestApp.h"
#include "tests/common/XClipboardOwner.h"
#include "tests/common/XcbChild.h"

namespace {

bool HasJapanese(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0x3000) return true;
  return false;
}

// Runs the program as main() does; 'drive' runs once the window shows, then
// the window closes (answering No to the close question).
void RunProgram(const std::function<void()>& drive) {
  static char name[] = "sorvelan";
  static char* argv[] = {name, nullptr};
  RunSorvelan(1, argv, [&] {
    [&] {
      ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
      Form1->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
      drive();
    }();
    MessageBoxHook = [](const TMessageBoxRequest&) { return mrNo; };
    Form1->close();
  });
  MessageBoxHook = nullptr;
}

// The test runs 'drive' in its second run, on the X server; the first run
// starts the second and checks that it passed.
void OnRealServer(void (*drive)()) {
  if (xcbchild::InChild()) {
    drive();
    return;
  }
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  const xcbchild::Result r = xcbchild::Run(std::string(info->test_suite_name()) + "." + info->name());
  EXPECT_TRUE(r.Passed()) << r.Log;
}

// --- the open dialog ---------------------------------------------------------

void DriveOpenDialog() {
  TempDir dir;
  WriteAll(dir.Path("sample1.txt"), "abc\r\n");
  WriteAll(dir.Path("sample2.txt"), "def\r\n");
  int news = 0;
  RunProgram([&] {
    QObject::connect(Form1->FileNew1, &QAction::triggered, [&] { ++news; });
    Form1->OpenDialog1->FileName = dir.Path("sample1.txt");
    QLineEdit* field = nullptr;
    QTimer::singleShot(0, [&] {
      auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr);
      ASSERT_TRUE(PumpUntil([&] { return dlg->isVisible(); }));

      // Qt's own texts are Japanese.
      auto* lookIn = dlg->findChild<QLabel*>(QStringLiteral("lookInLabel"));
      auto* buttons = dlg->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
      ASSERT_NE(lookIn, nullptr);
      ASSERT_NE(buttons, nullptr);
      EXPECT_TRUE(HasJapanese(lookIn->text())) << lookIn->text().toStdString();
      for (QAbstractButton* b : buttons->buttons()) EXPECT_TRUE(HasJapanese(b->text())) << b->text().toStdString();

      // A typed name opens the completion list, still on show when the
      // dialog closes.
      field = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(field, nullptr);
      ASSERT_NE(field->completer(), nullptr);
      PumpFor(300);  // the starting name settles
      field->clear();
      QTest::keyClicks(field, QStringLiteral("sam"));
      EXPECT_TRUE(PumpUntil([&] { return field->completer()->popup()->isVisible(); }));
      field->setText(QStringLiteral("sample1.txt"));
      static_cast<QDialog*>(dlg)->accept();  // as the Open button does
    });
    Form1->FileOpen1->trigger();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(InputFileName, dir.Path("sample1.txt"));
    PumpFor(100);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(field->completer()->popup()->isVisible());

    // The folder's listing arriving late opens the list again: it goes.
    field->completer()->setCompletionPrefix(QStringLiteral("sam"));
    field->completer()->complete();
    PumpFor(100);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(field->completer()->popup()->isVisible());

    // The next key reaches the main window's shortcuts.
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    QTest::keyClick(Form1->windowHandle(), Qt::Key_N, Qt::ControlModifier);
    PumpFor(50);
    EXPECT_EQ(news, 1);
  });
}

TEST(RealServer, AClosedFileDialogLeavesNoCompletionListAndSpeaksJapanese) {
  OnRealServer(DriveOpenDialog);
}

// --- a menu opened from the keyboard -------------------------------------

void DriveKeyboardMenu() {
  RunProgram([] {
    QMenu* file = Form1->File1;
    QTest::keyClick(Form1->windowHandle(), Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(PumpUntil([&] { return file->isVisible() && file->activeAction(); }));
    PumpFor(50);
    const QString hint = file->activeAction()->statusTip();
    EXPECT_FALSE(hint.isEmpty());
    EXPECT_EQ(Form1->StatusBar1->currentMessage().toStdString(), hint.toStdString());
    file->hide();
  });
}

TEST(RealServer, AMenuOpenedFromTheKeyboardShowsTheHintOfItsFirstItem) {
  OnRealServer(DriveKeyboardMenu);
}

// --- a paste from a program that does not answer ---------------------------

void DrivePasteFromSilentOwner() {
  RunProgram([] {
    TAFEdit* pane = Form1->AFEdit2;
    pane->SetLine(0, "abc\r");
    pane->AddLine("def");
    pane->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::focusWidget() == pane->GetWidget(); }));
    const std::vector<std::string> before = {pane->GetLine(0), pane->GetLine(1)};

    XClipboardOwner silent({{"UTF8_STRING", "xyz"}}, false);
    ASSERT_TRUE(silent.Owns());
    BoxRecorder boxes;
    QElapsedTimer t;
    t.start();
    QTest::keyClick(Form1->windowHandle(), Qt::Key_V, Qt::ControlModifier);
    PumpUntil([&] { return !boxes.Boxes.empty(); }, 20000);
    // One wait of five seconds, not one for every format asked about.
    EXPECT_LT(t.elapsed(), 10000);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "クリップボードを開けません");
    EXPECT_EQ(pane->GetLinesCount(), 2);
    EXPECT_EQ((std::vector<std::string>{pane->GetLine(0), pane->GetLine(1)}), before);

    // New from the clipboard empties both panes only once it has the text.
    TAFEdit* reference = Form1->AFEdit1;
    reference->SetLine(0, "ref\r");
    boxes.Boxes.clear();
    boxes.Answers = {mrNo};  // the edit pane's text need not be saved
    Form1->ClipboardOpen1->trigger();
    PumpUntil([&] { return boxes.Boxes.size() >= 2; }, 20000);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, "クリップボードを開けません");
    EXPECT_EQ((std::vector<std::string>{pane->GetLine(0), pane->GetLine(1)}), before);
    EXPECT_EQ(reference->GetLine(0), "ref\r");
  });
}

TEST(RealServer, ClipboardCommandsOnAProgramThatDoesNotAnswerEndInAnErrorAndChangeNothing) {
  OnRealServer(DrivePasteFromSilentOwner);
}

// --- new from the clipboard reads it once -----------------------------------

void DriveNewFromAChangingClipboard() {
  RunProgram([] {
    struct Case {
      const char* name;
      XClipboardOwner::Changes changes;
      std::string row;  // both panes'
    };
    const std::vector<Case> cases = {
        {"a text that changes with every read", {.Numbered = true}, "text1"},
        {"an owner that stops answering after one read", {.AnswersBeforeSilence = 1}, "text"},
    };
    for (const Case& c : cases) {
      XClipboardOwner owner({{"UTF8_STRING", "text"}}, true, 0, c.changes);
      ASSERT_TRUE(owner.Owns()) << c.name;
      Form1->AFEdit2->SetEdited(false);
      BoxRecorder boxes;
      Form1->ClipboardOpen1->trigger();
      EXPECT_TRUE(boxes.Boxes.empty()) << c.name << ": " << (boxes.Boxes.empty() ? "" : boxes.Boxes[0].Text);
      EXPECT_EQ(Form1->AFEdit1->GetLine(0), c.row) << c.name;
      EXPECT_EQ(Form1->AFEdit2->GetLine(0), c.row) << c.name;
    }
  });
}

TEST(RealServer, NewFromTheClipboardGivesBothPanesTheTextOfOneRead) {
  OnRealServer(DriveNewFromAChangingClipboard);
}

// --- Qt's translation ----------------------------------------------------------

TEST(QtTranslation, AMissingFileLeavesTheEnglishTexts) {
  TestApp();
  TempDir empty;
  EXPECT_FALSE(InstallQtJapanese(QString::fromStdString(empty.Root())));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

}  // namespace
