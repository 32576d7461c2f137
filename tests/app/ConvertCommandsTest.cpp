#include <QCheckBox>

#include "engine/ImeReader.h"
#include "tests/app/FormFixture.h"
#include "tests/common/ScopedValue.h"

namespace {

using ConvertCommands = FormFixture;

// Rows in UTF-8 literals, turned into code page 932.
std::vector<std::string> JRows(std::initializer_list<const char*> rows) {
  std::vector<std::string> out;
  for (const char* r : rows) out.push_back(Sjis(r));
  return out;
}

// Undo steps needed to bring the edit pane back to `before` (-1: never).
int UndoStepsBack(TAFEdit* pane, const std::vector<std::string>& before, int most = 20) {
  for (int n = 1; n <= most; ++n) {
    pane->Undo();
    if (FormFixture::Rows(pane) == before) return n;
  }
  return -1;
}

struct RowCase {
  QAction* TForm1::*Command;
  std::vector<std::string> Before;
  std::vector<std::string> After;
  int Changed;  // rows replaced = undo steps back
};

TEST_F(ConvertCommands, EachRowCommandConvertsRowsAndSkipsEmptyAndLoneCrRows) {
  const RowCase cases[] = {
      {&TForm1::ConvertHiragana1, JRows({"カタカナ\r", "", "\r", "ABC"}), JRows({"かたかな\r", "", "\r", "ABC"}), 2},
      {&TForm1::ConvertKatakana1, JRows({"ひらがな\r", "漢字"}), JRows({"ヒラガナ\r", "漢字"}), 2},
      {&TForm1::ConvertHankaku1, JRows({"ガＡ\r"}), JRows({"ｶﾞA\r"}), 1},
      {&TForm1::ConvertZenkaku1, JRows({"ｶﾞA\r", "\r"}), JRows({"ガＡ\r", "\r"}), 1},
      {&TForm1::ConvertUppercase1, JRows({"abc\r", "x"}), JRows({"ABC\r", "X"}), 2},
      {&TForm1::ConvertLowercase1, JRows({"ABC\r"}), JRows({"abc\r"}), 1},
      {&TForm1::ConvertRoma1, JRows({"ちぢむ\r", "しんぶん"}), JRows({"chijimu\r", "shimbun"}), 2},
      {&TForm1::ConvertRoma2, JRows({"ちぢむ\r"}), JRows({"tizimu\r"}), 1},
      {&TForm1::ConvertRoma3, JRows({"ちぢむ\r"}), JRows({"tidimu\r"}), 1},
  };
  for (const RowCase& c : cases) {
    SCOPED_TRACE((form.get()->*c.Command)->objectName().toStdString());
    SetRows(form->AFEdit2, c.Before);
    SetRows(form->AFEdit1, c.Before);
    (form.get()->*c.Command)->trigger();
    EXPECT_EQ(Rows(form->AFEdit2), c.After);
    EXPECT_EQ(Rows(form->AFEdit1), c.Before);  // the reference pane is never touched
    EXPECT_EQ(form->ProgressBar1->GetMax(), static_cast<int>(c.Before.size()));
    EXPECT_EQ(form->ProgressBar1->GetPosition(), static_cast<int>(c.Before.size()));
    EXPECT_EQ(UndoStepsBack(form->AFEdit2, c.Before), c.Changed);
  }
}

TEST_F(ConvertCommands, HepburnTakesItsOptionsFromTheSettingsDialog) {
  SetRows(form->AFEdit2, JRows({"しんぶん\r", "こう"}));
  settings->CheckBox5->setChecked(true);  // n before b, m, p stays
  settings->CheckBox1->setChecked(true);  // long o as "oh"
  form->ConvertRoma1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), JRows({"shinbun\r", "koh"}));
}

TEST_F(ConvertCommands, OptionBitsFollowTheCheckBoxes) {
  QCheckBox* boxes[] = {settings->CheckBox1, settings->CheckBox2, settings->CheckBox3, settings->CheckBox4,
                        settings->CheckBox5, settings->CheckBox6, settings->CheckBox7, settings->CheckBox8};
  const HepburnOptions bits[] = {HepburnOh, HepburnWo, HepburnOo, HepburnWoSp,
                                 HepburnNbmp, HepburnVa, HepburnWi, HepburnQu};
  EXPECT_EQ(TForm1::SettingsHepburnOptions(*settings), 0);
  for (int i = 0; i < 8; ++i) {
    boxes[i]->setChecked(true);
    EXPECT_EQ(TForm1::SettingsHepburnOptions(*settings), bits[i]) << "CheckBox" << i + 1;
    boxes[i]->setChecked(false);
  }
  for (QCheckBox* b : boxes) b->setChecked(true);
  EXPECT_EQ(TForm1::SettingsHepburnOptions(*settings), 0xFF);
}

TEST_F(ConvertCommands, MappingFlagsTakeTheFirstTickOfEachPair) {
  struct Case {
    std::vector<TConversion> Ticked;
    int Flags;
  };
  const Case cases[] = {
      {{}, 0},
      {{cvHiragana}, 0x00100000},
      {{cvHiragana, cvKatakana}, 0x00100000},
      {{cvKatakana}, 0x00200000},
      {{cvKatakana, cvHankaku}, 0x00600000},
      {{cvHiragana, cvHankaku}, 0x00700000},
      {{cvZenkaku}, 0x00800000},
      {{cvHankaku, cvZenkaku}, 0x00600000},
      {{cvUppercase, cvLowercase}, 0x00000200},
      {{cvLowercase}, 0x00000100},
      {{cvHiragana, cvZenkaku, cvLowercase}, 0x00900100},
      {{cvFurigana1, cvFurigana2, cvRoma1, cvRoma2, cvRoma3}, 0},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < TOKBottomDlg::kItemCount; ++i) settings->SetChecked(i, false);
    for (TConversion i : c.Ticked) settings->SetChecked(i, true);
    EXPECT_EQ(TForm1::SettingsMapFlags(*settings), c.Flags) << ::testing::PrintToString(c.Ticked);
  }
}

void TickOnly(TOKBottomDlg& dlg, std::initializer_list<TConversion> items) {
  for (int i = 0; i < TOKBottomDlg::kItemCount; ++i) dlg.SetChecked(i, false);
  for (TConversion i : items) dlg.SetChecked(i, true);
}

TEST_F(ConvertCommands, SettingsSequenceRunsItsStepsInOrder) {
  struct Case {
    std::initializer_list<TConversion> Ticked;
    std::vector<std::string> Before;
    std::vector<std::string> After;
  };
  const Case cases[] = {
      // Kana then width in one mapping: half-width katakana.
      {{cvKatakana, cvHankaku}, JRows({"ひらがな\r"}), JRows({"ﾋﾗｶﾞﾅ\r"})},
      // Hiragana and full width together.
      {{cvHiragana, cvZenkaku}, JRows({"ｶﾞｷﾞ\r"}), JRows({"がぎ\r"})},
      // Upper case wins over lower case.
      {{cvUppercase, cvLowercase}, JRows({"abC\r"}), JRows({"ABC\r"})},
      // Hepburn, then Kunrei and Nihon on its result.
      {{cvRoma1, cvRoma2, cvRoma3}, JRows({"ちぢむ\r"}), JRows({"chijimu\r"})},
      // Mapping before romanising.
      {{cvKatakana, cvRoma1}, JRows({"ひらがな"}), JRows({"hiragana"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<TConversion>(c.Ticked)));
    TickOnly(*settings, c.Ticked);
    SetRows(form->AFEdit2, c.Before);
    form->ConvertSetting->trigger();
    EXPECT_EQ(Rows(form->AFEdit2), c.After);
  }
}

TEST_F(ConvertCommands, SettingsSequenceWithNothingTickedDoesNothing) {
  TickOnly(*settings, {});
  SetRows(form->AFEdit2, JRows({"かな\r"}));
  form->ProgressBar1->SetPosition(42);
  form->AFEdit2->SetEdited(false);
  form->ConvertSetting->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), JRows({"かな\r"}));
  EXPECT_FALSE(form->AFEdit2->isEdited());
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 42);
}

TEST_F(ConvertCommands, SettingsMappingRecordsALoneCrRowButSkipsEmptyOnes) {
  TickOnly(*settings, {cvHiragana});
  SetRows(form->AFEdit2, {"\r", ""});
  form->AFEdit2->SetEdited(false);
  form->ConvertSetting->trigger();
  EXPECT_TRUE(form->AFEdit2->isEdited());  // the CR row was set again
  EXPECT_EQ(Rows(form->AFEdit2), (std::vector<std::string>{"\r", ""}));

  // The row pass leaves both alone.
  form->AFEdit2->SetEdited(false);
  form->ConvertHiragana1->trigger();
  EXPECT_FALSE(form->AFEdit2->isEdited());
}

TEST_F(ConvertCommands, ARefusedMappingKeepsTheRow) {
  // Hiragana together with half-width katakana is refused by the mapping.
  TickOnly(*settings, {cvHiragana, cvHankaku});
  const auto rows = JRows({"カナ\r", "abc"});
  SetRows(form->AFEdit2, rows);
  form->ConvertSetting->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), rows);
}

TEST_F(ConvertCommands, RowsWithNulBytesKeepEveryByte) {
  SetRows(form->AFEdit2, {std::string("ab\0cd\r", 6)});
  form->ConvertUppercase1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), std::vector<std::string>{std::string("AB\0CD\r", 6)});
}

TEST_F(ConvertCommands, ReadingCommandsReplaceKanjiThroughTheDictionary) {
  SetRows(form->AFEdit2, JRows({"漢字を読む\r", "", "\r", "かな"}));
  form->ConvertFurigana1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), JRows({"かんじをよむ\r", "", "\r", "かな"}));
  // Both passes step the bar: it has started over once.
  EXPECT_EQ(form->ProgressBar1->GetMax(), 4);
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 4);

  SetRows(form->AFEdit2, JRows({"東京へ行く\r"}));
  form->ConvertFurigana2->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), JRows({"とうきょうへいく\r"}));
}

TEST_F(ConvertCommands, MissingReaderIsReportedAndNothingChanges) {
  const ScopedValue noReader(ImeReaderCreateLookup, [] { return static_cast<reading::ReadingLookup*>(nullptr); });
  BoxRecorder boxes;

  const auto rows = JRows({"漢字\r", "かな"});
  SetRows(form->AFEdit2, rows);
  form->AFEdit2->SetEdited(false);
  form->ConvertFurigana1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "変換にはMS-IME98 (以降) が必要となります");
  EXPECT_EQ(Rows(form->AFEdit2), rows);
  EXPECT_FALSE(form->AFEdit2->isEdited());

  // In the settings sequence the later steps still run.
  TickOnly(*settings, {cvFurigana1, cvKatakana});
  form->ConvertSetting->trigger();
  EXPECT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(Rows(form->AFEdit2), JRows({"漢字\r", "カナ"}));

  // With nothing to read, no reader is opened and nothing is said.
  SetRows(form->AFEdit2, {"", "\r"});
  form->ConvertFurigana2->trigger();
  EXPECT_EQ(boxes.Boxes.size(), 2u);
}

}  // namespace
