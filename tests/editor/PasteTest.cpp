// Paste of clipboard text and of the private row copy, quoted rows.
#include <stdexcept>

#include "platform/qt/Caret.h"
#include "tests/editor/ClipEditFixture.h"

namespace {

using RowList = std::vector<std::string>;

class PasteTest : public ClipEditTest {};

TEST_F(PasteTest, PlainTextGoesInAtTheCaret) {
  struct Case {
    const char* name;
    RowList rows;
    TPoint caret;
    std::string clip;  // UTF-8, as another program offers it
    RowList after;
    TPoint caretAfter;
  };
  const std::vector<Case> cases = {
      {"one line", {"abcd\r", ""}, {2, 0}, "xy", {"abxycd\r", ""}, {4, 0}},
      {"three lines", {"abcd\r", ""}, {2, 0}, "x\r\ny\r\nz", {"abx\r", "y\r", "zcd\r", ""}, {1, 2}},
      {"LF line ends", {"abcd\r", ""}, {2, 0}, "x\ny\nz", {"abx\r", "y\r", "zcd\r", ""}, {1, 2}},
      {"final line break", {"ab\r", ""}, {0, 1}, "x\r\ny\r\n", {"ab\r", "x\r", "y\r", ""}, {0, 3}},
      {"into an empty pane", {""}, {0, 0}, "x\r\n", {"x\r", ""}, {0, 1}},
      {"kana from UTF-8", {""}, {0, 0}, "\xE3\x81\x82\n", {"\x82\xA0\r", ""}, {0, 1}},
      {"control bytes dropped", {""}, {0, 0}, "a\x01" "b\n\x02m\x03\nz", {"ab\r", "m\r", "z"}, {1, 2}},
  };
  for (const Case& c : cases) {
    SetRows(c.rows);
    edit->FCaret = c.caret;
    PutForeignText(c.clip);
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(Rows(), c.after) << c.name;
    EXPECT_EQ(edit->FCaret, c.caretAfter) << c.name;
  }
}

TEST_F(PasteTest, PasteIsOneUndoStep) {
  SetRows({"abcd\r", "efgh\r", ""});
  edit->FCaret = TPoint(2, 0);
  PutForeignText("x\r\ny\r\nz");
  edit->Perform(WM_PASTE, 0, 0);
  ASSERT_EQ(Rows(), (RowList{"abx\r", "y\r", "zcd\r", "efgh\r", ""}));
  edit->Undo();
  EXPECT_EQ(Rows(), (RowList{"abcd\r", "efgh\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(2, 0));
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(PasteTest, PasteReplacesSelectionInOneUndoStep) {
  SetRows({"abcdef\r", ""});
  SelectPoints({1, 0}, {3, 0});
  edit->FCaret = TPoint(3, 0);
  PutForeignText("XY\r\nZ");
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"aXY\r", "Zdef\r", ""}));
  edit->Undo();
  EXPECT_EQ(Rows(), (RowList{"abcdef\r", ""}));
}

TEST_F(PasteTest, MiddleRowsAtTheEndCarryCaretRowAttributes) {
  SetStyledRows({{"a\r"}, {"", 3, clRed}});
  edit->FCaret = TPoint(3, 1);
  PutForeignText("p\r\nq\r\nr\r\ns");
  edit->Perform(WM_PASTE, 0, 0);
  ASSERT_EQ(Rows(), (RowList{"a\r", "p\r", "q\r", "r\r", "s"}));
  for (int row = 2; row <= 3; ++row) {
    EXPECT_EQ(edit->GetLinesAttr(row)->Indent, 3) << row;
    EXPECT_EQ(edit->GetLinesAttr(row)->TextColor, clRed) << row;
    EXPECT_EQ(edit->GetLinesAttr(row)->ColAttrs, nullptr) << row;
  }
}

TEST_F(PasteTest, PrivateRowCopyComesBackWithAttributes) {
  SetStyledRows({{"a\r", 2, clRed}, {"b\r", 0, clBlue}, {"c\r"}, {""}});
  SelectRows(0, 1);
  edit->Perform(WM_COPY, 0, 0);
  edit->FSelArea->RowReset();
  edit->FCaret = TPoint(0, 2);
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"a\r", "b\r", "a\r", "b\r", "c\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(2)->Indent, 2);
  EXPECT_EQ(edit->GetLinesAttr(2)->TextColor, clRed);
  EXPECT_EQ(edit->GetLinesAttr(3)->TextColor, clBlue);
  EXPECT_EQ(edit->FCaret.y, 4);
  EXPECT_EQ(edit->GetLinesAttr(4)->TextColor, clWindowText);

  edit->Undo();
  EXPECT_EQ(Rows(), (RowList{"a\r", "b\r", "c\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(2)->TextColor, clWindowText);
}

TEST_F(PasteTest, PrivateCopyOfAllRowsLeavesOutTheEmptyLastRow) {
  SetStyledRows({{"a\r", 1}, {"b\r"}, {""}});
  edit->SelectAll();
  edit->Perform(WM_COPY, 0, 0);
  edit->FSelArea->RowReset();
  edit->Clear();
  edit->ClipInsert();
  EXPECT_EQ(Rows(), (RowList{"a\r", "b\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(0)->Indent, 1);
}

TEST_F(PasteTest, PrivateCopyKeepsBytesUnicodeWouldChange) {
  // 0x8790 reads back as 0x81E0 through Unicode alone.
  SetStyledRows({{"\x87\x90\r", 5}, {""}});
  SelectRows(0, 0);
  edit->Perform(WM_COPY, 0, 0);
  edit->FSelArea->RowReset();
  edit->FCaret = TPoint(0, 1);
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"\x87\x90\r", "\x87\x90\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(1)->Indent, 5);  // the private path was taken
}

TEST_F(PasteTest, ForeignTextAfterRowCopyTakesPlainPath) {
  SetStyledRows({{"a\r", 2}, {""}});
  SelectRows(0, 0);
  edit->Perform(WM_COPY, 0, 0);
  edit->FSelArea->RowReset();
  PutForeignText("zz");
  edit->FCaret = TPoint(0, 1);
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"a\r", "zz"}));
}

TEST_F(PasteTest, LineEndsOnlyWithoutPrivateCopyTypeALineEnd) {
  SetRows({"ab\r", ""});
  ASSERT_EQ(edit->FClipLines->Count(), 0);
  PutForeignText("\r\n");
  edit->FCaret = TPoint(1, 0);
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"a\r", "b\r", ""}));
}

TEST_F(PasteTest, RoundTripThroughPlainUtf8Text) {
  SetRows({"\x82\xA0\x82\xA2\r", "x\ty\r", ""});
  edit->SelectAll();
  edit->Perform(WM_COPY, 0, 0);
  const QString plain = QGuiApplication::clipboard()->text();
  EXPECT_EQ(plain.toStdString(), "\xE3\x81\x82\xE3\x81\x84\r\nx\ty\r\n");

  PutForeignText(plain.toStdString());  // as if another program copied it
  edit->FClipLines->Clear();
  edit->FClipAttrs->Clear();
  edit->FSelArea->RowReset();
  edit->Clear();
  edit->ClipInsert();
  EXPECT_EQ(Rows(), (RowList{"\x82\xA0\x82\xA2\r", "x\ty\r", ""}));
}

TEST_F(PasteTest, EmptyClipboardChangesNothing) {
  SetRows({"ab\r", ""});
  const int group = edit->FUndoGroup;
  edit->ClipInsert();
  EXPECT_EQ(Rows(), (RowList{"ab\r", ""}));
  EXPECT_EQ(edit->FUndoGroup, group);
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(PasteTest, ReadOnlyPaneStillTakesPaste) {
  SetRows({""});
  edit->SetReadOnly(true);
  PutForeignText("ro");
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"ro"}));
}

TEST_F(PasteTest, FlagsComeBackWhenPasteFails) {
  SetRows({"ab\r", ""});
  CreateCaret(edit, nullptr, 2, 10);
  ShowCaret(edit);
  const int hideCount = GetCaretState().HideCount;
  edit->FInsertMode = false;
  edit->OnBeforeChange = [](TObject*, int, AnsiString&, bool&) { throw std::runtime_error("veto"); };
  PutForeignText("x\r\ny\r\nz");
  EXPECT_THROW(edit->ClipInsert(), std::runtime_error);
  EXPECT_FALSE(edit->FUpdating);
  EXPECT_FALSE(edit->FInsertMode);
  EXPECT_EQ(edit->FLines->UpdateCount(), 0);
  EXPECT_EQ(GetCaretState().HideCount, hideCount);

  // A successful paste restores overwrite mode as well.
  edit->OnBeforeChange = nullptr;
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_FALSE(edit->FInsertMode);
  EXPECT_FALSE(edit->FUpdating);
  EXPECT_EQ(GetCaretState().HideCount, hideCount);
  DestroyCaret();
}

TEST_F(PasteTest, FreeCaretBelowTheTextIsFilledUpTo) {
  edit->SetOptions(TAFEditOptions{aoFreeCaret, aoAutoFormat});
  SetStyledRows({{"a\r", 1}, {""}});
  SelectRows(0, 0);
  edit->Perform(WM_COPY, 0, 0);
  edit->FSelArea->RowReset();
  edit->FCaret = TPoint(0, 4);
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Rows(), (RowList{"a\r", "\r", "\r", "\r", "a\r", ""}));
  EXPECT_EQ(edit->GetLinesAttr(4)->Indent, 1);
  EXPECT_EQ(edit->FCaret.y, 5);

  SetRows({"a\r", ""});
  edit->FCaret = TPoint(0, 3);
  edit->QuoteInsert("q", "> ");
  EXPECT_EQ(Rows(), (RowList{"a\r", "\r", "\r", "> q\r", ""}));
}

TEST_F(PasteTest, LongLinesAreSafe) {
  // A middle line goes in whole; its display form is longer than 64 KiB.
  std::string longLine;
  for (int i = 0; i < 20000; ++i) longLine += "ab\t";
  PutForeignText("x\r\n" + longLine + "\r\ny");
  SetRows({""});
  edit->Perform(WM_PASTE, 0, 0);
  // Compared as truth values: a failure should not print 60,000 bytes.
  ASSERT_EQ(edit->GetLinesCount(), 3);
  EXPECT_EQ(edit->GetLine(0), "x\r");
  EXPECT_TRUE(edit->GetLine(1) == longLine + "\r");
  EXPECT_EQ(edit->GetLine(2), "y");
  EXPECT_EQ(edit->DspPos(TPoint(static_cast<int>(longLine.size()), 1)).x, 80000);
  EXPECT_EQ(edit->LogicalPos(TPoint(79999, 1)), static_cast<int>(longLine.size()) - 1);
  edit->FCaret = TPoint(79000, 1);
  edit->FTopLine = 1;
  edit->Paint();

  edit->SelectAll();
  edit->Perform(WM_COPY, 0, 0);
  EXPECT_TRUE(ClipboardBytes() == "x\r\n" + longLine + "\r\ny");
}

TEST_F(PasteTest, QuotedRowsGoBeforeTheCaretRow) {
  struct Case {
    const char* name;
    std::string text, prefix;
    RowList after;
  };
  const std::vector<Case> cases = {
      {"with prefix", "x\r\ny", "> ", {"> x\r", "> y\r", "abc\r", ""}},
      {"without prefix", "x\n", "", {"x\r", "abc\r", ""}},
      {"empty text", "", "> ", {"abc\r", ""}},
  };
  for (const Case& c : cases) {
    SetRows({"abc\r", ""});
    edit->FCaret = TPoint(1, 0);
    edit->QuoteInsert(c.text, c.prefix);
    EXPECT_EQ(Rows(), c.after) << c.name;
    EXPECT_EQ(edit->FCaret.y, static_cast<int>(c.after.size()) - 2) << c.name;
  }
  SetRows({"abc\r", ""});
  edit->QuoteInsert("x\r\ny", "> ");
  edit->Undo();
  EXPECT_EQ(Rows(), (RowList{"abc\r", ""}));
}

}  // namespace
