#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <memory>

#include "app/AppSupport.h"
#include "app/Program.h"
#include "platform/core/Classes.h"
#include "platform/qt/Controls.h"
#include "tests/app/BoxRecorder.h"
#include "tests/common/TempFiles.h"
#include "tests/common/TestApp.h"

namespace {

TEST(ProgressBar, AStepPastTheMaximumStartsOverFromTheMinimum) {
  TestApp();
  struct Case {
    int Min, Max, Start, Step, Steps, Expected;
  };
  const Case cases[] = {
      {0, 3, 0, 1, 3, 3},    // up to the maximum
      {0, 3, 0, 1, 4, 1},    // one past: starts over
      {0, 3, 0, 1, 6, 3},    // a whole second run ends full again
      {0, 10, 8, 5, 1, 3},   // the overshoot carries over
      {5, 8, 8, 1, 1, 6},    // from a minimum other than 0
      {0, 0, 0, 1, 2, 0},    // an empty range stays at its minimum
  };
  for (const Case& c : cases) {
    TProgressBar bar;
    bar.SetMin(c.Min);
    bar.SetMax(c.Max);
    bar.SetPosition(c.Start);
    bar.SetStep(c.Step);
    for (int i = 0; i < c.Steps; ++i) bar.StepIt();
    EXPECT_EQ(bar.GetPosition(), c.Expected) << c.Min << ".." << c.Max << " from " << c.Start;
    EXPECT_GE(bar.value(), bar.minimum());
    EXPECT_LE(bar.value(), bar.maximum());
  }
}

TEST(ProgressBar, PositionIsHeldInsideTheRange) {
  TestApp();
  TProgressBar bar;
  bar.SetMax(10);
  bar.SetPosition(15);
  EXPECT_EQ(bar.GetPosition(), 10);
  bar.SetPosition(-3);
  EXPECT_EQ(bar.GetPosition(), 0);
  bar.SetPosition(7);
  bar.SetMax(4);
  EXPECT_EQ(bar.GetPosition(), 4);
}

// The bar on screen skips tiny moves on long ranges, but its ends are exact.
TEST(ProgressBar, ShownValueReachesBothEndsOnALongRange) {
  TestApp();
  TProgressBar bar;
  bar.SetMax(100000);
  bar.SetStep(1);
  for (int i = 0; i < 100000; ++i) bar.StepIt();
  EXPECT_EQ(bar.GetPosition(), 100000);
  EXPECT_EQ(bar.value(), 100000);
  bar.SetPosition(0);
  EXPECT_EQ(bar.value(), 0);
  bar.SetPosition(50000);
  EXPECT_EQ(bar.GetPosition(), 50000);
  EXPECT_NEAR(bar.value(), 50000, 100);
}

TEST(Names, ChangeFileExtReplacesOnlyTheLastNamesExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/app/sorvelan", "/opt/app/sorvelan.ini"},
      {"/opt/app/sorvelan.exe", "/opt/app/sorvelan.ini"},
      {"/opt/app.d/sorvelan", "/opt/app.d/sorvelan.ini"},
      {"/opt/a.b/c.d.e", "/opt/a.b/c.d.ini"},
      {"sorvelan", "sorvelan.ini"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(ChangeFileExt(path, ".ini"), expected) << path;
}

TEST(Names, HintsSplitAtTheFirstBar) {
  EXPECT_EQ(GetShortHint(QString::fromUtf8("新規|新規ファイルの作成")).toStdString(), "新規");
  EXPECT_EQ(GetLongHint(QString::fromUtf8("新規|新規ファイルの作成")).toStdString(), "新規ファイルの作成");
  EXPECT_EQ(GetShortHint(QString::fromUtf8("やり直しのやり直し")).toStdString(), "やり直しのやり直し");
  EXPECT_EQ(GetLongHint(QString::fromUtf8("やり直しのやり直し")).toStdString(), "やり直しのやり直し");
  EXPECT_EQ(GetLongHint(QString()).toStdString(), "");
}

TEST(FileDialogs, TheAllFilesFilterMatchesNamesWithoutADot) {
  QStringList filters = TFileDialog::QtFilters("すべてのファイル(*.*)|*.*");
  ASSERT_EQ(filters.size(), 1);
  EXPECT_EQ(filters[0].toStdString(), "すべてのファイル(*.*) (*)");
  filters = TFileDialog::QtFilters("Text|*.txt;*.log|All|*.*");
  ASSERT_EQ(filters.size(), 2);
  EXPECT_EQ(filters[0].toStdString(), "Text (*.txt *.log)");
}

TEST(FileDialogs, TheHookAnswersInPlaceOfTheUser) {
  TestApp();
  TFileDialog dlg(nullptr, TFileDialog::Save);
  dlg.FileName = "/tmp/old.txt";
  std::string seen;
  dlg.ExecuteHook = [&](AnsiString& name) {
    seen = name;
    name = "/tmp/new.txt";
    return true;
  };
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(seen, "/tmp/old.txt");  // starts at the last name
  EXPECT_EQ(dlg.FileName, "/tmp/new.txt");
  dlg.ExecuteHook = [](AnsiString&) { return false; };
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(dlg.FileName, "/tmp/new.txt");
}

TEST(FileDialogs, TheFileListSpeaksJapaneseAndShowsEveryColumnWhole) {
  TestApp();
  InstallQtJapanese(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  UseJapaneseLocale();
  TempDir dir;
  // The dialog keeps its column widths in the user's settings: none here.
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir.Path("settings")));
  WriteAll(dir.Path("sample.txt"), std::string(234, 'a'));
  {
    QFile f(QString::fromStdString(dir.Path("sample.txt")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2023, 12, 9), QTime(15, 19, 22)), QFileDevice::FileModificationTime));
  }
  ASSERT_TRUE(QDir().mkdir(QString::fromStdString(dir.Path("sub"))));

  struct Row {
    std::string Name, Size, Type, Date;  // an empty Date is not checked
  };
  const std::vector<Row> expected = {
      {"sample.txt", "234 バイト", "平文テキストドキュメント", "2023/12/09 15:19"},
      {"sub", "", "フォルダー", ""},
  };
  TFileDialog dlg(nullptr, TFileDialog::Open);
  dlg.FileName = dir.Path("sample.txt");
  bool checked = false;
  QTimer::singleShot(0, [&] {
    auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fd, nullptr);
    auto* tree = fd->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(tree, nullptr);
    const QAbstractItemModel* model = tree->model();
    auto text = [&](int row, int col) { return model->index(row, col, tree->rootIndex()).data().toString(); };
    auto rowOf = [&](const std::string& name) {
      for (int r = 0; r < model->rowCount(tree->rootIndex()); ++r)
        if (text(r, 0).toStdString() == name) return r;
      return -1;
    };
    // The folder is read, and the details found, on a thread of the dialog.
    EXPECT_TRUE(PumpUntil([&] {
      for (const Row& e : expected)
        if (rowOf(e.Name) < 0 || text(rowOf(e.Name), 2).isEmpty()) return false;
      return true;
    }));
    PumpUntil([] { return false; }, 100);  // the columns are fitted after the rows came
    for (const Row& e : expected) {
      const int r = rowOf(e.Name);
      ASSERT_GE(r, 0) << e.Name;
      EXPECT_EQ(text(r, 1).toStdString(), e.Size) << e.Name;
      EXPECT_EQ(text(r, 2).toStdString(), e.Type) << e.Name;
      if (!e.Date.empty()) {
        EXPECT_EQ(text(r, 3).toStdString(), e.Date) << e.Name;
      }
    }
    QHeaderView* header = tree->header();
    for (int c = 1; c <= 3; ++c) {
      const int content = static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(c);
      EXPECT_GE(header->sectionSize(c), content) << "column " << c;
      EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << "column " << c;
    }
    // The dialog has grown from its default size until every column shows
    // whole, without scrolling the list sideways.
    for (int c = 0; c <= 3; ++c) {
      EXPECT_GE(header->sectionViewportPosition(c), 0) << "column " << c;
      EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), tree->viewport()->width())
          << "column " << c << " in a dialog " << fd->width() << " wide";
    }
    checked = true;
    fd->reject();
  });
  EXPECT_FALSE(dlg.Execute());
  EXPECT_TRUE(checked);
  QLocale::setDefault(QLocale::c());
}

// The real box: labels, title, default and escape buttons.
struct SeenBox {
  std::string Title;
  std::vector<std::string> Labels;
  std::string Default;
  std::string Escape;
};

TEST(MessageBoxes, JapaneseButtonsWithDefaultAndEscape) {
  TestApp();
  struct Case {
    TMsgDlgType Type;
    const char* Press;
    int Expected;
    const char* Title;
  };
  const Case cases[] = {
      {mtConfirmation, "はい(&Y)", mrYes, "確認"},
      {mtInformation, "いいえ(&N)", mrNo, "情報"},
      {mtConfirmation, "キャンセル", mrCancel, "確認"},
      {mtConfirmation, "", mrCancel, "確認"},  // closed: Cancel
  };
  for (const Case& c : cases) {
    auto seen = std::make_shared<SeenBox>();
    QTimer::singleShot(0, [seen, press = std::string(c.Press)] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen->Title = box->windowTitle().toStdString();
      for (QAbstractButton* b : box->buttons()) seen->Labels.push_back(b->text().toStdString());
      std::sort(seen->Labels.begin(), seen->Labels.end());
      seen->Default = box->defaultButton() ? box->defaultButton()->text().toStdString() : "";
      seen->Escape = box->escapeButton() ? box->escapeButton()->text().toStdString() : "";
      if (press.empty()) {
        box->reject();
        return;
      }
      for (QAbstractButton* b : box->buttons())
        if (b->text().toStdString() == press) b->click();
    });
    int result = MessageDlg(nullptr, QStringLiteral("text"), c.Type, MsgButtons({mbYes, mbNo, mbCancel}));
    EXPECT_EQ(result, c.Expected) << c.Press;
    EXPECT_EQ(seen->Title, c.Title);
    EXPECT_EQ(seen->Labels, (std::vector<std::string>{"いいえ(&N)", "はい(&Y)", "キャンセル"}));
    EXPECT_EQ(seen->Default, "はい(&Y)");
    EXPECT_EQ(seen->Escape, "キャンセル");
  }
}

TEST(MessageBoxes, GuardedCommandShowsTheErrorAndGoesOn) {
  TestApp();
  BoxRecorder boxes;
  bool after = false;
  RunGuarded(nullptr, [] { throw EFOpenError("ファイル /x は開けません"); });
  RunGuarded(nullptr, [] { throw std::runtime_error("plain"); });
  RunGuarded(nullptr, [&] { after = true; });
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[0].Text, "ファイル /x は開けません");
  EXPECT_EQ(boxes.Boxes[0].Title, "Sorvelan");
  EXPECT_EQ(boxes.Boxes[1].Text, "plain");
  EXPECT_TRUE(after);
}

TEST(MessageBoxes, ACommandAndAPaneEventShowTheSameTextForTheSameError) {
  TestApp();
  InitControls();
  BoxRecorder boxes;
  Application->OnException = ShowPaneException;
  TForm pane(nullptr);
  struct Case {
    const char* what;
    std::function<void()> raise;
    const char* text;
  } cases[] = {
      {"library error", [] { throw EReadError("ストリームの読み込みエラー"); }, "ストリームの読み込みエラー"},
      {"memory", [] { throw std::bad_alloc(); }, "メモリが不足しています"},
      {"other", [] { throw std::runtime_error("plain"); }, "plain"},
  };
  for (const Case& c : cases) {
    boxes.Boxes.clear();
    RunGuarded(nullptr, c.raise);
    // An event of a pane: its error reaches the application's handler.
    try {
      c.raise();
    } catch (...) {
      Application->HandleException(&pane);
    }
    ASSERT_EQ(boxes.Boxes.size(), 2u) << c.what;
    EXPECT_EQ(boxes.Boxes[0].Text, c.text) << c.what;
    EXPECT_EQ(boxes.Boxes[1].Text, c.text) << c.what;
    EXPECT_EQ(boxes.Boxes[1].Type, mtError) << c.what;
  }
  Application->OnException = nullptr;
}

TEST(HourGlass, TheCursorComesBackOnEveryExitErrorsIncluded) {
  TestApp();
  BoxRecorder boxes;
  InitControls();
  ASSERT_EQ(Screen->GetCursor(), crDefault);
  RunGuarded(nullptr, [] {
    THourGlass outer;
    EXPECT_EQ(Screen->GetCursor(), crHourGlass);
    {
      THourGlass inner;
    }
    EXPECT_EQ(Screen->GetCursor(), crHourGlass);
    throw EReadError("x");
  });
  EXPECT_EQ(Screen->GetCursor(), crDefault);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
