// The editor control as a created object: its property values after
// construction, the metrics it measures, the property write effects, Loaded,
// the keyword character set and the Text property.
#include <gtest/gtest.h>

#include <memory>

#include "EditProbe.h"
#include "platform/text/Cp932.h"

namespace {

class AfeditClass : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    form = std::make_unique<TForm>(nullptr);
    edit = new TEditProbe(form.get());
  }
  std::unique_ptr<TForm> form;
  TEditProbe* edit = nullptr;  // owned by the form
};

TEST_F(AfeditClass, StartsWithOneEmptyRowAndNothingToUndo) {
  EXPECT_EQ(edit->GetLinesCount(), 1);
  EXPECT_EQ(edit->GetLine(0), "");
  EXPECT_EQ(edit->FCaret, TPoint(0, 0));
  EXPECT_FALSE(edit->isEdited());
  EXPECT_EQ(edit->FDragState, dmNone);
  EXPECT_FALSE(edit->FSelArea->isPointAble());
  EXPECT_FALSE(edit->FSelArea->isRowAble());
  EXPECT_EQ(edit->FUndoBuff->PrevPop(), nullptr);

  // A control built in code gets no Loaded, yet Undo cannot take its only row.
  bool fired = false;
  edit->OnUndoChange = [&](TObject*, bool, bool) { fired = true; };
  edit->Undo();
  EXPECT_EQ(edit->GetLinesCount(), 1);
  EXPECT_FALSE(fired);
}

TEST_F(AfeditClass, ConstructorPropertyValues) {
  EXPECT_EQ(edit->GetAccelRate(), 2);
  EXPECT_EQ(edit->GetCharPich(), 0);
  EXPECT_EQ(edit->GetRowPich(), 2);
  EXPECT_EQ(edit->GetTabSize(), 4);
  EXPECT_EQ(edit->GetTopMgn(), 0);
  EXPECT_EQ(edit->GetDefWrapPos(), 60);
  EXPECT_EQ(edit->GetUndoMax(), -1);
  EXPECT_EQ(edit->GetWrapLeadBytes(), 10);
  EXPECT_EQ(edit->GetWrapTrailBytes(), 4);
  EXPECT_FALSE(edit->GetReadOnly());
  EXPECT_FALSE(edit->isEdited());
  EXPECT_EQ(edit->GetRowDspFmt(), "%5d:");
  EXPECT_EQ(edit->GetScrollBars(), ssBoth);
  EXPECT_EQ(edit->GetOptions(), TAFEditOptions{aoAutoFormat});
  EXPECT_EQ(edit->GetViewOpt().ToBits(), 0x3FF);
  EXPECT_FALSE(edit->GetViewOpt().Contains(voFoldMark));
  EXPECT_EQ(edit->GetText(), "");
  EXPECT_EQ(edit->GetKeywords()->Count(), 0);
  EXPECT_TRUE(edit->GetKeywordStyle().Empty());

  struct ColourCase {
    const char* name;
    TColor actual, expected;
  } colours[] = {
      {"ColColumnNo", edit->GetColColumnNo(), clWindowText},
      {"ColColumnIndi", edit->GetColColumnIndi(), clBtnFace},
      {"ColCr", edit->GetColCr(), clMaroon},
      {"Color", edit->GetColor(), clWindow},
      {"ColDependence", edit->GetDependenceColor(), static_cast<TColor>(0xFF00FF)},
      {"ColKeyWord", edit->GetKeywordColor(), clWindowText},
      {"ColLeftMgn", edit->GetColLeftMgn(), clWindow},
      {"ColRowNo", edit->GetColRowNo(), clWindowText},
      {"ColSelBrush", edit->GetColSelBrush(), clHighlight},
      {"ColSelText", edit->GetSelTextColor(), clHighlightText},
      {"Font", edit->Font->GetColor(), clWindowText},
  };
  for (const ColourCase& c : colours) EXPECT_EQ(c.actual, c.expected) << c.name;
  EXPECT_EQ(edit->Font->FamilyName(), "IPAGothic");
  EXPECT_EQ(edit->GetWidth(), 200);
  EXPECT_EQ(edit->GetHeight(), 100);
}

TEST_F(AfeditClass, LineBreakSetsAndDependenceCharacters) {
  EXPECT_EQ(edit->GetBanHead(),
            cp932::FromUtf8("、。，．？！゛゜…‥’”）〕］｝〉》」』】≫ぁぃぅぇぉっゃゅょァィゥェォッャュョ)]},.;:"));
  EXPECT_EQ(edit->GetBanHead().size(), 87u);
  EXPECT_EQ(edit->GetBanEnd(), cp932::FromUtf8("（［｛「〔《『【〈≪‘“({["));
  EXPECT_EQ(edit->GetBanEnd().size(), 27u);

  AnsiString dep = edit->GetDependenceChar();
  ASSERT_EQ(dep.size(), 166u);
  EXPECT_EQ(dep.substr(0, 4), "\x87\x8B\x87\x86");
  EXPECT_EQ(dep.substr(162), "\x87\x81\x87\x80");
  // Every defined code of 0x8740-0x879C once, the undefined ones never.
  std::vector<int> seen(0x879D - 0x8740, 0);
  for (size_t i = 0; i < dep.size(); i += 2) {
    int code = (static_cast<unsigned char>(dep[i]) << 8) | static_cast<unsigned char>(dep[i + 1]);
    ASSERT_GE(code, 0x8740);
    ASSERT_LE(code, 0x879C);
    ++seen[static_cast<size_t>(code - 0x8740)];
  }
  for (int code = 0x8740; code <= 0x879C; ++code) {
    bool undefined = code == 0x875E || (code >= 0x8776 && code <= 0x877D) || code == 0x877F;
    EXPECT_EQ(seen[static_cast<size_t>(code - 0x8740)], undefined ? 0 : 1) << std::hex << code;
  }
}

TEST_F(AfeditClass, MarksAndDrawingState) {
  EXPECT_EQ(edit->FFoldMark, "\x81\xA9");
  EXPECT_EQ(edit->FJSpaceMark, "\x81\xA0");
  EXPECT_EQ(edit->FTabFillChar, '-');
  EXPECT_EQ(edit->FTabChar, '>');
  EXPECT_EQ(edit->FIndentChar, '.');
  EXPECT_EQ(edit->FEofMark, "< ");
  EXPECT_EQ(edit->FCrMarkText, "");
  EXPECT_TRUE(edit->FInsertMode);
  EXPECT_TRUE(edit->FThumbTrack);
  EXPECT_EQ(edit->FMouseXOffset, 3);
  EXPECT_EQ(edit->FLastDragRow, -1);
  EXPECT_EQ(edit->FLeftCol, 0);
  EXPECT_EQ(edit->FTopLine, 0);
  EXPECT_FALSE(edit->FShiftDown);
  EXPECT_FALSE(edit->FVScrollShown);
  EXPECT_FALSE(edit->FHScrollShown);
  EXPECT_NE(edit->FCrResBmp, nullptr);
  EXPECT_FALSE(edit->FCrResBmp->Empty());  // the "CR" resource was loaded
}

TEST_F(AfeditClass, MeasuresTheFontIntoCellMetrics) {
  int h = edit->FTextHeight;
  EXPECT_GT(h, 0);
  EXPECT_EQ(edit->FCharWidth, (h + 1) / 2);
  EXPECT_EQ(edit->FCharStep, edit->FCharWidth);
  EXPECT_EQ(edit->FRowHeight, h + 2);
  // Row numbers: the margin is at least the width of the formatted 100.
  EXPECT_EQ(edit->GetLeftMgn(), 6 * edit->FCharStep);
  EXPECT_EQ(edit->FTextLeft, edit->GetLeftMgn());
  EXPECT_EQ(edit->FTextTop, edit->FRowHeight);  // the ruler row
  for (int i = 0; i < 40; ++i) EXPECT_EQ(edit->CharDx(40)[i], edit->FCharStep);
  EXPECT_EQ(edit->GetDspRowCount(), (edit->FTextRect.Bottom - edit->FTextTop) / edit->FRowHeight);
  EXPECT_EQ(edit->GetDspColCount(), (edit->FTextRect.Right - edit->FTextLeft) / edit->FCharStep);
}

TEST_F(AfeditClass, TwelvePixelFontKeepsALeftMarginOf36) {
  edit->Font->SetHeight(-12);
  edit->SetLeftMgn(36);
  EXPECT_EQ(edit->GetLeftMgn(), Max(36, 6 * edit->FCharStep));
  if (edit->FCharStep == 6) {
    EXPECT_EQ(edit->GetLeftMgn(), 36);
  }
  // Clearing the row numbers never shrinks the raised margin.
  edit->SetLeftMgn(0);
  int raised = edit->GetLeftMgn();
  EXPECT_EQ(raised, 6 * edit->FCharStep);
  TViewOptions v = edit->GetViewOpt();
  v >> voRowNum;
  edit->SetViewOpt(v);
  EXPECT_EQ(edit->GetLeftMgn(), raised);
}

TEST_F(AfeditClass, RemeasuringPropertiesTakeEffectAtOnce) {
  int h = edit->FTextHeight;
  edit->SetRowPich(5);
  EXPECT_EQ(edit->FRowHeight, h + 5);
  EXPECT_EQ(edit->FTextTop, h + 5);
  EXPECT_EQ(edit->GetDspRowCount(), (edit->FTextRect.Bottom - (h + 5)) / (h + 5));

  edit->SetTopMgn(7);
  EXPECT_EQ(edit->FTextTop, 7 + h + 5);
  edit->SetCharPich(3);
  EXPECT_EQ(edit->FCharStep, (h + 1) / 2 + 3);

  // Between BeginUpdate and EndUpdate the view set is only stored.
  edit->BeginUpdate();
  TViewOptions v = edit->GetViewOpt();
  v >> voColIndicate;
  edit->SetViewOpt(v);
  EXPECT_EQ(edit->GetViewOpt(), v);
  EXPECT_EQ(edit->FTextTop, 7 + h + 5);
  edit->EndUpdate();
  edit->MetricsUpdate(false);
  EXPECT_EQ(edit->FTextTop, 7);
}

TEST_F(AfeditClass, EachRemeasuringPropertyMovesTheTextOriginAtOnce) {
  const int h = edit->FTextHeight;
  const int step = (h + 1) / 2;
  struct Case {
    const char* name;
    void (*write)(TEditProbe*);
    int left, top, charStep, rowHeight;  // expected FTextLeft, FTextTop, FCharStep, FRowHeight
  } cases[] = {
      {"CharPich 3", [](TEditProbe* e) { e->SetCharPich(3); }, 6 * (step + 3), h + 2, step + 3, h + 2},
      {"RowPich 5", [](TEditProbe* e) { e->SetRowPich(5); }, 6 * step, h + 5, step, h + 5},
      {"LeftMgn 200", [](TEditProbe* e) { e->SetLeftMgn(200); }, 200, h + 2, step, h + 2},
      {"TopMgn 7", [](TEditProbe* e) { e->SetTopMgn(7); }, 6 * step, 7 + h + 2, step, h + 2},
      {"RowDspFmt %7d:", [](TEditProbe* e) { e->SetRowDspFmt("%7d:"); }, 8 * step, h + 2, step, h + 2},
      {"ViewOpt without ruler",
       [](TEditProbe* e) {
         TViewOptions v = e->GetViewOpt();
         v >> voColIndicate;
         e->SetViewOpt(v);
       },
       6 * step, 0, step, h + 2},
      // Properties that only store leave the metrics as they were.
      {"TabSize 8", [](TEditProbe* e) { e->SetTabSize(8); }, 6 * step, h + 2, step, h + 2},
      {"AccelRate 5", [](TEditProbe* e) { e->SetAccelRate(5); }, 6 * step, h + 2, step, h + 2},
  };
  for (const Case& c : cases) {
    auto* e = new TEditProbe(form.get());
    c.write(e);
    EXPECT_EQ(e->FTextLeft, c.left) << c.name;
    EXPECT_EQ(e->GetLeftMgn(), c.left) << c.name;
    EXPECT_EQ(e->FTextTop, c.top) << c.name;
    EXPECT_EQ(e->FCharStep, c.charStep) << c.name;
    EXPECT_EQ(e->FRowHeight, c.rowHeight) << c.name;
    EXPECT_EQ(e->GetDspColCount(), (e->FTextRect.Right - c.left) / c.charStep) << c.name;
    EXPECT_EQ(e->GetDspRowCount(), (e->FTextRect.Bottom - c.top) / c.rowHeight) << c.name;
    delete e;
  }
}

TEST_F(AfeditClass, PitchesNeverMakeARowOrCellEmpty) {
  struct Case {
    int rowPich, charPich;
  } cases[] = {{-1000, 0}, {0, -1000}, {-1000, -1000}};
  for (const Case& c : cases) {
    edit->SetRowPich(c.rowPich);
    edit->SetCharPich(c.charPich);
    EXPECT_GE(edit->FRowHeight, 1);
    EXPECT_GE(edit->FCharStep, 1);
    edit->GetDspRowCount();  // no division by zero
    edit->GetDspColCount();
    edit->MouseToCell(10, 10);
  }
  EXPECT_EQ(edit->GetRowPich(), -1000);  // the property keeps what was written
}

TEST_F(AfeditClass, OddFontHeightIsMeasuredThenDrawnEven) {
  TFont f;
  f.Assign(edit->Font);
  f.SetHeight(-13);
  edit->SetFont(&f);
  TCanvas probe;
  probe.Font->Assign(&f);
  EXPECT_EQ(edit->FTextHeight, probe.TextHeight("\x82\xA0"));
  EXPECT_EQ(edit->Font->GetHeight(), -13);
  EXPECT_EQ(edit->Canvas->Font->GetHeight(), -12);
}

TEST_F(AfeditClass, AuxiliaryFontsFollowTheControlFontButKeepTheirColours) {
  edit->SetKeyWordColor(clRed);
  edit->SetKeyWordStyle(TFontStyles{fsBold});
  edit->SetSelTextColor(clYellow);
  TFont f;
  f.Assign(edit->Font);
  f.SetHeight(-20);
  edit->SetFont(&f);
  EXPECT_EQ(edit->GetKeywordColor(), clRed);
  EXPECT_TRUE(edit->GetKeywordStyle().Contains(fsBold));
  EXPECT_EQ(edit->GetSelTextColor(), clYellow);
  EXPECT_EQ(edit->GetDependenceColor(), static_cast<TColor>(0xFF00FF));
  EXPECT_EQ(edit->FKeywordFont->GetHeight(), -20);
  EXPECT_EQ(edit->FSelFont->GetHeight(), -20);
}

TEST_F(AfeditClass, DefWrapPosMovesOnlyRowsAtTheOldDefault) {
  edit->AddLine("b\r");
  edit->AddLine("c\r");
  edit->SetWrapPos(1, 40);
  edit->SetDefWrapPos(80);
  EXPECT_EQ(edit->GetDefWrapPos(), 80);
  EXPECT_EQ(edit->GetWrapPos(0), 80);
  EXPECT_EQ(edit->GetWrapPos(1), 40);
  EXPECT_EQ(edit->GetWrapPos(2), 80);
}

TEST_F(AfeditClass, ColorKeepsRowsWithTheirOwnBackground) {
  edit->AddLine("b\r");
  edit->GetLinesAttr(1)->BackColor = clYellow;
  edit->SetColor(clSilver);
  EXPECT_EQ(edit->GetColor(), clSilver);
  EXPECT_EQ(edit->GetLinesAttr(0)->BackColor, clSilver);
  EXPECT_EQ(edit->GetLinesAttr(1)->BackColor, clYellow);
  EXPECT_EQ(edit->MakeAttr(true, 0, 60).BackColor, clSilver);
}

TEST_F(AfeditClass, MakeAttrGivesAFreshRecord) {
  TAttrListItem a = edit->MakeAttr(true, 70000, -3);
  EXPECT_EQ(a.TextColor, edit->Font->GetColor());
  EXPECT_EQ(a.BackColor, edit->GetColor());
  EXPECT_EQ(a.Indent, static_cast<std::int16_t>(70000));  // cut to 16 bits
  EXPECT_EQ(a.WrapPos, -3);
  EXPECT_EQ(a.Reserved, 0);
  EXPECT_TRUE(a.Style.Empty());
  EXPECT_EQ(a.Changed, 1);
  EXPECT_EQ(a.ColAttrs, nullptr);
  EXPECT_EQ(edit->MakeAttr(false, 0, 0).Changed, 0);
}

TEST_F(AfeditClass, ColumnListsAreMadeOnDemandAndFreedByTheRow) {
  edit->SetLine(0, "1234567");
  EXPECT_EQ(edit->GetLinesAttr(0)->ColAttrs, nullptr);
  TColAttrList* cols = edit->GetColAttrs(0);
  ASSERT_NE(cols, nullptr);
  EXPECT_EQ(cols->Count(), 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(cols->GetItem(i)->HasAttr, 0);
  EXPECT_EQ(edit->GetColAttrs(0), cols);  // the same list again, not rebuilt
  edit->ColAttrFree(0);
  EXPECT_EQ(edit->GetLinesAttr(0)->ColAttrs, nullptr);
  edit->ColAttrFree(0);  // nothing to free
  EXPECT_EQ(edit->GetObject(0), nullptr);
  EXPECT_EQ(edit->GetColAttrs(5)->Count(), 0);  // a row past the text
}

TEST_F(AfeditClass, KeywordBytesJoinTheWordCharacters) {
  TStringList words;
  words.Add("xy");
  words.Add("\x93\xFA\x96\x7B");  // 日本
  edit->SetKeyWords(&words);
  EXPECT_EQ(edit->GetKeywords()->Count(), 2);
  std::bitset<256> expected;
  for (int c = 'A'; c <= 'Z'; ++c) expected.set(static_cast<size_t>(c));
  for (int c = 'a'; c <= 'z'; ++c) expected.set(static_cast<size_t>(c));
  for (int b : {0x93, 0xFA, 0x96, 0x7B}) expected.set(static_cast<size_t>(b));
  EXPECT_EQ(edit->FWordChars, expected);
  EXPECT_EQ(edit->FWordChars.count(), 56u);

  edit->GetKeywords()->Add("1-");  // any change of the list rebuilds the set
  EXPECT_TRUE(edit->FWordChars.test('1'));
  EXPECT_TRUE(edit->FWordChars.test('-'));
  edit->GetKeywords()->Clear();
  EXPECT_EQ(edit->FWordChars.count(), 52u);
}

TEST_F(AfeditClass, TextJoinsRowsWithCrLfAfterHardLineEnds) {
  edit->SetLine(0, "ab");
  edit->AddLine("c\r");
  edit->AddLine("");
  EXPECT_EQ(edit->GetText(), "abc\r\n");
  edit->SetText("one\r\ntwo");
  EXPECT_EQ(edit->GetLinesCount(), 2);
  EXPECT_EQ(edit->GetText(), "one\r\ntwo");
  EXPECT_FALSE(edit->isEdited());
}

TEST_F(AfeditClass, LoadedResetsHistoryAndReportsIt) {
  std::vector<std::pair<bool, bool>> reports;
  edit->OnUndoChange = [&](TObject*, bool u, bool r) { reports.push_back({u, r}); };
  BeginFormLoad(form.get());
  edit->SetDefWrapPos(80);
  edit->SetLeftMgn(36);
  EndFormLoad(form.get());
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.front(), std::make_pair(false, false));
  EXPECT_EQ(edit->GetLinesCount(), 1);
  EXPECT_EQ(edit->FUndoBuff->PrevPop(), nullptr);
  EXPECT_EQ(edit->FCaret, TPoint(0, 0));
  EXPECT_FALSE(edit->ComponentState().Contains(csLoading));
}

TEST_F(AfeditClass, FontColourChangesRecolourRowsOfTheLastColour) {
  edit->AddLine("b\r");
  edit->GetLinesAttr(1)->TextColor = clGreen;  // a row with a colour of its own
  TFont f;
  f.Assign(edit->Font);
  f.SetColor(clNavy);
  edit->SetFont(&f);  // the old colour is seen first
  edit->SetFont(edit->Font);
  EXPECT_EQ(LastFontColor, clNavy);
  EXPECT_EQ(edit->GetLinesAttr(0)->TextColor, clNavy);
  EXPECT_EQ(edit->GetLinesAttr(1)->TextColor, clGreen);
}

TEST_F(AfeditClass, FontChangesRemeasureExceptWhileLoading) {
  int before = edit->FTextHeight;
  edit->Font->SetHeight(-24);
  EXPECT_GT(edit->FTextHeight, before);
  BeginFormLoad(form.get());
  edit->Font->SetHeight(-12);
  int whileLoading = edit->FTextHeight;
  EndFormLoad(form.get());  // Loaded measures the font the form set
  EXPECT_GT(whileLoading, edit->FTextHeight);
}

TEST_F(AfeditClass, PublishesTheLibraryPropertiesAsTheFormSetsThem) {
  // The reference pane's form values, through the published properties.
  TAFEdit& e = *edit;
  BeginFormLoad(form.get());
  e.SetName("AFEdit1");
  e.SetReadOnly(true);
  e.SetHint("参照画面");
  e.SetAlign(alClient);
  e.SetWheelAccumulator(0);
  e.SetAccelRate(1);
  e.SetDefWrapPos(80);
  e.SetLeftMgn(36);
  e.SetTabStop(true);
  e.SetImeMode(imDontCare);
  e.SetCtl3D(true);
  e.SetBevelKind(bkNone);
  e.SetDragKind(dkDrag);
  EndFormLoad(form.get());
  EXPECT_EQ(e.GetName(), "AFEdit1");
  EXPECT_TRUE(e.GetReadOnly());
  EXPECT_EQ(e.GetHint(), "参照画面");
  EXPECT_EQ(e.GetAlign(), alClient);
  EXPECT_EQ(e.GetWheelAccumulator(), 0);
  EXPECT_EQ(e.GetAccelRate(), 1);
  EXPECT_EQ(e.GetDefWrapPos(), 80);
  EXPECT_EQ(e.GetWrapPos(0), 80);
  EXPECT_GE(e.GetLeftMgn(), 36);
  EXPECT_TRUE(e.GetTabStop());
  // The library's own drag mode is distinct from the control's drag state.
  EXPECT_EQ(e.GetDragMode(), dmManual);
  EXPECT_EQ(edit->FDragState, dmNone);
}

TEST(AfeditConstruction, OwnerMustBeAWindowedControl) {
  TestApp();
  TComponent owner(nullptr);
  EXPECT_THROW(TAFEdit edit(&owner), EInvalidCast);
}

TEST(AfeditConstruction, RegistersOnTheSamplesPage) {
  Afedit::Register();
  Afedit::Register();
  int found = 0;
  for (const auto& c : Afedit::RegisteredComponents())
    if (c.ClassName == "TAFEdit") {
      ++found;
      EXPECT_EQ(c.Page, "Samples");
    }
  EXPECT_EQ(found, 1);
}

// ---------------------------------------------------------------------------

TEST(RowNumberFormat, OnlyLiteralTextAndOneIntegerField) {
  struct Case {
    const char* format;
    int number;
    const char* expected;
  } cases[] = {
      {"%5d:", 1, "    1:"},
      {"%5d:", 100, "  100:"},
      {"%5d:", 123456, "123456:"},
      {"%-5d|", 42, "42   |"},
      {"%05d", 42, "00042"},
      {"%+d", 7, "+7"},
      {"% d", 7, " 7"},
      {"%d", -3, "-3"},
      {"No.%d", 9, "No.9"},
      {"%%%d", 5, "%5"},
      {"%s%n%x", 5, "%s%n%x"},   // other conversions are literal text
      {"%d-%d", 5, "5-%d"},      // only the first field is filled
      {"%", 5, "%"},
      {"%5", 5, "%5"},
      {"", 5, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatRowNumber(c.format, c.number), c.expected) << c.format;
  EXPECT_EQ(FormatRowNumber("%999999999d", 1).size(), 255u);  // widths are capped
}

}  // namespace
