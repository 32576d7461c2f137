// Mouse selection and drags through the mouse messages: the cell under a
// pixel, the hit zones and their cursors, character, word and row
// selection, Shift extension, auto-scroll, the wrap-column and indent drags
// with their limits and undo, and the double click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "editor/Afedit.h"
#include "platform/qt/Controls.h"
#include "platform/qt/Imm.h"
#include "platform/qt/MouseInput.h"
#include "platform/qt/internal/KeyInput.h"
#include "tests/editor/EditProbe.h"

namespace {

constexpr TCursor kRowCursor = 5;
const std::string kHira = "\x82\xA0";  // あ

class MouseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    ColAdjLeft = false;
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 900, 700);
    BeginFormLoad(form.get());
    edit = new TEditProbe(form.get());  // owned by the form
    edit->SetBounds(0, 0, 760, 600);
    edit->Font->SetName("ＭＳ ゴシック");
    edit->Font->SetHeight(-12);
    edit->SetLeftMgn(36);
    edit->SetViewOpt(TViewOptions::FromBits(0x3FF));
    edit->SetDefWrapPos(80);
    edit->SetAccelRate(1);
    EndFormLoad(form.get());
    form->Show();
    QApplication::setActiveWindow(form->GetWidget());
    edit->SetFocus();
    QApplication::processEvents();
    edit->OnSelect = [this](TObject*) { ++selects; };
    edit->OnDisSelect = [this](TObject*) { ++disselects; };
  }
  void TearDown() override {
    InputMethodResetHook = nullptr;
    form.reset();
    ColAdjLeft = false;
  }

  // Rows (a hard line ends in "\r") with their indents and wrap columns
  // (80 unless given); caret (0, 0), nothing selected, an empty history.
  void SetRows(const std::vector<std::string>& rows, const std::vector<int>& indents = {},
               const std::vector<int>& wraps = {}) {
    PutRows(edit, rows, indents, wraps);  // the default wrap column is 80
    edit->FSelArea->SelectChanged();
    edit->FTopLine = 0;
    edit->FLeftCol = 0;
    edit->Paint();
    selects = disselects = 0;
  }

  // --- pixels of cells --------------------------------------------------
  // The last pixel of a column's cell as the mouse mapping sees it (for
  // column 0 still right of the margin).
  int X(int col) const {
    return edit->FTextLeft + (col - edit->FLeftCol + 1) * edit->FCharStep - 1 - edit->FMouseXOffset;
  }
  int Y(int row) const { return edit->FTextTop + (row - edit->FTopLine) * edit->FRowHeight + edit->FRowHeight / 2; }
  int RulerY() const { return edit->FTextTop / 2; }
  int MarginX() const { return edit->FTextLeft / 2; }
  int LineX(int col) const { return (col - edit->FLeftCol) * edit->FCharStep + edit->FTextLeft; }

  // --- messages ---------------------------------------------------------
  void Send(unsigned msg, int x, int y, uintptr_t keys) { edit->Perform(msg, keys, MakeMousePos(x, y)); }
  void Hover(int x, int y) { Send(WM_MOUSEMOVE, x, y, 0); }
  void Down(int x, int y, uintptr_t keys = 0) { Send(WM_LBUTTONDOWN, x, y, keys | MK_LBUTTON); }
  void Drag(int x, int y, uintptr_t keys = 0) { Send(WM_MOUSEMOVE, x, y, keys | MK_LBUTTON); }
  void Up(int x, int y, uintptr_t keys = 0) { Send(WM_LBUTTONUP, x, y, keys); }
  // An idle move onto the point (which sets the zone's cursor), then a press
  // and a release there.
  void Click(int x, int y, uintptr_t keys = 0) {
    Hover(x, y);
    Down(x, y, keys);
    Up(x, y, keys);
  }
  void DoubleClick(int x, int y) {
    Hover(x, y);
    Down(x, y);
    Up(x, y);
    Send(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
    Up(x, y);
  }
  void SelectRows(int first, int last) {
    Click(MarginX(), Y(first));
    Click(MarginX(), Y(last), MK_SHIFT);
    ASSERT_EQ(edit->FSelArea->GetStartRow(), first);
    ASSERT_EQ(edit->FSelArea->GetEndRow(), last);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (int r = 0; r < edit->GetLinesCount(); ++r) out.push_back(edit->GetLine(r));
    return out;
  }
  std::vector<int> Indents() const {
    std::vector<int> out;
    for (int r = 0; r < edit->GetLinesCount(); ++r) out.push_back(edit->GetLinesAttr(r)->Indent);
    return out;
  }
  std::vector<int> Wraps() const {
    std::vector<int> out;
    for (int r = 0; r < edit->GetLinesCount(); ++r) out.push_back(edit->GetLinesAttr(r)->WrapPos);
    return out;
  }
  // The pixels of one vertical line of the text area.
  std::vector<TColor> Column(int x) const {
    std::vector<TColor> out;
    for (int y = edit->FTextTop; y < edit->FTextRect.Bottom; ++y) out.push_back(edit->Canvas->Pixels(x, y));
    return out;
  }

  std::unique_ptr<TForm> form;
  TEditProbe* edit = nullptr;
  int selects = 0, disselects = 0;
};

void ExpectPoint(const TPoint& got, int x, int y, const char* what) {
  EXPECT_EQ(got.x, x) << what;
  EXPECT_EQ(got.y, y) << what;
}

}  // namespace

// ---------------------------------------------------------------------------
// The cell under a pixel.

TEST_F(MouseTest, MouseToCellTruncatesTowardZeroAndClamps) {
  SetRows(std::vector<std::string>(10, "abc\r"));
  const int L = edit->FTextLeft - edit->FMouseXOffset, T = edit->FTextTop;
  const int S = edit->FCharStep, H = edit->FRowHeight;
  struct Case {
    const char* name;
    int x, y, leftCol, topLine;
    TPoint expected;
  } cases[] = {
      {"the first cell", L, T, 0, 0, {0, 0}},
      {"a pixel left of and above the text", L - 1, T - 1, 0, 0, {0, 0}},
      {"less than a cell outside", L - S + 1, T - H + 1, 0, 0, {0, 0}},
      {"a whole cell outside: clamped", L - S, T - H, 0, 0, {0, 0}},
      {"last pixel of the first cell", L + S - 1, T + H - 1, 0, 0, {0, 0}},
      {"first pixel of the next cell", L + S, T + H, 0, 0, {1, 1}},
      {"scrolled: less than a cell outside", L - 1, T - 1, 5, 3, {5, 3}},
      {"scrolled: a whole cell outside", L - S, T - H, 5, 3, {4, 2}},
      {"far outside above and left", -32768, -32768, 5, 3, {0, 0}},
      {"far below: the last row", L + 2 * S, 32767, 0, 0, {2, 9}},
  };
  for (const Case& c : cases) {
    edit->FLeftCol = c.leftCol;
    edit->FTopLine = c.topLine;
    ExpectPoint(edit->MouseToCell(c.x, c.y), c.expected.x, c.expected.y, c.name);
  }
}

TEST_F(MouseTest, MouseToCellNeverDividesByZero) {
  SetRows({"abc\r", "def\r"});
  for (int metric : {0, -3}) {
    edit->FCharStep = metric;
    edit->FRowHeight = metric;
    TPoint p = edit->MouseToCell(edit->FTextLeft + 5, edit->FTextTop + 1);
    EXPECT_EQ(p.x, 8) << metric;
    EXPECT_EQ(p.y, 1) << metric;
    Hover(edit->FTextLeft + 5, edit->FTextTop + 1);  // the idle hit test too
  }
}

// ---------------------------------------------------------------------------
// Hit zones.

TEST_F(MouseTest, HitZonesSetTheCursorAtTheirExactBoundaries) {
  SetRows({"abc\r", "def\r", "ghi\r"}, {0, 4, 0}, {80, 20, 80});
  const int L = edit->FTextLeft, T = edit->FTextTop;
  const int R = edit->FTextRect.Right, B = edit->FTextRect.Bottom;
  const TCursor kUnset = crHourGlass;  // stands for "whatever was there"
  struct Case {
    const char* name;
    int x, y;
    bool rowSel;
    TCursor expected;
  } cases[] = {
      {"left edge", 0, Y(1), false, crDefault},
      {"margin just inside", 1, Y(1), false, kRowCursor},
      {"margin at the text's left", L, Y(1), false, kRowCursor},
      {"text just right of the margin", L + 1, Y(1), false, crIBeam},
      {"text at the right", R - 1, Y(1), false, crIBeam},
      {"right edge", R, Y(1), false, crDefault},
      {"top edge", X(3), 0, false, crDefault},
      {"ruler just inside", X(3), 1, false, crDefault},
      {"ruler at the text's top", X(3), T, false, crDefault},
      {"text just below the ruler", X(3), T + 1, false, crIBeam},
      {"text at the bottom", X(3), B - 1, false, crIBeam},
      {"bottom edge", X(3), B, false, crDefault},
      {"corner: unchanged", L, T, false, kUnset},
      {"corner inside: unchanged", 1, 1, false, kUnset},
      {"ruler on the first selected row's wrap column", X(20), RulerY(), true, crSizeWE},
      {"ruler on its indent", X(4), RulerY(), true, crSizeWE},
      {"ruler beside the wrap column", X(19), RulerY(), true, crDefault},
      {"ruler beside the indent", X(5), RulerY(), true, crDefault},
      {"another row's wrap column", X(80), RulerY(), true, crDefault},
      {"a row's marks without a row selection", X(20), RulerY(), false, crDefault},
  };
  for (const Case& c : cases) {
    if (c.rowSel) {
      edit->FSelArea->PutStartRow(1);
      edit->FSelArea->PutEndRow(2);
    } else {
      edit->FSelArea->RowReset();
    }
    edit->SetCursor(kUnset);
    Hover(c.x, c.y);
    EXPECT_EQ(edit->GetCursor(), c.expected) << c.name;
  }
}

TEST_F(MouseTest, TheWidgetShowsTheZonesCursor) {
  SetRows({"abc\r"});
  Hover(X(1), Y(0));
  EXPECT_EQ(edit->GetWidget()->cursor().shape(), Qt::IBeamCursor);
  Hover(MarginX(), Y(0));
  EXPECT_EQ(edit->GetWidget()->cursor().shape(), Qt::BitmapCursor);  // "RevCursor"
  Hover(0, Y(0));
  EXPECT_FALSE(edit->GetWidget()->testAttribute(Qt::WA_SetCursor));  // the parent's arrow
}

TEST_F(MouseTest, NoHitTestWhileDragging) {
  SetRows({"abc\r", "def\r"});
  Hover(X(1), Y(0));
  Down(X(1), Y(0));
  Drag(MarginX(), Y(1));  // the margin, button held
  EXPECT_EQ(edit->GetCursor(), crIBeam);
  Up(MarginX(), Y(1));
  Hover(MarginX(), Y(1));
  EXPECT_EQ(edit->GetCursor(), kRowCursor);
}

// ---------------------------------------------------------------------------
// Character selection.

TEST_F(MouseTest, ClickPlacesTheCaretAndCollapsesTheSelection) {
  struct Case {
    const char* name;
    int col, row;
    TPoint caret, points;
  } cases[] = {
      {"right of a row's end: caret at the click, points at the end", 10, 0, {10, 0}, {4, 0}},
      {"on the second byte of a character: its first byte", 2, 1, {1, 1}, {1, 1}},
      {"on the first byte", 1, 1, {1, 1}, {1, 1}},
      {"on a single byte", 3, 1, {3, 1}, {3, 1}},
      {"below the last row: the last row", 2, 9, {2, 2}, {2, 2}},
  };
  for (const Case& c : cases) {
    SetRows({"abc\r", "x" + kHira + "y\r", "tail"});
    edit->FSelArea->PutStartPoint(TPoint(0, 0));
    edit->FSelArea->PutEndPoint(TPoint(2, 0));
    edit->FSelArea->PutStartRow(0);
    edit->FSelArea->PutEndRow(1);
    Hover(X(c.col), Y(c.row));
    Down(X(c.col), Y(c.row));
    EXPECT_EQ(edit->FDragState, dmCharsSel) << c.name;
    Up(X(c.col), Y(c.row));
    EXPECT_EQ(edit->FDragState, dmNone) << c.name;
    ExpectPoint(edit->FCaret, c.caret.x, c.caret.y, c.name);
    ExpectPoint(edit->FSelArea->FStartPoint, c.points.x, c.points.y, c.name);
    ExpectPoint(edit->FSelArea->FEndPoint, c.points.x, c.points.y, c.name);
    EXPECT_FALSE(edit->FSelArea->isRowAble()) << c.name;
  }
}

TEST_F(MouseTest, ClickInTheTextCancelsAComposition) {
  SetRows({"abc\r"});
  QInputMethodEvent preedit(QString::fromUtf8("\xE3\x81\x82"), {});  // あ, being composed
  QApplication::sendEvent(edit->GetWidget(), &preedit);
  ASSERT_TRUE(ImeComposing(edit));
  Click(X(2), Y(0));
  EXPECT_FALSE(ImeComposing(edit));
  EXPECT_EQ(edit->GetLine(0), "abc\r");  // nothing was committed
  ExpectPoint(edit->FCaret, 2, 0, "caret");
}

TEST_F(MouseTest, ClickDropsACompositionThatTheInputMethodCommitsOnItsReset) {
  // fcitx5 hands the composition over as commit text inside the reset that
  // cancels it.
  SetRows({"abcdef\r"});
  const QString shown = QString::fromUtf8("にほんご");
  InputMethodResetHook = [&] {
    QInputMethodEvent commit;
    commit.setCommitString(shown);
    QApplication::sendEvent(edit->GetWidget(), &commit);
  };
  QInputMethodEvent preedit(shown, {});
  QApplication::sendEvent(edit->GetWidget(), &preedit);
  ASSERT_TRUE(ImeComposing(edit));
  Click(X(4), Y(0));
  InputMethodResetHook = nullptr;
  EXPECT_FALSE(ImeComposing(edit));
  EXPECT_EQ(edit->GetLine(0), "abcdef\r");
  ExpectPoint(edit->FCaret, 4, 0, "caret");
}

TEST_F(MouseTest, ShiftClickExtendsFromTheCaretWhichStays) {
  SetRows({"abcdef\r", "ghijkl\r", "mnopqr\r"});
  Click(X(1), Y(0));
  EXPECT_EQ(selects, 0);
  Click(X(4), Y(2), MK_SHIFT);
  ExpectPoint(edit->FSelArea->GetStartPoint(), 1, 0, "start");
  ExpectPoint(edit->FSelArea->GetEndPoint(), 4, 2, "end");
  ExpectPoint(edit->FCaret, 1, 0, "caret");
  EXPECT_EQ(selects, 1);
  // A plain click collapses it again.
  Click(X(2), Y(1));
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_EQ(disselects, 1);
}

TEST_F(MouseTest, CharacterDragFollowsTheMouse) {
  SetRows({"abcdefgh\r", "ij" + kHira + "klmn\r", "opqrstuv\r"});
  Hover(X(2), Y(0));
  Down(X(2), Y(0));
  Drag(X(5), Y(0));
  ExpectPoint(edit->FSelArea->FEndPoint, 5, 0, "end in the row");
  ExpectPoint(edit->FCaret, 5, 0, "caret in the row");
  // Within a row only the strip between the old and the new end is drawn.
  EXPECT_EQ(edit->FPaintRect.Left, LineX(2));
  EXPECT_EQ(edit->FPaintRect.Right, LineX(5));
  EXPECT_EQ(edit->FPaintRect.Top, Y(0) - edit->FRowHeight / 2);
  Drag(X(3), Y(1));  // the second byte of あ
  ExpectPoint(edit->FSelArea->FEndPoint, 2, 1, "end on the character's first byte");
  ExpectPoint(edit->FCaret, 2, 1, "caret on the character's first byte");
  Send(WM_MOUSEMOVE, X(6), Y(2), 0);  // no button: nothing
  ExpectPoint(edit->FCaret, 2, 1, "moves without the button");
  Drag(X(30), Y(2));  // right of the row's end
  ExpectPoint(edit->FSelArea->FEndPoint, 9, 2, "end aligned to the row");
  ExpectPoint(edit->FCaret, edit->FMaxRowLen, 2, "caret at the mouse, up to the longest row");
  Up(X(30), Y(2));
  EXPECT_EQ(edit->FDragState, dmNone);
  ExpectPoint(edit->FSelArea->GetStartPoint(), 2, 0, "selection start");
  ExpectPoint(edit->FSelArea->GetEndPoint(), 9, 2, "selection end");
  EXPECT_EQ(selects, 1);
}

TEST_F(MouseTest, CharacterDragScrollsWhileHeldOutside) {
  std::vector<std::string> rows(100, "abcdefghij\r");
  SetRows(rows);
  const int last = 99;
  const int B = edit->FTextRect.Bottom;

  // Below the text: one step at once, then on until the last row.
  Hover(X(1), Y(1));
  Down(X(1), Y(1));
  Drag(X(1), B + 4 * edit->FRowHeight);  // four rows a step
  EXPECT_GT(edit->FTopLine, 0);
  ExpectPoint(edit->FCaret, edit->FSelArea->FEndPoint.x, edit->FSelArea->FEndPoint.y, "caret follows the end");
  EXPECT_TRUE(PumpUntil([&] { return edit->FSelArea->FEndPoint.y == last; }));
  Up(X(1), B + 4 * edit->FRowHeight);
  ExpectPoint(edit->FCaret, edit->FSelArea->FEndPoint.x, last, "caret at the end");

  // Above the text, from row 55 of a view scrolled to row 50.
  SetRows(rows);
  edit->FTopLine = 50;
  edit->Paint();
  Hover(X(1), Y(55));
  Down(X(1), Y(55));
  Drag(X(1), -4 * edit->FRowHeight);
  EXPECT_LT(edit->FTopLine, 50);
  EXPECT_TRUE(PumpUntil([&] { return edit->FTopLine == 0 && edit->FSelArea->GetStartPoint().y == 0; }));
  Up(X(1), -4 * edit->FRowHeight);
  EXPECT_EQ(edit->FCaret.y, 0);

  // Right of the text on long rows, then left of it.
  SetRows(std::vector<std::string>(5, std::string(300, 'w') + "\r"));
  Hover(X(1), Y(0));
  Down(X(1), Y(0));
  const int right = edit->FTextRect.Right + 8 * edit->FCharStep;
  Drag(right, Y(0));
  EXPECT_GT(edit->FLeftCol, 0);
  ExpectPoint(edit->FCaret, edit->FSelArea->FEndPoint.x, 0, "caret follows the end rightwards");
  EXPECT_TRUE(PumpUntil([&] { return edit->FSelArea->FEndPoint.x >= edit->FMaxRowLen; }));
  Up(right, Y(0));
  ExpectPoint(edit->FCaret, edit->FSelArea->FEndPoint.x, 0, "caret at the end rightwards");

  edit->FLeftCol = 100;
  edit->Paint();
  Hover(X(120), Y(1));
  Down(X(120), Y(1));
  const int left = -8 * edit->FCharStep;
  Drag(left, Y(1));
  EXPECT_LT(edit->FLeftCol, 100);
  EXPECT_TRUE(PumpUntil([&] { return edit->FLeftCol == 0 && edit->FSelArea->FEndPoint.x == 0; }));
  Up(left, Y(1));
  ExpectPoint(edit->FCaret, 0, 1, "caret at the row start");
}

TEST_F(MouseTest, AutoScrollStopsAtTheRelease) {
  SetRows(std::vector<std::string>(200, "abc\r"));
  Hover(X(1), Y(1));
  Down(X(1), Y(1));
  Drag(X(1), edit->FTextRect.Bottom + edit->FRowHeight);
  Up(X(1), edit->FTextRect.Bottom + edit->FRowHeight);
  const int top = edit->FTopLine;
  PumpFor(200);
  EXPECT_EQ(edit->FTopLine, top);
  EXPECT_LT(edit->FSelArea->FEndPoint.y, 199);
}

// ---------------------------------------------------------------------------
// Row selection.

TEST_F(MouseTest, MarginClicksSelectRows) {
  SetRows({"a\r", "b\r", "c\r", "d\r", "e\r", "f"});
  struct Step {
    const char* name;
    int row;
    uintptr_t keys;
    bool resetFirst;
    int first, last;
  } steps[] = {
      {"a click selects its row", 1, 0, false, 1, 1},
      {"Shift extends the row selection", 3, MK_SHIFT, false, 1, 3},
      {"Shift extends it back above its start", 0, MK_SHIFT, false, 0, 1},
      {"Shift without a row selection: the row alone", 4, MK_SHIFT, true, 4, 4},
      {"below the last row: the last row", 40, 0, false, 5, 5},
  };
  for (const Step& s : steps) {
    if (s.resetFirst) edit->FSelArea->RowReset();
    edit->FSelArea->PutStartPoint(TPoint(0, 0));
    edit->FSelArea->PutEndPoint(TPoint(1, 0));
    const int y = s.row < 6 ? Y(s.row) : edit->FTextRect.Bottom - 2;
    Click(MarginX(), y, s.keys);
    EXPECT_EQ(edit->FSelArea->GetStartRow(), s.first) << s.name;
    EXPECT_EQ(edit->FSelArea->GetEndRow(), s.last) << s.name;
    EXPECT_FALSE(edit->FSelArea->isPointAble()) << s.name;
    // The caret lands at the start of the row after the selection.
    ExpectPoint(edit->FCaret, 0, s.last + 1, s.name);
  }
  EXPECT_EQ(edit->GetCursor(), kRowCursor);
}

TEST_F(MouseTest, RowDragFollowsTheMouse) {
  SetRows({"a\r", "b\r", "c\r", "d\r", "e\r", "f\r"}, {0, 2, 6, 0, 0, 0}, {80, 40, 30, 80, 80, 80});
  Hover(MarginX(), Y(1));
  Down(MarginX(), Y(1));
  Drag(MarginX(), Y(4));
  EXPECT_EQ(edit->FSelArea->GetStartRow(), 1);
  EXPECT_EQ(edit->FSelArea->GetEndRow(), 4);
  EXPECT_EQ(edit->FSelArea->FMaxIndent, 6);
  EXPECT_EQ(edit->FSelArea->FMinWrapPos, 30);
  Drag(X(3), Y(0));  // over the text: still whole rows
  EXPECT_EQ(edit->FSelArea->GetStartRow(), 0);
  EXPECT_EQ(edit->FSelArea->GetEndRow(), 1);
  EXPECT_EQ(edit->GetCursor(), kRowCursor);
  Send(WM_MOUSEMOVE, MarginX(), Y(5), 0);  // no button: nothing
  EXPECT_EQ(edit->FSelArea->GetEndRow(), 1);
  Up(MarginX(), Y(0));
  ExpectPoint(edit->FCaret, 0, 2, "caret after the selection");
  EXPECT_EQ(edit->FDragState, dmNone);

  // A second drag starts afresh at its own row.
  Hover(MarginX(), Y(3));
  Down(MarginX(), Y(3));
  Drag(MarginX(), Y(5));
  EXPECT_EQ(edit->FSelArea->GetStartRow(), 3);
  EXPECT_EQ(edit->FSelArea->GetEndRow(), 5);
  Up(MarginX(), Y(5));
  ExpectPoint(edit->FCaret, 0, 6, "after the last row: the row count");
}

TEST_F(MouseTest, RowDragScrollsBelowTheTextByAccelRateRows) {
  SetRows(std::vector<std::string>(100, "r\r"));
  const int rows = edit->GetDspRowCount();
  const int B = edit->FTextRect.Bottom;
  Hover(MarginX(), Y(2));
  Down(MarginX(), Y(2));
  Drag(MarginX(), B + 3 * edit->FRowHeight);
  // The first step: AccelRate rows beyond the bottom edge of the view.
  EXPECT_EQ(edit->FSelArea->GetEndRow(), (B + edit->GetAccelRate() * edit->FRowHeight - edit->FTextTop) / edit->FRowHeight);
  EXPECT_GT(edit->FTopLine, 0);
  EXPECT_TRUE(PumpUntil([&] { return edit->FSelArea->GetEndRow() == 99; }));
  EXPECT_GE(edit->FTopLine + rows, 99);
  Up(MarginX(), B + 3 * edit->FRowHeight);
  ExpectPoint(edit->FCaret, 0, 100, "caret after the last row");

  // And above it, back to the first row.
  Hover(MarginX(), Y(edit->FTopLine + 3));
  Down(MarginX(), Y(edit->FTopLine + 3));
  Drag(MarginX(), -3 * edit->FRowHeight);
  EXPECT_TRUE(PumpUntil([&] { return edit->FTopLine == 0 && edit->FSelArea->GetStartRow() == 0; }));
  Up(MarginX(), -3 * edit->FRowHeight);
}

// ---------------------------------------------------------------------------
// Wrap-column and indent drags.

TEST_F(MouseTest, WrapColumnDragStopsAtTheIndentAndUndoesInOneStep) {
  const std::vector<std::string> rows = {"aaa\r", std::string(20, 'b') + "\r", "ccc\r", "dd\r", ""};
  SetRows(rows, {0, 4, 0, 30});
  SelectRows(0, 2);
  Hover(X(80), RulerY());
  ASSERT_EQ(edit->GetCursor(), crSizeWE);
  Down(X(80), RulerY());
  EXPECT_EQ(edit->FDragState, dmFoldColSel);
  Drag(X(40), RulerY());
  EXPECT_EQ(edit->FSelArea->FDragCol, 40);
  Drag(X(3), RulerY());
  EXPECT_EQ(edit->FSelArea->FDragCol, 12);  // largest selected indent + 8
  Up(X(3), RulerY());
  EXPECT_EQ(edit->FDragState, dmNone);
  // The long row is refolded at its new wrap column (indent 4: 8 cells of
  // text per row), the selection grown with it.
  const std::vector<std::string> folded = {"aaa\r", "bbbbbbbb", "bbbbbbbb", "bbbb\r", "ccc\r", "dd\r", ""};
  EXPECT_EQ(Texts(), folded);
  EXPECT_EQ(Wraps(), (std::vector<int>{12, 12, 12, 12, 12, 80, 80}));
  EXPECT_EQ(edit->FSelArea->GetEndRow(), 4);

  edit->Undo();  // one step: the wrap columns and the refold
  EXPECT_EQ(Texts(), rows);
  EXPECT_EQ(Wraps(), (std::vector<int>{80, 80, 80, 80, 80}));
  edit->Redo();
  EXPECT_EQ(Texts(), folded);
  EXPECT_EQ(Wraps(), (std::vector<int>{12, 12, 12, 12, 12, 80, 80}));
}

TEST_F(MouseTest, IndentDragKeepsEveryRowWithinItsLimits) {
  struct Case {
    const char* name;
    int dragTo;  // column the mouse is dragged to (-1: left of the text)
    uintptr_t keys;
    std::vector<int> indents;
  } cases[] = {
      // Smallest selected wrap column 20: the line stops at 12.
      {"moved by the same distance, each within its own wrap column - 8", 30, 0, {12, 16, 10, 0}},
      {"with Shift every row gets the column, within its wrap column - 8", 30, MK_SHIFT, {12, 12, 12, 0}},
      {"moved left, never below 0", 1, 0, {1, 9, 0, 0}},
      {"left of the text", -1, 0, {0, 8, 0, 0}},
  };
  for (const Case& c : cases) {
    SetRows({"aaa\r", "bbb\r", "ccc\r", "ddd\r"}, {2, 10, 0, 0}, {80, 24, 20, 80});
    SelectRows(0, 2);
    Hover(X(2), RulerY());
    ASSERT_EQ(edit->GetCursor(), crSizeWE) << c.name;
    Down(X(2), RulerY(), c.keys);
    EXPECT_EQ(edit->FDragState, dmIndent) << c.name;
    const int x = c.dragTo < 0 ? MarginX() : X(c.dragTo);
    Drag(x, RulerY(), c.keys);
    EXPECT_LE(edit->FSelArea->FDragCol, 12) << c.name;
    Up(x, RulerY(), c.keys);
    EXPECT_EQ(Indents(), c.indents) << c.name;
    edit->Undo();
    EXPECT_EQ(Indents(), (std::vector<int>{2, 10, 0, 0})) << c.name;
  }
}

// A click on a mark without any move once applied the clicked column as it
// was, beyond the limits the moves keep.
TEST_F(MouseTest, ClickOnAMarkWithoutMovingKeepsTheLimits) {
  SetRows({"aaa\r", "bbb\r", ""}, {0, 16}, {20, 60});
  SelectRows(0, 1);
  Hover(X(20), RulerY());
  Down(X(20), RulerY());
  Up(X(20), RulerY());
  EXPECT_EQ(Wraps(), (std::vector<int>{24, 24, 80}));  // room for the indent of 16

  for (uintptr_t keys : {uintptr_t{0}, MK_SHIFT}) {
    SetRows({"aaa\r", ""}, {12}, {20});
    SelectRows(0, 0);
    Hover(X(12), RulerY());  // the indent mark, at its wrap column - 8
    Down(X(15), RulerY(), keys);
    EXPECT_EQ(edit->FDragState, dmIndent);
    Up(X(15), RulerY(), keys);
    EXPECT_EQ(Indents(), (std::vector<int>{12, 0})) << keys;
  }
}

TEST_F(MouseTest, ReadOnlyMovesTheLineButAppliesNothing) {
  SetRows({"aaa\r", "bbb\r"});
  SelectRows(0, 1);
  edit->SetReadOnly(true);
  const int records = edit->FUndoBuff->FPos;
  const int group = edit->FUndoGroup;
  Hover(X(80), RulerY());
  Down(X(80), RulerY());
  Drag(X(50), RulerY());
  EXPECT_EQ(edit->FSelArea->FDragCol, 50);
  Up(X(50), RulerY());
  EXPECT_EQ(Wraps(), (std::vector<int>{80, 80}));
  EXPECT_EQ(edit->FUndoBuff->FPos, records);
  EXPECT_EQ(edit->FUndoGroup, group);
  EXPECT_EQ(edit->FDragState, dmNone);
}

TEST_F(MouseTest, DragLineStandsUnderTheMouseAndLeavesNoTrace) {
  SetRows({"aaa\r", "bbb\r", ""});
  edit->FLeftCol = 10;
  edit->Paint();
  SelectRows(0, 1);
  edit->Paint();
  const std::vector<TColor> at80 = Column(LineX(80)), at60 = Column(LineX(60)), at50 = Column(LineX(50));

  // A press in the ruler beside the marks starts no drag and draws nothing.
  Hover(X(80), RulerY());
  ASSERT_EQ(edit->GetCursor(), crSizeWE);
  Down(X(50), RulerY());
  EXPECT_EQ(edit->FDragState, dmNone);
  EXPECT_EQ(Column(LineX(50)), at50);
  Up(X(50), RulerY());
  EXPECT_EQ(Column(LineX(50)), at50);

  Hover(X(80), RulerY());
  Down(X(80), RulerY());
  EXPECT_NE(Column(LineX(80)), at80);  // the line under the mouse
  Drag(X(60), RulerY());
  EXPECT_EQ(Column(LineX(80)), at80);  // erased without trace
  EXPECT_NE(Column(LineX(60)), at60);
  Drag(X(61), RulerY());
  EXPECT_EQ(Column(LineX(60)), at60);
  Up(X(61), RulerY());
  EXPECT_EQ(Wraps(), (std::vector<int>{61, 61, 80}));
}

// ---------------------------------------------------------------------------
// Double click.

TEST_F(MouseTest, DoubleClickSelectsAWordACharacterOrNothing) {
  struct Case {
    const char* name;
    int col, row;
    TPoint start, end;
    int onSelect;
  } cases[] = {
      {"first letter of a word with digits", 0, 0, {0, 0}, {5, 0}, 2},
      {"middle of the word", 2, 0, {0, 0}, {5, 0}, 2},
      {"last digit of the word", 4, 0, {0, 0}, {5, 0}, 2},
      {"a space: nothing", 5, 0, {5, 0}, {5, 0}, 0},
      {"first byte of a character", 1, 1, {1, 1}, {3, 1}, 2},
      {"second byte of a character", 2, 1, {1, 1}, {3, 1}, 2},
      {"a letter before a character", 0, 1, {0, 1}, {1, 1}, 2},
      {"a word split by a soft wrap, first part", 7, 2, {6, 2}, {2, 3}, 2},
      {"... second part", 0, 3, {6, 2}, {2, 3}, 2},
      {"a hard line end ends a word forwards", 3, 4, {0, 4}, {4, 4}, 2},
      {"... and backwards", 0, 5, {0, 5}, {4, 5}, 2},
  };
  for (const Case& c : cases) {
    SetRows({"abc12 xyz\r", "x" + kHira + "y\r", "hello wor", "ld next\r", "word\r", "next\r"});
    DoubleClick(X(c.col), Y(c.row));
    ExpectPoint(edit->FSelArea->GetStartPoint(), c.start.x, c.start.y, c.name);
    ExpectPoint(edit->FSelArea->GetEndPoint(), c.end.x, c.end.y, c.name);
    EXPECT_EQ(selects, c.onSelect) << c.name;
  }
}

TEST_F(MouseTest, DoubleClickSelectsARunOfEqualColumnAttributes) {
  SetRows({"abcdefgh\r"});
  TColAttrList* list = edit->GetColAttrs(0);
  for (int q = 2; q <= 4; ++q) {
    list->GetItem(q)->HasAttr = 1;
    list->GetItem(q)->Color = clRed;
  }
  list->GetItem(5)->HasAttr = 1;
  list->GetItem(5)->Color = clBlue;
  DoubleClick(X(3), Y(0));
  ExpectPoint(edit->FSelArea->GetStartPoint(), 2, 0, "run start");
  ExpectPoint(edit->FSelArea->GetEndPoint(), 5, 0, "run end");
}

TEST_F(MouseTest, DoubleClickWithTheCaretOnASecondByteSelectsItsCharacter) {
  SetRows({"ab" + kHira + "c\r"});
  edit->FCaret = TPoint(3, 0);
  Send(WM_LBUTTONDBLCLK, X(3), Y(0), MK_LBUTTON);
  ExpectPoint(edit->FSelArea->GetStartPoint(), 2, 0, "start");
  ExpectPoint(edit->FSelArea->GetEndPoint(), 4, 0, "end");
  EXPECT_EQ(selects, 1);
}

TEST_F(MouseTest, DoubleClickOutsideTheTextOnlyRunsTheDefault) {
  SetRows({"abc def\r"});
  int dbl = 0;
  edit->OnDblClick = [&](TObject*) { ++dbl; };
  edit->FCaret = TPoint(1, 0);
  Send(WM_LBUTTONDBLCLK, edit->GetLeftMgn() - 1, Y(0), MK_LBUTTON);
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  edit->FCaret = TPoint(1, 5);  // below the last row
  Send(WM_LBUTTONDBLCLK, X(1), Y(0), MK_LBUTTON);
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_EQ(dbl, 2);
}
