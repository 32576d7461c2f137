// The clipboard and edit commands of the main window, end to end through
// their actions, the edit pane and the system clipboard.
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStatusBar>
#include <functional>

#include "platform/qt/Clipboard.h"
#include "platform/qt/Controls.h"
#include "tests/app/FormFixture.h"

namespace {

using RowList = std::vector<std::string>;

class ClipboardCommands : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    QGuiApplication::clipboard()->clear();
  }
  static std::string PlainUtf8() { return QGuiApplication::clipboard()->text().toStdString(); }
  static void PutForeignText(const std::string& utf8) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(utf8));
  }
  TSelArea* Sel() const { return form->AFEdit2->FSelArea; }
};

TEST_F(ClipboardCommands, SaveToClipboardCopiesTheWholeEditPane) {
  SetRows(form->AFEdit2, {"a\r", "b\r", ""});
  // The user's selections: a point selection inside row 1, rows 0 to 1.
  Sel()->PutStartRow(0);
  Sel()->PutEndRow(1);
  Sel()->PutStartPoint(TPoint(1, 1));
  Sel()->PutEndPoint(TPoint(0, 1));

  form->ClipboardSave1->trigger();
  EXPECT_EQ(Clipboard()->GetAsText(), "a\r\nb\r\n");
  EXPECT_EQ(Title(), "Sorvelan -  -> (Clipboard)");
  EXPECT_EQ(Sel()->FStartPoint, TPoint(1, 1));
  EXPECT_EQ(Sel()->FEndPoint, TPoint(0, 1));
  EXPECT_EQ(Sel()->FStartRow, 0);
  EXPECT_EQ(Sel()->FEndRow, 1);
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(ClipboardCommands, SaveToClipboardNamesTheInputFile) {
  const std::string name = dir.Path("in.txt");
  OpenFile(name, "x\r\ny");
  form->ClipboardSave1->trigger();
  EXPECT_EQ(Clipboard()->GetAsText(), "x\r\ny");
  EXPECT_EQ(Title(), "Sorvelan - " + name + " -> (Clipboard)");
  EXPECT_FALSE(Sel()->isRowAble());
}

TEST_F(ClipboardCommands, NewFromClipboardFillsBothPanes) {
  InputFileName = "kept.txt";
  OutputFileName = "out.txt";
  PutForeignText("\xE6\xBC\xA2\xE5\xAD\x97\nb");  // "漢字" LF b, from another program
  form->ProgressBar1->SetPosition(7);
  form->ClipboardOpen1->trigger();
  const RowList expected = {Sjis("漢字") + "\r", "b"};
  EXPECT_EQ(Rows(form->AFEdit1), expected);
  EXPECT_EQ(Rows(form->AFEdit2), expected);
  EXPECT_EQ(Title(), "Sorvelan - (Clipboard) ->out.txt");
  EXPECT_EQ(InputFileName, "kept.txt");
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 0);
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(ClipboardCommands, NewFromClipboardAsksBeforeReplacingEdits) {
  SetRows(form->AFEdit2, {"mine\r", ""});
  ASSERT_TRUE(form->AFEdit2->isEdited());
  PutForeignText("other");
  BoxRecorder boxes;
  boxes.Answers = {mrCancel};
  form->ClipboardOpen1->trigger();
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "編集中のテキストを保存しますか");
  EXPECT_EQ(Rows(form->AFEdit2), (RowList{"mine\r", ""}));

  boxes.Answers = {mrNo};
  form->ClipboardOpen1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), (RowList{"other"}));
}

TEST_F(ClipboardCommands, RoundTripThroughPlainUtf8Text) {
  SetRows(form->AFEdit2, {Sjis("漢字") + "\r", "x\ty\r", ""});
  form->ClipboardSave1->trigger();
  // Other programs see UTF-8 text.
  EXPECT_EQ(PlainUtf8(), "\xE6\xBC\xA2\xE5\xAD\x97\r\nx\ty\r\n");

  // Another program copies that text back: the reference pane takes it as
  // plain text, the edit pane recognises its own row copy.
  PutForeignText(PlainUtf8());
  form->AFEdit2->SetEdited(false);
  form->ClipboardOpen1->trigger();
  const RowList expected = {Sjis("漢字") + "\r", "x\ty\r", ""};
  EXPECT_EQ(Rows(form->AFEdit1), expected);
  EXPECT_EQ(Rows(form->AFEdit2), expected);
}

TEST_F(ClipboardCommands, EditCommandsActOnTheEditPane) {
  SetRows(form->AFEdit2, {"abcdef\r", ""});
  SetRows(form->AFEdit1, {"reference\r", ""});
  form->AFEdit1->SetFocus();

  Sel()->PutStartPoint(TPoint(1, 0));
  Sel()->PutEndPoint(TPoint(3, 0));
  form->EditCopy1->trigger();
  EXPECT_EQ(Clipboard()->GetAsText(), "bc");

  form->EditCut1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), (RowList{"adef\r", ""}));

  form->EditPaste1->trigger();  // at the caret, where the cut text was
  EXPECT_EQ(Rows(form->AFEdit2), (RowList{"abcdef\r", ""}));

  Sel()->PutStartPoint(TPoint(0, 0));
  Sel()->PutEndPoint(TPoint(2, 0));
  form->EditDel1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), (RowList{"cdef\r", ""}));

  form->EditSelectAll1->trigger();
  EXPECT_EQ(Sel()->GetStartRow(), 0);
  EXPECT_EQ(Sel()->GetEndRow(), 1);
  form->EditCopy1->trigger();
  EXPECT_EQ(Clipboard()->GetAsText(), "cdef\r\n");
  form->EditDel1->trigger();
  EXPECT_EQ(Rows(form->AFEdit2), (RowList{""}));

  EXPECT_EQ(Rows(form->AFEdit1), (RowList{"reference\r", ""}));
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(ClipboardCommands, WhatTheClipboardTextLosesIsToldOnceTheTextIsIn) {
  struct Command {
    const char* name;
    std::function<void()> run;
  };
  QWidget* pane = form->AFEdit2->GetWidget();
  const std::vector<Command> commands = {
      {"new from clipboard", [&] { form->ClipboardOpen1->trigger(); }},
      {"paste", [&] { form->EditPaste1->trigger(); }},
      {"Ctrl+V in the pane",
       [&] {
         QKeyEvent key(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
         QApplication::sendEvent(pane, &key);
       }},
      {"Shift+Insert in the pane",
       [&] {
         QKeyEvent key(QEvent::KeyPress, Qt::Key_Insert, Qt::ShiftModifier);
         QApplication::sendEvent(pane, &key);
       }},
  };
  const std::string replaced = "コードページ 932 (Shift-JIS) にないため「?」になりました";
  struct Text {
    const char* name;
    std::string utf8;
    std::string row;   // the edit pane's first row once the text is in
    std::string told;  // empty: no box
  };
  const std::vector<Text> texts = {
      {"emoji", "emoji😀end", "emoji?end", "クリップボードのテキストの 1 文字は" + replaced},
      {"Latin and Korean", "café Straße 한", "caf? Stra?e ?", "クリップボードのテキストの 3 文字は" + replaced},
      {"NUL", std::string("ab\0cd", 5), "ab",
       "クリップボードの 2 バイト目より後のテキストは取り込まれていません (NUL 文字があります)"},
      {"NUL first", std::string("\0ab", 3), "", "クリップボードのテキストは取り込まれていません (先頭が NUL 文字です)"},
      {"both", std::string("😀\0x", 6), "?",
       "クリップボードのテキストの 1 文字は" + replaced +
           "\nクリップボードの 1 バイト目より後のテキストは取り込まれていません (NUL 文字があります)"},
      {"best-fit forms only", "〜−", Sjis("〜−"), ""},
  };
  std::vector<std::string> told, rowsAtBox;
  MessageBoxHook = [&](const TMessageBoxRequest& r) {
    told.push_back(r.Text.toStdString());
    rowsAtBox.push_back(form->AFEdit2->GetLine(0));
    return mrOk;
  };
  for (const Command& c : commands)
    for (const Text& t : texts) {
      const std::string name = std::string(c.name) + ", " + t.name;
      form->AFEdit2->Clear();
      form->AFEdit2->SetEdited(false);
      told.clear();
      rowsAtBox.clear();
      PutForeignText(t.utf8);
      c.run();
      EXPECT_EQ(form->AFEdit2->GetLine(0), t.row) << name;
      if (t.told.empty()) {
        EXPECT_TRUE(told.empty()) << name;
        continue;
      }
      ASSERT_EQ(told.size(), 1u) << name;
      EXPECT_EQ(told[0], t.told) << name;
      EXPECT_EQ(rowsAtBox[0], t.row) << name;
    }
  MessageBoxHook = nullptr;
  EXPECT_EQ(Screen->GetCursor(), crDefault);
}

TEST_F(ClipboardCommands, InputMethodCharactersCodePage932LacksAreLeftOutAndTheStatusLineSaysWhy) {
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("a😀b"));
  QApplication::sendEvent(form->AFEdit2->GetWidget(), &commit);
  EXPECT_EQ(form->AFEdit2->GetLine(0), "ab");
  EXPECT_EQ(form->StatusBar1->currentMessage().toStdString(),
            "「😀」はコードページ 932 (Shift-JIS) にない文字のため入力されませんでした");
}

}  // namespace
