// Row texts shared between two controls and the undo records: a control that
// takes another's loaded text ends as a load would leave it, and no edit,
// undo or clearing of one holder ever shows in another.
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "tests/editor/RowsFixture.h"

namespace {

const char kFile[] = "first row\r\n\x82\xa0\x82\xa2\x82\xa4 kana row\r\n\r\na longer row of the text that wraps\r\nlast";

class SharedRowsTest : public RowsTest {
 protected:
  void SetUp() override {
    RowsTest::SetUp();
    other = new TEditProbe(form.get());  // owned by the form
    other->SetBounds(0, 0, 500, 300);
    other->SetDefWrapPos(40);
    TStringStream stream(kFile);
    edit->LoadFromStream(&stream, TConvMode());
  }
  static Rows RowsOf(TEditProbe* e) {
    Rows out;
    for (int i = 0; i < e->GetLinesCount(); ++i) out.push_back(e->GetLine(i));
    return out;
  }

  TEditProbe* other = nullptr;
};

TEST_F(SharedRowsTest, TakingALoadedTextEndsAsLoadingItDoes) {
  other->LoadFromEdit(edit);

  auto* loaded = new TEditProbe(form.get());
  loaded->SetDefWrapPos(40);
  TStringStream stream(kFile);
  loaded->LoadFromStream(&stream, TConvMode());

  ASSERT_EQ(RowsOf(other), RowsOf(loaded));
  EXPECT_EQ(other->FMaxRowLen, loaded->FMaxRowLen);
  for (int r = 0; r < other->GetLinesCount(); ++r) {
    const TAttrListItem* a = other->GetLinesAttr(r);
    const TAttrListItem* b = loaded->GetLinesAttr(r);
    EXPECT_EQ(a->WrapPos, 40) << r;  // the taking control's own records
    EXPECT_EQ(a->WrapPos, b->WrapPos) << r;
    EXPECT_EQ(a->Indent, b->Indent) << r;
    EXPECT_EQ(a->TextColor, b->TextColor) << r;
    EXPECT_EQ(a->BackColor, b->BackColor) << r;
    EXPECT_EQ(a->Changed, b->Changed) << r;
    EXPECT_EQ(a->ColAttrs, nullptr) << r;
    // Shared, not copied.
    EXPECT_EQ(other->FLines->Get(r).c_str(), edit->FLines->Get(r).c_str()) << r;
  }
  EXPECT_EQ(other->FCaret, TPoint(0, 0));
  EXPECT_EQ(other->FUndoBuff->FPos, 0);
  EXPECT_FALSE(other->isEdited());
}

TEST_F(SharedRowsTest, AnEditOfOneControlNeverShowsInTheOtherAndUndoRestoresItsBytes) {
  struct Edit {
    const char* name;
    std::function<void(TEditProbe*)> apply;
  };
  const Edit edits[] = {
      {"SetLine", [](TEditProbe* e) { e->SetLine(1, "changed\r"); }},
      {"typed text", [](TEditProbe* e) {
         e->FCaret = TPoint(2, 1);
         e->KeyInput("XY");
       }},
      {"InsertLine", [](TEditProbe* e) { e->InsertLine(0, "new\r"); }},
      {"DelLine", [](TEditProbe* e) { e->DelLine(1); }},
      {"a copy of a row written in place", [](TEditProbe* e) {
         AnsiString row = e->GetLine(3);  // shares the row's buffer until written
         row[0] = 'Z';
         e->SetLine(3, row);
       }},
  };
  const Rows file = RowsOf(edit);
  for (const Edit& e : edits) {
    other->LoadFromEdit(edit);
    e.apply(other);
    const Rows edited = RowsOf(other);
    EXPECT_NE(edited, file) << e.name;
    EXPECT_EQ(RowsOf(edit), file) << e.name;
    other->Undo();
    EXPECT_EQ(RowsOf(other), file) << e.name;
    other->Redo();
    EXPECT_EQ(RowsOf(other), edited) << e.name;
    EXPECT_EQ(RowsOf(edit), file) << e.name;
  }
}

TEST_F(SharedRowsTest, UndoRecordsShareTheirTextsAndOutliveTheRowsTheyCameFrom) {
  other->LoadFromEdit(edit);
  other->SetLine(1, "replaced\r");
  auto* record = other->FUndoBuff->PrevPop();
  ASSERT_NE(record, nullptr);
  // The old text is the reference control's row; the new one is the row.
  EXPECT_EQ(record->OldText.c_str(), edit->FLines->Get(1).c_str());
  EXPECT_EQ(record->NewText.c_str(), other->FLines->Get(1).c_str());

  // The reference control lets its rows go; the record still holds the text
  // (a read of a freed buffer here is a sanitizer failure).
  const std::string before = edit->GetLine(1);
  edit->Clear();
  other->Undo();
  EXPECT_EQ(other->GetLine(1), before);
  other->Redo();
  EXPECT_EQ(other->GetLine(1), "replaced\r");
}

// Painting expands every visible row: a row without a tab must come back
// as the row itself, not as a copy of its bytes.
TEST_F(SharedRowsTest, ARowWithoutATabExpandsToTheRowItself) {
  for (int r = 0; r < edit->GetLinesCount(); ++r) {
    const AnsiString row = edit->FLines->Get(r);
    for (bool spaces : {false, true}) {
      const AnsiString shown = edit->TabExpand(row, spaces);
      EXPECT_EQ(shown, row) << r;
      if (!row.empty()) {
        EXPECT_EQ(shown.c_str(), row.c_str()) << r << (spaces ? " spaces" : " fill");
      }
    }
  }
}

TEST(RowRecordStore, RecordsStayInPlaceWhileOthersComeAndGo) {
  TAttrList list;
  for (int i = 0; i < 10; ++i) {
    TAttrListItem item;
    item.Indent = static_cast<std::int16_t>(i);
    list.Add(item);
  }
  TAttrListItem* kept = list.GetItem(5);
  std::vector<TAttrListItem*> seen;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 5000; ++i) list.Insert(0, TAttrListItem());
    for (int i = 0; i < 5000; ++i) list.Delete(0);
  }
  EXPECT_EQ(list.GetItem(5), kept);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(list.GetItem(i)->Indent, i) << i;
  // Past the end: zero records, created on reading.
  EXPECT_EQ(list.GetItem(20)->Indent, 0);
  EXPECT_EQ(list.Count(), 21);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  list.Add(TAttrListItem());  // usable after its blocks went back
  EXPECT_EQ(list.GetItem(0)->Indent, 0);
}

}  // namespace
