// The key-down side: caret steps, word jumps, Shift selection, held keys,
// Delete and Backspace, the keyboard unindent, page and clipboard keys, the
// keys of the pop-up menu.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "platform/qt/internal/ControlInput.h"
#include "tests/editor/KeysFixture.h"

namespace {

const TShiftState kNone{};
const TShiftState kShift{ssShift};
const TShiftState kCtrl{ssCtrl};

std::string ClipText() { return QGuiApplication::clipboard()->text().toStdString(); }

// n rows of the same text, each ending in a CR, then the empty last row.
TextRows TallText(int n, const std::string& row) {
  TextRows rows(static_cast<size_t>(n), row + "\r");
  rows.push_back("");
  return rows;
}

// One caret step: the rows and indents, the caret before, the key, the
// caret after.
struct CaretStep {
  const char* name;
  TextRows rows;
  std::vector<int> indents;
  TPoint from;
  int key;
  TPoint to;
};

TEST_F(KeysTest, ArrowsStepOverTabsDoubleByteCharactersAndRowEnds) {
  // "ab<TAB>c<CR>" shows as a, b, one fill cell, the tab, c, CR.
  const std::vector<CaretStep> cases = {
      {"right onto a fill run", {"ab\tc\r", ""}, {}, {1, 0}, VK_RIGHT, {2, 0}},
      {"right over the tab's span", {"ab\tc\r", ""}, {}, {2, 0}, VK_RIGHT, {4, 0}},
      {"left to the span's first cell", {"ab\tc\r", ""}, {}, {4, 0}, VK_LEFT, {2, 0}},
      {"left from the tab byte", {"ab\tc\r", ""}, {}, {3, 0}, VK_LEFT, {2, 0}},
      {"left over a leading tab", {"\tx\r", ""}, {}, {4, 0}, VK_LEFT, {0, 0}},
      {"right over a double-byte character", {"\x82\xa0x\r", ""}, {}, {0, 0}, VK_RIGHT, {2, 0}},
      {"left over a double-byte character", {"\x82\xa0x\r", ""}, {}, {2, 0}, VK_LEFT, {0, 0}},
      {"left from the second column", {"ab\r", ""}, {}, {1, 0}, VK_LEFT, {0, 0}},
      {"right stops on the CR", {"ab\r", "cd\r", ""}, {}, {1, 0}, VK_RIGHT, {2, 0}},
      {"right from the CR to the next row", {"ab\r", "cd\r", ""}, {0, 2}, {2, 0}, VK_RIGHT, {2, 1}},
      {"left from a row start to the CR above", {"ab\r", "cd\r", ""}, {0, 2}, {2, 1}, VK_LEFT, {2, 0}},
      {"left onto a soft row's end", {"ab", "cd\r", ""}, {}, {0, 1}, VK_LEFT, {2, 0}},
      {"left in row 0's indent snaps to it", {"abc\r", ""}, {3}, {1, 0}, VK_LEFT, {3, 0}},
      {"right out of the indent", {"ab\r", "cd\r", ""}, {0, 3}, {1, 1}, VK_RIGHT, {3, 1}},
      {"right at the end of the last row stays", {"ab\r", "cd"}, {}, {2, 1}, VK_RIGHT, {2, 1}},
      {"down keeps the column", {"abcd\r", "efgh\r", ""}, {}, {3, 0}, VK_DOWN, {3, 1}},
      {"up at row 0 stays", {"abcd\r", ""}, {}, {3, 0}, VK_UP, {3, 0}},
      {"end stands on the CR", {"abcd\r", ""}, {}, {0, 0}, VK_END, {4, 0}},
      {"end of a soft row", {"abcd", "ef\r", ""}, {}, {0, 0}, VK_END, {4, 0}},
      {"home goes to the indent", {"abcd\r", ""}, {2}, {5, 0}, VK_HOME, {2, 0}},
  };
  for (const CaretStep& c : cases) {
    SetRows(c.rows, c.indents);
    edit->FCaret = c.from;
    Key(c.key);
    EXPECT_EQ(edit->FCaret, c.to) << c.name;
  }
}

TEST_F(KeysTest, CtrlArrowsJumpByWords) {
  const std::string aiu = Sjis("あいう");
  const std::vector<CaretStep> cases = {
      {"right to the next word", {"abc def\r", ""}, {}, {1, 0}, VK_RIGHT, {4, 0}},
      {"left to the word's start", {"abc def\r", ""}, {}, {5, 0}, VK_LEFT, {4, 0}},
      {"left to the previous word", {"abc def\r", ""}, {}, {4, 0}, VK_LEFT, {0, 0}},
      {"right over one double-byte character", {aiu + "\r", ""}, {}, {0, 0}, VK_RIGHT, {2, 0}},
      {"left over one double-byte character", {aiu + "\r", ""}, {}, {4, 0}, VK_LEFT, {2, 0}},
      {"right stops before a double-byte character", {"ab " + aiu + "\r", ""}, {}, {0, 0}, VK_RIGHT, {3, 0}},
      {"left from a row start lands on the CR above", {"ab\r", "cd\r", ""}, {}, {0, 1}, VK_LEFT, {2, 0}},
      {"right from a CR to the next row", {"ab\r", "cd\r", ""}, {}, {2, 0}, VK_RIGHT, {0, 1}},
      {"left at the top left stays", {"ab\r", ""}, {}, {0, 0}, VK_LEFT, {0, 0}},
      // These two never ended: the caret cannot step further left there.
      {"left at row 0's indented text start", {"ab cd\r", ""}, {2}, {2, 0}, VK_LEFT, {2, 0}},
      {"left onto row 0's indented first word", {"ab cd\r", ""}, {2}, {5, 0}, VK_LEFT, {2, 0}},
  };
  for (const CaretStep& c : cases) {
    SetRows(c.rows, c.indents);
    edit->FCaret = c.from;
    Key(c.key, kCtrl);
    EXPECT_EQ(edit->FCaret, c.to) << c.name;
  }
}

TEST_F(KeysTest, CtrlLeftBelowTheTextEnds) {
  SetRows({"ab\r", ""});
  SetOptions(TAFEditOptions{aoAutoFormat, aoFreeCaret});
  edit->FCaret = TPoint(3, 5);
  Key(VK_LEFT, kCtrl);
  EXPECT_EQ(edit->FCaret, TPoint(0, 5));
  EXPECT_TRUE(edit->GetOptions().Contains(aoFreeCaret));  // switched off only for the jump
}

TEST_F(KeysTest, ShiftArrowsSelectAndFireSelectionEvents) {
  int selects = 0, disselects = 0;
  edit->OnSelect = [&](TObject*) { ++selects; };
  edit->OnDisSelect = [&](TObject*) { ++disselects; };
  SetRows({"abcdefgh\r", ""});
  edit->FCaret = TPoint(2, 0);

  Keys(VK_RIGHT, 3, kShift);
  EXPECT_EQ(edit->FSelArea->GetStartPoint(), TPoint(2, 0));
  EXPECT_EQ(edit->FSelArea->GetEndPoint(), TPoint(5, 0));
  EXPECT_EQ(edit->GetSelText(), "cde");
  EXPECT_EQ(selects, 1);

  Key(VK_RIGHT);
  EXPECT_EQ(edit->FCaret, TPoint(6, 0));
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_EQ(edit->FSelArea->FEndPoint, TPoint(6, 0));
  EXPECT_EQ(disselects, 1);
}

TEST_F(KeysTest, ShiftHeldAloneStartsANewSelection) {
  SetRows({"abcdefgh\r", ""});
  edit->FCaret = TPoint(2, 0);
  Keys(VK_RIGHT, 3, kShift);
  Key(VK_SHIFT, kShift, true);  // Shift's own auto-repeat
  EXPECT_FALSE(edit->FShiftDown);
  Key(VK_LEFT, kShift);
  EXPECT_EQ(edit->FSelArea->FStartPoint, TPoint(5, 0));
  EXPECT_EQ(edit->FSelArea->FEndPoint, TPoint(4, 0));
  edit->Perform(WM_KEYUP, VK_SHIFT, 0xC0000001);
  EXPECT_FALSE(edit->FShiftDown);
}

TEST_F(KeysTest, HeldKeysRepeatUpToFourStepsPerMessage) {
  struct Case {
    const char* name;
    int accel;
    bool repeatBit;
    bool stillDown;
    int steps;
  };
  const std::vector<Case> cases = {
      {"auto-repeat, AccelRate 4", 4, true, true, 4},
      {"auto-repeat, AccelRate 9 is capped", 9, true, true, 4},
      {"auto-repeat, AccelRate 2", 2, true, true, 2},
      {"auto-repeat, AccelRate 1", 1, true, true, 1},
      {"auto-repeat, key already up", 4, true, false, 1},
      {"first press never repeats", 4, false, true, 1},
  };
  for (const Case& c : cases) {
    SetRows({"abcdefghijklmnop\r", ""});
    edit->SetAccelRate(c.accel);
    SetKeyStateOverride(VK_RIGHT, c.stillDown);
    Key(VK_RIGHT, kNone, c.repeatBit);
    EXPECT_EQ(edit->FCaret, TPoint(c.steps, 0)) << c.name;
  }
}

TEST_F(KeysTest, DeleteRemovesWholeCharactersAndJoinsRows) {
  struct Case {
    const char* name;
    TextRows rows;
    std::vector<int> indents;
    TPoint caret;
    TextRows after;
  };
  const std::vector<Case> cases = {
      {"single byte", {"abc\r", ""}, {}, {1, 0}, {"ac\r", ""}},
      {"double-byte character", {"a\x82\xa0" "b\r", ""}, {}, {1, 0}, {"ab\r", ""}},
      {"caret on a trail byte", {"\x82\xa0" "b\r", ""}, {}, {1, 0}, {"b\r", ""}},
      {"caret in a tab's fill run", {"a\tb\r", ""}, {}, {1, 0}, {"ab\r", ""}},
      {"the CR joins the row below", {"ab\r", "cd\r", ""}, {}, {2, 0}, {"abcd\r", ""}},
      {"caret inside the indent", {"abc\r", ""}, {3}, {1, 0}, {"bc\r", ""}},
      {"past the end", {"ab\r", "cd"}, {}, {2, 1}, {"ab\r", "cd"}},
      {"below the last row", {"ab\r", ""}, {}, {0, 4}, {"ab\r", ""}},
  };
  for (const Case& c : cases) {
    SetRows(c.rows, c.indents);
    edit->FCaret = c.caret;
    Key(VK_DELETE);
    EXPECT_EQ(Rows(), c.after) << c.name;
  }
}

TEST_F(KeysTest, DeleteTakesTheColumnAttributesWithTheCharacter) {
  SetRows({"a\x82\xa0" "b\r", ""});
  ASSERT_EQ(edit->GetColAttrs(0)->Count(), 5);
  edit->FCaret = TPoint(1, 0);
  Key(VK_DELETE);
  EXPECT_EQ(edit->GetColAttrs(0)->Count(), 3);
}

TEST_F(KeysTest, DeleteIsOneUndoStepAndNothingInReadOnly) {
  SetRows({"ab\r", "cd\r", ""});
  edit->FCaret = TPoint(2, 0);
  Key(VK_DELETE);
  ASSERT_EQ(Rows(), (TextRows{"abcd\r", ""}));
  edit->Undo();
  EXPECT_EQ(Rows(), (TextRows{"ab\r", "cd\r", ""}));

  edit->SetReadOnly(true);
  edit->FCaret = TPoint(0, 0);
  Key(VK_DELETE);
  EXPECT_EQ(Rows(), (TextRows{"ab\r", "cd\r", ""}));
}

TEST_F(KeysTest, ShiftDeleteCutsTheSelection) {
  SetRows({"abcdef\r", ""});
  Select({1, 0}, {3, 0});
  edit->FCaret = TPoint(3, 0);
  QGuiApplication::clipboard()->setText("zz");
  Key(VK_DELETE, kShift);
  EXPECT_EQ(Rows(), (TextRows{"adef\r", ""}));
  EXPECT_EQ(ClipText(), "bc");
}

TEST_F(KeysTest, BackspaceDeletesLeftOfTheCaret) {
  struct Case {
    const char* name;
    TextRows rows;
    std::vector<int> indents;
    TPoint caret;
    TextRows after;
    TPoint caretAfter;
  };
  const std::string ai = Sjis("あい");
  const std::vector<Case> cases = {
      {"single byte", {"abc\r", ""}, {}, {2, 0}, {"ac\r", ""}, {1, 0}},
      {"double-byte character", {ai + "\r", ""}, {}, {2, 0}, {Sjis("い") + "\r", ""}, {0, 0}},
      {"row start joins the row above", {"ab\r", "cd\r", ""}, {}, {0, 1}, {"abcd\r", ""}, {2, 0}},
      {"tab", {"a\tb\r", ""}, {}, {4, 0}, {"ab\r", ""}, {1, 0}},
  };
  for (const Case& c : cases) {
    SetRows(c.rows, c.indents);
    edit->FCaret = c.caret;
    Type("\b");
    EXPECT_EQ(Rows(), c.after) << c.name;
    EXPECT_EQ(edit->FCaret, c.caretAfter) << c.name;
  }
}

TEST_F(KeysTest, BackspaceAtTheTextStartChangesNothing) {
  struct Case {
    const char* name;
    std::vector<int> indents;
    TPoint caret;
  };
  const std::vector<Case> cases = {
      {"top left", {}, {0, 0}},
      // Used to delete the character after the caret.
      {"text start of an indented row 0", {2}, {2, 0}},
  };
  for (const Case& c : cases) {
    SetRows({"abc\r", ""}, c.indents);
    edit->FCaret = c.caret;
    const int group = edit->FUndoGroup;
    Type("\b");
    EXPECT_EQ(Rows(), (TextRows{"abc\r", ""})) << c.name;
    EXPECT_EQ(edit->FUndoGroup, group) << c.name;
    EXPECT_FALSE(edit->isEdited()) << c.name;
  }
}

TEST_F(KeysTest, BackspaceInReadOnlyOnlyMovesTheCaret) {
  SetRows({"abc\r", ""});
  edit->SetReadOnly(true);
  edit->FCaret = TPoint(2, 0);
  Type("\b");
  EXPECT_EQ(Rows(), (TextRows{"abc\r", ""}));
  EXPECT_EQ(edit->FCaret, TPoint(1, 0));
}

TEST_F(KeysTest, BackspaceRemovesTheSelection) {
  SetRows({"abcdef\r", ""});
  Select({1, 0}, {4, 0});
  edit->FCaret = TPoint(4, 0);
  Type("\b");
  EXPECT_EQ(Rows(), (TextRows{"aef\r", ""}));
}

TEST_F(KeysTest, CtrlBackspaceUnindentsAsOneUndoStep) {
  edit->SetTabSize(4);
  SetRows({"x\r", "abc\r", ""}, {0, 3});
  edit->FCaret = TPoint(3, 1);
  bool undoChanged = false;
  edit->OnUndoChange = [&](TObject*, bool canUndo, bool) { undoChanged = canUndo; };
  Key(VK_BACK, kCtrl);
  EXPECT_EQ(Indent(1), 0);
  EXPECT_EQ(edit->FCaret, TPoint(0, 1));
  EXPECT_TRUE(undoChanged);
  edit->Undo();
  EXPECT_EQ(Indent(1), 3);
  EXPECT_EQ(Rows(), (TextRows{"x\r", "abc\r", ""}));
}

TEST_F(KeysTest, CtrlBackspaceUnindentsOnlyAtAnExistingRowsTextStart) {
  struct Case {
    const char* name;
    TPoint caret;
    bool readOnly;
  };
  const std::vector<Case> cases = {
      {"inside the text", {4, 1}, false},
      {"below the last row", {3, 6}, false},
      {"read-only", {3, 1}, true},
  };
  for (const Case& c : cases) {
    SetRows({"x\r", "abc\r", ""}, {0, 3});
    SetOptions(TAFEditOptions{aoAutoFormat, aoFreeCaret});
    edit->SetReadOnly(c.readOnly);
    edit->FCaret = c.caret;
    Key(VK_BACK, kCtrl);
    EXPECT_EQ(Indent(1), 3) << c.name;
    EXPECT_FALSE(edit->isEdited()) << c.name;
  }
}

TEST_F(KeysTest, PageKeysMoveByTheVisibleRows) {
  SetRows({"a\r", "b\r", "c\r", "d\r", ""});
  Key(VK_NEXT);
  EXPECT_EQ(edit->FCaret.y, 4);
  EXPECT_EQ(edit->FTopLine, 0);

  SetRows(TallText(100, "row"));
  const int R = edit->GetDspRowCount();
  ASSERT_GT(R, 2);
  Key(VK_NEXT);
  EXPECT_EQ(edit->FCaret.y, R);
  EXPECT_EQ(edit->FTopLine, R);
  Key(VK_PRIOR);
  EXPECT_EQ(edit->FCaret.y, 0);
  EXPECT_EQ(edit->FTopLine, 0);
  Key(VK_PRIOR);
  EXPECT_EQ(edit->FCaret.y, 0);
}

TEST_F(KeysTest, DownAtTheViewEdgeScrollsOneRow) {
  SetRows(TallText(100, "row"));
  const int R = edit->GetDspRowCount();
  edit->FCaret = TPoint(0, R - 2);
  Key(VK_DOWN);
  EXPECT_EQ(edit->FCaret.y, R - 1);
  EXPECT_EQ(edit->FTopLine, 1);
  edit->FCaret = TPoint(0, 1);
  Key(VK_UP);
  EXPECT_EQ(edit->FCaret.y, 0);
  EXPECT_EQ(edit->FTopLine, 0);
}

TEST_F(KeysTest, HomeWithAHorizontalOffsetReturnsTheView) {
  SetRows({std::string(200, 'a') + "\r", ""});
  edit->FLeftCol = 5;
  edit->FCaret = TPoint(20, 0);
  Key(VK_HOME);
  EXPECT_EQ(edit->FLeftCol, 0);
  EXPECT_EQ(edit->FCaret, TPoint(0, 0));

  // Ctrl+Home from further down brings the top row back into view too.
  SetRows(TallText(100, std::string(200, 'a')));
  edit->SetTopLine(50);
  edit->FLeftCol = 5;
  edit->FCaret = TPoint(20, 60);
  Key(VK_HOME, kCtrl);
  EXPECT_EQ(edit->FCaret, TPoint(0, 0));
  EXPECT_EQ(edit->FLeftCol, 0);
  EXPECT_EQ(edit->FTopLine, 0);
}

TEST_F(KeysTest, ClipboardKeys) {
  SetRows({"abcdef\r", ""});
  Select({1, 0}, {3, 0});
  edit->FCaret = TPoint(3, 0);
  QGuiApplication::clipboard()->setText("zz");
  Key('C', kCtrl);
  EXPECT_EQ(ClipText(), "bc");

  QGuiApplication::clipboard()->setText("zz");
  Key(VK_INSERT, kCtrl);
  EXPECT_EQ(ClipText(), "bc");

  Key('X', kCtrl);
  EXPECT_EQ(Rows(), (TextRows{"adef\r", ""}));
  EXPECT_EQ(ClipText(), "bc");

  edit->FCaret = TPoint(1, 0);
  Key('V', kCtrl);
  EXPECT_EQ(Rows(), (TextRows{"abcdef\r", ""}));
  Key(VK_INSERT, kShift);
  EXPECT_EQ(Rows(), (TextRows{"abcbcdef\r", ""}));
}

TEST_F(KeysTest, CtrlCWhileComposingIsNoCopy) {
  SetRows({"abcdef\r", ""});
  Select({1, 0}, {3, 0});
  QGuiApplication::clipboard()->setText("zz");
  ImmSetComposing(edit, true);
  Key('C', kCtrl);
  EXPECT_TRUE(edit->FImeComposing);
  EXPECT_EQ(ClipText(), "zz");
  ImmSetComposing(edit, false);
  Key('C', kCtrl);
  EXPECT_FALSE(edit->FImeComposing);
  EXPECT_EQ(ClipText(), "bc");
}

TEST_F(KeysTest, NoKeyPastesIntoReadOnly) {
  SetRows({"abc\r", ""});
  edit->SetReadOnly(true);
  QGuiApplication::clipboard()->setText("zz");
  Key('V', kCtrl);
  Key(VK_INSERT, kShift);
  EXPECT_EQ(Rows(), (TextRows{"abc\r", ""}));
  Select({0, 0}, {1, 0});
  Key('X', kCtrl);
  EXPECT_EQ(Rows(), (TextRows{"abc\r", ""}));
  // The message itself still pastes: the application fills the reference
  // pane through it.
  edit->Perform(WM_PASTE, 0, 0);
  EXPECT_NE(Rows(), (TextRows{"abc\r", ""}));
}

TEST_F(KeysTest, InsertAndClearToggleTheInsertMode) {
  int statusChanges = 0;
  edit->OnStatusChange = [&](TObject*) { ++statusChanges; };
  ASSERT_TRUE(edit->FInsertMode);
  Key(VK_INSERT);
  EXPECT_FALSE(edit->FInsertMode);
  EXPECT_GE(statusChanges, 1);
  EXPECT_FALSE(GetCaretState().Bounds.Right - GetCaretState().Bounds.Left == 2);  // overwrite shape
  const int seen = statusChanges;
  Key(VK_CLEAR);  // flips the mode and nothing else
  EXPECT_TRUE(edit->FInsertMode);
  EXPECT_EQ(statusChanges, seen);
}

TEST_F(KeysTest, TheControlAsksForCharactersArrowsAndTab) {
  EXPECT_EQ(edit->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
  struct Case {
    int key;
    intptr_t result;
  };
  for (const Case& c : std::vector<Case>{{VK_LEFT, 1}, {VK_UP, 1}, {VK_RIGHT, 1}, {VK_DOWN, 1}, {VK_TAB, 1},
                                         {VK_RETURN, 0}, {VK_ESCAPE, 0}})
    EXPECT_EQ(edit->Perform(CM_WANTSPECIALKEY, static_cast<uintptr_t>(c.key), 0), c.result) << c.key;
}

TEST_F(KeysTest, OnKeyDownCanTakeTheKey) {
  SetRows({"abc\r", ""});
  edit->OnKeyDown = [](TObject*, uint16_t& key, TShiftState) {
    if (key == VK_RIGHT) key = 0;
  };
  Key(VK_RIGHT);
  EXPECT_EQ(edit->FCaret, TPoint(0, 0));
  Key(VK_END);
  EXPECT_EQ(edit->FCaret, TPoint(3, 0));
}

TEST_F(KeysTest, TheMenuKeysOpenThePopupMenuJustBelowTheCaret) {
  QMenu menu;
  menu.addAction("x");
  edit->SetPopupMenu(&menu);
  SetRows({"abcdef\r", "abcdef\r", ""});
  Key(VK_DOWN);
  Keys(VK_RIGHT, 3);
  ASSERT_EQ(edit->FCaret, TPoint(3, 1));
  const TRect caret = GetCaretState().Bounds;
  QWidget* w = edit->GetWidget();
  const QPoint belowCaret = w->mapToGlobal(edit->Input().ClientArea().topLeft() + QPoint(caret.Left, caret.Bottom));

  struct Case {
    const char* name;
    int key;  // 0: the event the window system makes of the Menu key on X
    Qt::KeyboardModifiers modifiers;
    bool opens;
  };
  const std::vector<Case> cases = {
      {"Menu key", Qt::Key_Menu, Qt::NoModifier, true},
      {"Shift+F10", Qt::Key_F10, Qt::ShiftModifier, true},
      {"keyboard menu event", 0, Qt::NoModifier, true},
      {"F10 alone", Qt::Key_F10, Qt::NoModifier, false},
      {"Ctrl+Shift+F10", Qt::Key_F10, Qt::ShiftModifier | Qt::ControlModifier, false},
  };
  for (const Case& c : cases) {
    if (c.key == 0) {
      // The toolkit puts it at the middle of the control.
      const QPoint middle(w->width() / 2, w->height() / 2);
      QContextMenuEvent e(QContextMenuEvent::Keyboard, middle, w->mapToGlobal(middle));
      QApplication::sendEvent(w, &e);
    } else {
      QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers);
      QApplication::sendEvent(w, &press);
      QKeyEvent release(QEvent::KeyRelease, c.key, c.modifiers);
      QApplication::sendEvent(w, &release);
    }
    QApplication::processEvents();
    EXPECT_EQ(menu.isVisible(), c.opens) << c.name;
    if (c.opens) {
      EXPECT_EQ(menu.pos(), belowCaret) << c.name;
    }
    menu.hide();
    EXPECT_EQ(edit->FCaret, TPoint(3, 1)) << c.name;
  }
  edit->SetPopupMenu(nullptr);
  // The toolkit takes the modifiers of the last key press as the keyboard's
  // state: a press without any, sent where no control takes it, lets go of
  // them, or the tests after this one see Shift and Ctrl held.
  QKeyEvent none(QEvent::KeyPress, 0, Qt::NoModifier);
  QApplication::sendEvent(&menu, &none);
}

}  // namespace
