// Typed characters: plain and double-byte characters, Tab and Enter with
// each indent option, Escape, Ctrl combinations, input-method results.
#include "tests/editor/KeysFixture.h"

namespace {

const TShiftState kCtrl{ssCtrl};

TEST_F(KeysTest, TypedCharactersGoInAtTheCaret) {
  SetRows({"bc\r", ""});
  edit->FCaret = TPoint(1, 0);
  Type("a");
  EXPECT_EQ(Rows(), (TextRows{"bac\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(2, 0));

  edit->SetReadOnly(true);
  Type("x");
  EXPECT_EQ(Rows(), (TextRows{"bac\r", ""}));
}

TEST_F(KeysTest, DoubleByteCharacterFromTwoMessagesGoesInWhole) {
  const std::string kan = Sjis("漢");
  SetRows({"ab\r", ""});
  edit->FCaret = TPoint(1, 0);
  Type(kan);  // lead byte, then trail byte
  EXPECT_EQ(Rows(), (TextRows{"a" + kan + "b\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(3, 0));
  edit->Undo();
  EXPECT_EQ(Rows(), (TextRows{"ab\r", ""}));

  // A lead byte that no trail byte follows is no character.
  Type("\x8A" "1");
  EXPECT_EQ(Rows(), (TextRows{"a1b\r", ""}));
}

TEST_F(KeysTest, CtrlCharactersAreShortcutsUnlessComposing) {
  SetRows({"ab\r", ""});
  Type("x", kCtrl);
  EXPECT_EQ(Rows(), (TextRows{"ab\r", ""}));

  ImmSetComposing(edit, true);
  Key(VK_CONTROL, kCtrl);  // the composing flag is taken at a key-down
  Type("x", kCtrl);
  EXPECT_EQ(Rows(), (TextRows{"xab\r", ""}));

  // AltGr on Linux brings no Ctrl: its characters are typed.
  ImmSetComposing(edit, false);
  Key(VK_CONTROL);
  edit->Perform(WM_CHAR, '@', 0x20000001);
  EXPECT_EQ(Rows(), (TextRows{"x@ab\r", ""}));
}

TEST_F(KeysTest, TabIndentsAtTheTextStartOrTypesATab) {
  struct Case {
    const char* name;
    TAFEditOptions options;
    int tabSize;
    int wrap;
    int indent;
    TPoint caret;
    std::string after;
    int indentAfter;
    TPoint caretAfter;
  };
  const TAFEditOptions fmt{aoAutoFormat};
  const TAFEditOptions sp{aoTabToSp};
  const std::vector<Case> cases = {
      {"indent", fmt, 4, 80, 0, {0, 0}, "abcdefgh\r", 4, {4, 0}},
      {"indent held back by the wrap column", fmt, 4, 10, 0, {0, 0}, "abcdefgh\r", 2, {4, 0}},
      {"wrap column below 8: the indent stays 0", fmt, 4, 5, 0, {0, 0}, "abcdefgh\r", 0, {4, 0}},
      {"an indent past the room is not cut back", fmt, 4, 10, 6, {6, 0}, "abcdefgh\r", 6, {10, 0}},
      {"inside the text a tab is typed", fmt, 4, 80, 0, {2, 0}, "ab\tcdefgh\r", 0, {4, 0}},
      {"spaces to the next stop", sp, 4, 80, 0, {6, 0}, "abcdef  gh\r", 0, {8, 0}},
      {"spaces counted with the indent", sp, 4, 80, 2, {5, 0}, "abc   gh\r", 2, {8, 0}},
      {"TabSize 0 acts as 1", sp, 0, 80, 0, {3, 0}, "abc defgh\r", 0, {4, 0}},
      {"plain tab", {}, 4, 80, 0, {0, 0}, "\tabcdefgh\r", 0, {4, 0}},
  };
  for (const Case& c : cases) {
    SetRows({c.name == std::string("spaces counted with the indent") ? "abcgh\r" : "abcdefgh\r", ""}, {c.indent});
    edit->GetLinesAttr(0)->WrapPos = static_cast<std::int16_t>(c.wrap);
    SetOptions(c.options);
    edit->SetTabSize(c.tabSize);
    edit->FCaret = c.caret;
    Type("\t");
    EXPECT_EQ(Rows()[0], c.after) << c.name;
    EXPECT_EQ(Indent(0), c.indentAfter) << c.name;
    EXPECT_EQ(edit->FCaret, c.caretAfter) << c.name;
  }
}

TEST_F(KeysTest, TabIndentIsOneUndoStepAndNothingInReadOnly) {
  SetRows({"abc\r", ""});
  Type("\t");
  ASSERT_EQ(Indent(0), 4);
  edit->Undo();
  EXPECT_EQ(Indent(0), 0);
  EXPECT_EQ(Rows(), (TextRows{"abc\r", ""}));

  edit->SetReadOnly(true);
  edit->FCaret = TPoint(0, 0);
  Type("\t");
  EXPECT_EQ(Indent(0), 0);
  SetOptions(TAFEditOptions{});
  Type("\t");
  EXPECT_EQ(Rows(), (TextRows{"abc\r", ""}));
}

TEST_F(KeysTest, EnterCopiesTheLeadingBlanksLeftOfTheCaret) {
  struct Case {
    const char* name;
    TAFEditOptions options;
    std::string row;
    TPoint caret;
    TextRows after;
  };
  const TAFEditOptions ai{aoAutoFormat, aoAutoIndent};
  const TAFEditOptions jp{aoAutoFormat, aoAutoJpnIndent};
  const std::string ws = "\x81\x40";  // full-width space
  const std::vector<Case> cases = {
      {"blanks and a tab", ai, "  \tabc\r", {7, 0}, {"  \tabc\r", "  \t\r", ""}},
      {"only the blanks left of the caret", ai, "  \tabc\r", {1, 0}, {" \r", "  \tabc\r", ""}},
      {"full-width spaces need the Japanese option", ai, ws + "ab\r", {4, 0}, {ws + "ab\r", "\r", ""}},
      {"full-width spaces copied", jp, ws + " " + ws + "ab\r", {7, 0}, {ws + " " + ws + "ab\r", ws + " " + ws + "\r", ""}},
      {"another double-byte character stops the copy", jp, " \x81\x41x\r", {4, 0}, {" \x81\x41x\r", " \r", ""}},
      {"no indent option", TAFEditOptions{aoAutoFormat}, "  ab\r", {4, 0}, {"  ab\r", "\r", ""}},
      {"empty row", ai, "", {0, 0}, {"\r", ""}},
  };
  for (const Case& c : cases) {
    SetRows({c.row, ""});
    if (c.row.empty()) SetRows({""});
    SetOptions(c.options);
    edit->FCaret = c.caret;
    Type("\r");
    EXPECT_EQ(Rows(), c.after) << c.name;
  }
}

TEST_F(KeysTest, EnterInsertsEvenInOverwriteModeAndNotInReadOnly) {
  SetRows({"abcd\r", ""});
  edit->FInsertMode = false;
  SetOptions(TAFEditOptions{aoAutoFormat, aoFreeCaret});
  edit->FCaret = TPoint(2, 0);
  Type("\r");
  EXPECT_EQ(Rows(), (TextRows{"ab\r", "cd\r", ""}));
  EXPECT_FALSE(edit->FInsertMode);
  EXPECT_TRUE(edit->GetOptions().Contains(aoFreeCaret));

  SetRows({"abcd\r", ""});
  edit->SetReadOnly(true);
  edit->FCaret = TPoint(2, 0);
  Type("\r");
  EXPECT_EQ(Rows(), (TextRows{"abcd\r", ""}));
}

TEST_F(KeysTest, EscapeDropsBothSelections) {
  SetRows({"abcd\r", "efgh\r", ""});
  edit->SetReadOnly(true);
  Select({1, 0}, {3, 0});
  edit->FSelArea->PutStartRow(0);
  edit->FSelArea->PutEndRow(1);
  Type("\x1B");
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_FALSE(edit->FSelArea->isRowAble());
}

TEST_F(KeysTest, InputMethodResultIsOneInsertionAndOneUndoStep) {
  const std::string kanji = Sjis("漢字かな");
  SetRows({"ab\r", ""});
  edit->FCaret = TPoint(1, 0);
  ImeResult(kanji);
  EXPECT_EQ(Rows(), (TextRows{"a" + kanji + "b\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(9, 0));
  edit->Undo();
  EXPECT_EQ(Rows(), (TextRows{"ab\r", ""}));
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(KeysTest, InputMethodResultReplacesTheSelection) {
  SetRows({"abcd\r", ""});
  Select({1, 0}, {3, 0});
  edit->FCaret = TPoint(3, 0);
  ImeResult(Sjis("字"));
  EXPECT_EQ(Rows(), (TextRows{"a" + Sjis("字") + "d\r", ""}));
  edit->Undo();
  EXPECT_EQ(Rows(), (TextRows{"abcd\r", ""}));
}

TEST_F(KeysTest, InputMethodInsertsNothingItDidNotDeliver) {
  struct Case {
    const char* name;
    bool readOnly;
    bool hold;        // a result string is held for the message
    std::string result;
    intptr_t flags;
  };
  const std::vector<Case> cases = {
      {"read-only", true, true, Sjis("字"), GCS_RESULTSTR},
      {"no result held: negative length", false, false, "", GCS_RESULTSTR},
      {"empty result", false, true, "", GCS_RESULTSTR},
      {"composition only", false, true, Sjis("字"), GCS_COMPSTR | GCS_CURSORPOS},
  };
  for (const Case& c : cases) {
    SetRows({"abcd\r", ""});
    Select({1, 0}, {3, 0});
    edit->SetReadOnly(c.readOnly);
    if (c.hold) ImmSetResultString(edit, c.result);
    edit->Perform(WM_IME_COMPOSITION, 0, c.flags);
    ImmClearResultString(edit);
    EXPECT_EQ(Rows(), (TextRows{"abcd\r", ""})) << c.name;
    EXPECT_TRUE(edit->FSelArea->isPointAble()) << c.name;
    EXPECT_FALSE(edit->isEdited()) << c.name;
  }
}

}  // namespace
