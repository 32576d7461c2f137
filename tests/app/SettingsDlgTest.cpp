#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "app/Commands.h"
#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "tests/app/BoxRecorder.h"
#include "tests/common/AsUser.h"
#include "tests/common/IoFaults.h"
#include "tests/common/TempFiles.h"
#include "tests/common/TestApp.h"

namespace {

const char* const kAllKeysWritten =
    "[Setting]\n"
    "Furi1=%d\nFuri2=%d\nHira=%d\nKata=%d\nHankaku=%d\nZenkaku=%d\nUpper=%d\nLower=%d\n"
    "Roma=%d\nRoma2=%d\nRoma3=%d\n"
    "Oh=%d\nWo=%d\nOo=%d\nWoSp=%d\nNbmp=%d\nVa=%d\nWi=%d\nQu=%d\n";

std::string Expected(const std::vector<int>& bits) {
  char buf[512];
  std::snprintf(buf, sizeof buf, kAllKeysWritten, bits[0], bits[1], bits[2], bits[3], bits[4], bits[5],
                bits[6], bits[7], bits[8], bits[9], bits[10], bits[11], bits[12], bits[13], bits[14],
                bits[15], bits[16], bits[17], bits[18]);
  return buf;
}

std::vector<int> Ticks(TOKBottomDlg& dlg) {
  std::vector<int> t;
  for (int i = 0; i < TOKBottomDlg::kItemCount; ++i) t.push_back(dlg.Checked(i) ? 1 : 0);
  for (QCheckBox* b : {dlg.CheckBox1, dlg.CheckBox2, dlg.CheckBox3, dlg.CheckBox4, dlg.CheckBox5,
                       dlg.CheckBox6, dlg.CheckBox7, dlg.CheckBox8})
    t.push_back(b->isChecked() ? 1 : 0);
  return t;
}

class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
  TempDir dir;
  std::string ini = dir.Path("sorvelan.ini");
};

TEST_F(SettingsDialog, FirstRunShowsOnlyTheKanjiReadingTickedAndCreatesNoFile) {
  TOKBottomDlg dlg(nullptr, ini);
  EXPECT_EQ(Ticks(dlg), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(SettingsDialog, ControlsCarryTheFormsCaptionsAndNames) {
  TOKBottomDlg dlg(nullptr, ini);
  EXPECT_EQ(dlg.windowTitle().toStdString(), "変換設定");
  EXPECT_EQ(dlg.GroupBox1->title().toStdString(), "ローマ字設定(ヘボン式)");
  EXPECT_EQ(dlg.OKBtn->text().toStdString(), "OK");
  EXPECT_EQ(dlg.CancelBtn->text().toStdString(), "キャンセル");
  EXPECT_TRUE(dlg.OKBtn->isDefault());

  // The check list, by the index the settings sequence reads, names the
  // conversions as the convert menu does.
  std::vector<std::string> conversions;
  for (const TPlaceDef& place : CommandPlaces().ConvertMenu) {
    if (!place.Action || place.Action == &TForm1::ConvertSetting) continue;
    const TCommandDef& def = *FindCommandDef(place.Action);
    conversions.push_back(def.ItemCaption ? def.ItemCaption : def.Caption);
  }
  std::vector<std::string> items;
  for (int i = 0; i < dlg.CheckListBox1->count(); ++i) items.push_back(dlg.CheckListBox1->item(i)->text().toStdString());
  EXPECT_EQ(items, conversions);
  ASSERT_EQ(items.size(), static_cast<size_t>(cvConversionCount));
  EXPECT_EQ(items[cvFurigana2], "ふりがなに変換(行全体)");
  EXPECT_EQ(items[cvRoma3], "ローマ字に変換(日本式)");

  // The Hepburn option boxes: name, caption, top in the group box. On screen
  // CheckBox3 stands above CheckBox2.
  struct Box {
    QCheckBox* Control;
    const char* Name;
    const char* Caption;
    int Top;
  };
  const Box boxes[] = {
      {dlg.CheckBox1, "CheckBox1", "長音表記にOHを使う", 16},
      {dlg.CheckBox3, "CheckBox3", "母音を繋げて１文字にしない", 40},
      {dlg.CheckBox2, "CheckBox2", "「を」を「WO」で表す", 64},
      {dlg.CheckBox4, "CheckBox4", "「を」の前後に空白をいれる", 88},
      {dlg.CheckBox5, "CheckBox5", "b,m,pの前のnはそのまま", 112},
      {dlg.CheckBox6, "CheckBox6", "「ヴァ～ヴォ」を「VA～VO」で表す", 136},
      {dlg.CheckBox7, "CheckBox7", "「ウァ～ウォ」を「WA～WO」で表す", 160},
      {dlg.CheckBox8, "CheckBox8", "「ン」の後が母音のとき「'」を使う", 184},
  };
  for (const Box& b : boxes) {
    SCOPED_TRACE(b.Name);
    EXPECT_EQ(dlg.findChild<QCheckBox*>(b.Name), b.Control);
    EXPECT_EQ(b.Control->text().toStdString(), b.Caption);
    EXPECT_EQ(b.Control->y(), b.Top);
  }
}

TEST_F(SettingsDialog, EnterPressesTheFocusedButtonElseOk) {
  // Enter on the check list is OK: the ticks are written.
  {
    TOKBottomDlg dlg(nullptr, ini);
    dlg.show();
    dlg.SetChecked(cvHiragana, true);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg.CheckListBox1, &enter);
    EXPECT_EQ(dlg.result(), mrOk);
    EXPECT_EQ(ReadAll(ini), Expected({1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
  // Enter on the focused cancel button cancels: nothing written, the file's
  // values come back.
  {
    TOKBottomDlg dlg(nullptr, ini);
    dlg.show();
    dlg.SetChecked(cvZenkaku, true);
    dlg.CancelBtn->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg.CancelBtn, &enter);
    EXPECT_EQ(dlg.result(), mrCancel);
    EXPECT_FALSE(dlg.Checked(cvZenkaku));
    EXPECT_EQ(ReadAll(ini), Expected({1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
}

TEST_F(SettingsDialog, ReadsEachKeyWithItsDefault) {
  WriteAll(ini,
           "[Setting]\nFuri1=nonsense\nFuri2=0x10\nHira=2\nKata=\nRoma3=$1\n"
           "Oh=1\nWo=0\nOo=0X1\nQu=-1\n");
  TOKBottomDlg dlg(nullptr, ini);
  // Furi1 falls back to its default (ticked); the empty Kata to not ticked.
  EXPECT_EQ(Ticks(dlg), (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0, 0, 0, 0, 1}));
}

TEST_F(SettingsDialog, OkWritesAllNineteenKeysEvenUnchanged) {
  BoxRecorder boxes;
  TOKBottomDlg dlg(nullptr, ini);
  dlg.OKBtn->click();
  EXPECT_EQ(ReadAll(ini), Expected({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(dlg.result(), mrOk);

  dlg.SetChecked(cvFurigana1, false);
  dlg.SetChecked(cvRoma2, true);
  dlg.CheckBox2->setChecked(true);
  dlg.CheckBox8->setChecked(true);
  dlg.OKBtn->click();
  EXPECT_EQ(ReadAll(ini), Expected({0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1}));
  EXPECT_TRUE(boxes.Boxes.empty());

  TOKBottomDlg again(nullptr, ini);
  EXPECT_EQ(Ticks(again), Ticks(dlg));
}

TEST_F(SettingsDialog, CancelAndEscLoadTheFileBack) {
  WriteAll(ini, "[Setting]\nFuri1=0\nHira=1\nWoSp=1\n");
  TOKBottomDlg dlg(nullptr, ini);
  const auto fromFile = Ticks(dlg);
  dlg.SetChecked(cvHiragana, false);
  dlg.SetChecked(cvZenkaku, true);
  dlg.CheckBox4->setChecked(false);
  dlg.CancelBtn->click();
  EXPECT_EQ(Ticks(dlg), fromFile);
  EXPECT_EQ(dlg.result(), mrCancel);

  dlg.SetChecked(cvLowercase, true);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&dlg, &esc);
  EXPECT_EQ(Ticks(dlg), fromFile);
}

TEST_F(SettingsDialog, CancelWithoutAFileGoesBackToTheDefaults) {
  TOKBottomDlg dlg(nullptr, ini);
  dlg.SetChecked(cvFurigana1, false);
  dlg.SetChecked(cvKatakana, true);
  dlg.CancelBtn->click();
  EXPECT_EQ(Ticks(dlg), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(SettingsDialog, CloseBoxKeepsTheTicksForThisRunWithoutWriting) {
  TOKBottomDlg dlg(nullptr, ini);
  dlg.show();
  dlg.SetChecked(cvHiragana, true);
  dlg.close();  // the title bar's close box
  EXPECT_TRUE(dlg.Checked(cvHiragana));
  EXPECT_FALSE(std::filesystem::exists(ini));
  TOKBottomDlg restarted(nullptr, ini);
  EXPECT_FALSE(restarted.Checked(cvHiragana));
}

// A failed OK still closes the dialog, and its error box says what the file
// holds: all nineteen keys (written, the disk's word missing) or none.
TEST_F(SettingsDialog, AFailedOkSaysWhetherTheFileHoldsAllKeysOrNoneAndStillCloses) {
  const std::vector<int> ticks = {0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  struct Case {
    const char* name;
    std::function<void()> fault;
    std::string box;
    bool written;
  };
  const Case cases[] = {
      {"a folder where the file should be", [&] { ASSERT_EQ(::mkdir(ini.c_str(), 0755), 0); },
       ini + " に書き込めません", false},
      {"the folder's flush fails", [&] { iofaults::FailSyncs(dir.Root()); },
       ini + " に書き込みましたが、ディスクへの書き込みを確認できません", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(ini);
    BoxRecorder boxes;
    TOKBottomDlg dlg(nullptr, ini);
    dlg.show();
    for (int i = 0; i < TOKBottomDlg::kItemCount; ++i) dlg.SetChecked(i, ticks[i]);
    dlg.CheckBox8->setChecked(true);
    {
      iofaults::Scope faults;
      c.fault();
      dlg.OKBtn->click();
    }
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, c.box);
    EXPECT_EQ(boxes.Boxes[0].Type, mtError);
    EXPECT_FALSE(dlg.isVisible());
    if (c.written) {
      EXPECT_EQ(ReadAll(ini), Expected(ticks));
      TOKBottomDlg nextStart(nullptr, ini);
      EXPECT_EQ(Ticks(nextStart), ticks);
    } else {
      EXPECT_TRUE(std::filesystem::is_directory(ini));
    }
  }
}

// OK as an ordinary user (root may write any file): the settings file's own
// permission decides, not its folder's. A read-only file is refused and
// stays as it was; a writable one in a folder the user cannot write (a
// program folder of root's) is written.
TEST_F(SettingsDialog, OkWritesWhatTheFileItselfAllows) {
  ::chmod(dir.Root().c_str(), 0755);
  struct Case {
    const char* name;
    uid_t folderOwner;
    mode_t fileMode;
    std::string box;  // "" when written
  };
  const std::vector<Case> cases = {
      {"read-only file in the user's folder", asuser::kUser, 0444, "に書き込めません"},
      {"writable file in root's program folder", 0, 0644, ""},
  };
  const std::string old = "; sorvelan\n";
  for (const Case& c : cases) {
    const std::string folder = dir.Path(c.name);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, c.folderOwner), 0);
    const std::string path = folder + "/sorvelan.ini";
    WriteAll(path, old);
    ASSERT_EQ(::chown(path.c_str(), asuser::kUser, asuser::kUserGroup), 0);
    ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
    TOKBottomDlg dlg(nullptr, path);
    dlg.show();
    const asuser::Result r = asuser::Run([&] {
      BoxRecorder boxes;
      dlg.OKBtn->click();
      std::string seen;
      for (const auto& b : boxes.Boxes) seen += b.Text;
      return seen;
    });
    if (!r.Skipped.empty()) GTEST_SKIP() << r.Skipped;
    EXPECT_EQ(r.Failure, "") << c.name;
    EXPECT_EQ(r.Output, c.box.empty() ? "" : path + " " + c.box) << c.name;
    EXPECT_EQ(ReadAll(path),
              c.box.empty() ? old + "\n" + Expected({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) : old)
        << c.name;
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.fileMode) << c.name;
    EXPECT_EQ(st.st_uid, asuser::kUser) << c.name;
    EXPECT_EQ(std::filesystem::directory_iterator(folder)->path(), path) << c.name;  // nothing beside it
  }
}

}  // namespace

namespace {

TEST(SettingsDialogLook, TheCaptionSitsOnTheFrameLineAndTheBoxesClearIt) {
  TestApp();
  TempDir dir;
  TOKBottomDlg dlg(nullptr, dir.Path("sorvelan.ini"));
  QGroupBox* group = dlg.GroupBox1;
  const QImage img = group->grab().toImage();
  ASSERT_FALSE(img.isNull());

  // The frame's top line, right of the caption: the first row that differs
  // from the background above it.
  const int x = img.width() - 12;
  const QRgb background = img.pixel(x, 0);
  int line = -1;
  for (int y = 1; y < img.height() && line < 0; ++y)
    if (img.pixel(x, y) != background) line = y;
  ASSERT_GE(line, 0);

  // The caption's ink, left of that column and above the first box: it
  // runs across the line.
  int firstBox = img.height();
  for (QCheckBox* b : group->findChildren<QCheckBox*>()) firstBox = std::min(firstBox, b->geometry().top());
  int inkTop = img.height(), inkBottom = -1;
  for (int y = 0; y < firstBox; ++y)
    for (int cx = 4; cx < x - 20; ++cx)
      if (qGray(img.pixel(cx, y)) < 90) {
        inkTop = std::min(inkTop, y);
        inkBottom = std::max(inkBottom, y);
      }
  ASSERT_GE(inkBottom, 0) << "no caption drawn";
  EXPECT_LT(inkTop, line);
  EXPECT_GT(inkBottom, line);

  // Every option box lies below the line with room to spare, inside the frame.
  for (QCheckBox* b : group->findChildren<QCheckBox*>()) {
    EXPECT_GE(b->geometry().top(), line + 4) << b->objectName().toStdString();
    EXPECT_LT(b->geometry().bottom(), group->height() - 2) << b->objectName().toStdString();
  }
}

}  // namespace
