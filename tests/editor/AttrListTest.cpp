// The row model: point routines, the 20-byte row record, the three owning
// lists and the attribute file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/AfeditChars.h"
#include "editor/AfeditTypes.h"
#include "tests/common/TempFiles.h"

namespace {

TEST(PointRoutines, PointInRangeIsHalfOpenInRowMajorOrder) {
  struct Case {
    TPoint p, start, end;
    bool inside;
  } cases[] = {
      {{3, 2}, {3, 2}, {3, 2}, false},   // empty range holds nothing
      {{0, 0}, {5, 5}, {5, 5}, false},
      {{3, 2}, {3, 2}, {7, 2}, true},    // the start is inside
      {{7, 2}, {3, 2}, {7, 2}, false},   // the end is outside
      {{6, 2}, {3, 2}, {7, 2}, true},
      {{2, 2}, {3, 2}, {7, 2}, false},
      {{5, 3}, {3, 2}, {7, 2}, false},   // other row of a one-row range
      {{99, 2}, {3, 2}, {1, 4}, true},   // rest of the start row
      {{0, 3}, {3, 2}, {1, 4}, true},    // row strictly between
      {{0, 4}, {3, 2}, {1, 4}, true},
      {{1, 4}, {3, 2}, {1, 4}, false},
      {{2, 2}, {3, 2}, {1, 4}, false},
      {{0, 5}, {3, 2}, {1, 4}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PointInRange(c.p, c.start, c.end), c.inside)
        << "p=(" << c.p.x << "," << c.p.y << ") [" << c.start.x << "," << c.start.y << " .. "
        << c.end.x << "," << c.end.y << ")";
}

TEST(PointRoutines, MinMaxOrderRowFirst) {
  EXPECT_EQ(PointMin({9, 1}, {0, 2}), TPoint(9, 1));
  EXPECT_EQ(PointMax({9, 1}, {0, 2}), TPoint(0, 2));
  EXPECT_EQ(PointMin({4, 3}, {2, 3}), TPoint(2, 3));
  EXPECT_EQ(PointMax({4, 3}, {2, 3}), TPoint(4, 3));
  EXPECT_EQ(Max(-1, 3), 3);
  EXPECT_EQ(Min(-1, 3), -1);
  EXPECT_EQ(CountChar("a\rb\r\r", '\r'), 3);
  EXPECT_EQ(CountChar("", 'a'), 0);
}

// ---------------------------------------------------------------------------

TEST(AttrRecord, SerialisesFieldByFieldLittleEndian) {
  TColAttrList owned;  // a live list: its address must never reach a file
  TAttrListItem item;
  item.TextColor = static_cast<TColor>(0x80000008);
  item.BackColor = 0x00112233;
  item.Indent = -2;
  item.Reserved = 0x1234;
  item.WrapPos = 80;
  item.Style = TFontStyles{fsBold, fsUnderline};
  item.Changed = 1;
  item.ColAttrs = &owned;

  unsigned char bytes[AttrItemFileSize];
  std::memset(bytes, 0xAA, sizeof bytes);
  AttrItemToBytes(item, bytes);
  const unsigned char expected[AttrItemFileSize] = {
      0x08, 0x00, 0x00, 0x80,  // TextColor
      0x33, 0x22, 0x11, 0x00,  // BackColor
      0xFE, 0xFF,              // Indent -2
      0x34, 0x12,              // Reserved as held
      0x50, 0x00,              // WrapPos 80
      0x05,                    // bold | underline
      0x01,                    // Changed
      0x00, 0x00, 0x00, 0x00,  // no column-list reference
  };
  EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 20), std::vector<unsigned char>(expected, expected + 20));

  TAttrListItem back = AttrItemFromBytes(bytes);
  EXPECT_EQ(back.TextColor, item.TextColor);
  EXPECT_EQ(back.BackColor, item.BackColor);
  EXPECT_EQ(back.Indent, -2);
  EXPECT_EQ(back.Reserved, 0x1234);
  EXPECT_EQ(back.WrapPos, 80);
  EXPECT_EQ(back.Style, item.Style);
  EXPECT_EQ(back.Changed, 1);
  EXPECT_EQ(back.ColAttrs, nullptr);
}

TEST(AttrRecord, NewRecordsAreZero) {
  TAttrListItem a;
  unsigned char bytes[AttrItemFileSize];
  AttrItemToBytes(a, bytes);
  for (unsigned char b : bytes) EXPECT_EQ(b, 0);
  TColAttrListItem c;
  EXPECT_EQ(c.Color, 0);
  EXPECT_TRUE(c.Style.Empty());
  EXPECT_EQ(c.HasAttr, 0);
  TBlkAttrListItem k;
  EXPECT_EQ(k.StartPos, TPoint(0, 0));
  EXPECT_EQ(k.EndPos, TPoint(0, 0));
}

// ---------------------------------------------------------------------------

TEST(AttrLists, GetItemPastTheEndGrowsWithNullSlotsAndOneZeroItem) {
  TColAttrList list;
  TColAttrListItem* item = list.GetItem(5);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(list.Count(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.PeekItem(i), nullptr) << i;
  EXPECT_EQ(list.PeekItem(5), item);
  EXPECT_EQ(item->HasAttr, 0);
  EXPECT_EQ(item->Color, 0);
  // A null slot read through GetItem is filled, the count unchanged.
  EXPECT_NE(list.GetItem(2), nullptr);
  EXPECT_EQ(list.Count(), 6);
}

TEST(AttrLists, NegativeIndexRaisesTheListIndexError) {
  TAttrList rows;
  TColAttrList cols;
  TBlkAttrList blocks;
  EXPECT_THROW(rows.GetItem(-1), EListError);
  EXPECT_THROW(cols.GetItem(-1), EListError);
  EXPECT_THROW(blocks.GetItem(-1), EListError);
  EXPECT_THROW(rows.Delete(-1), EListError);
  TAttrListItem a;
  EXPECT_THROW(rows.SetItem(-1, &a), EListError);
  try {
    rows.GetItem(-3);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "リストのインデックスが範囲を超えています (-3)");
  }
}

TEST(AttrLists, AddAndInsertCopyTheRecord) {
  TBlkAttrList list;
  TBlkAttrListItem b;
  b.StartPos = {1, 2};
  b.EndPos = {3, 4};
  EXPECT_EQ(list.Add(b), 0);
  b.StartPos = {9, 9};
  list.Insert(0, b);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItem(0)->StartPos, TPoint(9, 9));
  EXPECT_EQ(list.GetItem(1)->StartPos, TPoint(1, 2));
  EXPECT_NE(list.GetItem(1), &b);
}

TEST(AttrLists, ShrinkingBlockListFiresDeleteForEachDroppedBlockLastFirst) {
  TBlkAttrList list;
  for (int i = 0; i < 5; ++i) {
    TBlkAttrListItem b;
    b.StartPos = {0, i};
    b.EndPos = {1, 10 + i};
    list.Add(b);
  }
  std::vector<std::pair<int, int>> fired;
  list.FOnDelete = [&](TObject* sender, int a, int b) {
    EXPECT_EQ(sender, &list);
    fired.push_back({a, b});
  };
  list.SetCount(2);
  EXPECT_EQ(fired, (std::vector<std::pair<int, int>>{{4, 14}, {3, 13}, {2, 12}}));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItem(0)->StartPos, TPoint(0, 0));
  EXPECT_EQ(list.GetItem(1)->EndPos, TPoint(1, 11));

  fired.clear();
  list.Delete(0);
  EXPECT_EQ(fired, (std::vector<std::pair<int, int>>{{0, 10}}));
  fired.clear();
  list.Clear();  // Clear frees without events
  EXPECT_TRUE(fired.empty());
  EXPECT_EQ(list.Count(), 0);

  list.SetCount(3);  // growing adds null slots, fires nothing
  EXPECT_EQ(list.Count(), 3);
  list.SetCount(0);
  EXPECT_TRUE(fired.empty());
}

TEST(AttrLists, RowListFreesColumnListsOnDeleteShrinkAndClear) {
  // Run under the sanitizers: any leak or double free of a column list shows.
  TAttrList rows;
  for (int i = 0; i < 4; ++i) {
    TAttrListItem* a = rows.GetItem(i);
    a->ColAttrs = new TColAttrList();
    a->ColAttrs->SetCount(3);
    a->ColAttrs->GetItem(1)->HasAttr = 1;
  }
  rows.Delete(1);
  EXPECT_EQ(rows.Count(), 3);
  rows.SetCount(2);
  EXPECT_EQ(rows.Count(), 2);
  rows.TList::Delete(0);  // the base list's own Delete still frees through Notify
  EXPECT_EQ(rows.Count(), 1);
  rows.Clear();
  EXPECT_EQ(rows.Count(), 0);
  rows.GetItem(0)->ColAttrs = new TColAttrList();  // freed by the destructor
}

TEST(AttrLists, SetItemCopiesTheWholeRecord) {
  TAttrList rows;
  TAttrListItem a;
  a.Indent = 4;
  a.WrapPos = 70;
  rows.SetItem(3, &a);
  EXPECT_EQ(rows.Count(), 4);
  EXPECT_EQ(rows.GetItem(3)->Indent, 4);
  EXPECT_EQ(rows.GetItem(3)->WrapPos, 70);
  a.Indent = 1;
  rows.SetItem(3, &a);  // overwrites in place
  EXPECT_EQ(rows.Count(), 4);
  EXPECT_EQ(rows.GetItem(3)->Indent, 1);
}

// ---------------------------------------------------------------------------

TBlkAttrListItem Block(TPoint s, TPoint e, TColor color = 0) {
  TBlkAttrListItem b;
  b.StartPos = s;
  b.EndPos = e;
  b.Color = color;
  b.Style = TFontStyles{fsItalic};
  return b;
}

TEST(BlockList, PropertyComesFromTheFirstBlockHoldingThePoint) {
  TBlkAttrList list;
  list.Add(Block({2, 0}, {5, 0}, clRed));
  list.Add(Block({0, 0}, {9, 0}, clBlue));
  TColor c = clNone;
  TFontStyles s;
  EXPECT_TRUE(list.GetProperty({3, 0}, c, s));
  EXPECT_EQ(c, clRed);
  EXPECT_TRUE(s.Contains(fsItalic));
  EXPECT_TRUE(list.GetProperty({6, 0}, c, s));
  EXPECT_EQ(c, clBlue);
  c = clNone;
  EXPECT_FALSE(list.GetProperty({9, 0}, c, s));
  EXPECT_EQ(c, clNone);  // outputs untouched
}

TEST(BlockList, NearestChangePos) {
  TBlkAttrList empty;
  EXPECT_EQ(empty.NearestChangePos({0, 0}), -10000);

  TBlkAttrList one;
  one.Add(Block({2, 1}, {6, 1}));
  EXPECT_EQ(one.NearestChangePos({3, 1}), 7);      // inside, ends on the row: end + 1
  EXPECT_EQ(one.NearestChangePos({0, 1}), 2);      // before the start
  EXPECT_EQ(one.NearestChangePos({8, 1}), -10000);  // after it
  EXPECT_EQ(one.NearestChangePos({0, 0}), -10000);  // other row

  TBlkAttrList spanning;
  spanning.Add(Block({2, 0}, {4, 2}));
  EXPECT_EQ(spanning.NearestChangePos({5, 1}), 0);  // inside, nothing on the row

  TBlkAttrList two;
  two.Add(Block({10, 0}, {12, 0}));
  two.Add(Block({4, 0}, {6, 0}));
  EXPECT_EQ(two.NearestChangePos({0, 0}), 4);
}

// ---------------------------------------------------------------------------

TEST(AttributeFile, SavesTwentyBytesPerItemAndSkipsNullSlots) {
  TAttrList rows;
  for (int i = 0; i < 3; ++i) rows.GetItem(i)->Indent = static_cast<std::int16_t>(i + 1);
  rows.GetItem(0)->ColAttrs = new TColAttrList();
  TStringStream out;
  rows.SaveToStream(&out);
  ASSERT_EQ(out.DataString().size(), 60u);
  EXPECT_EQ(static_cast<unsigned char>(out.DataString()[8]), 1);
  EXPECT_EQ(static_cast<unsigned char>(out.DataString()[28]), 2);
  EXPECT_EQ(out.DataString().substr(16, 4), std::string(4, '\0'));

  rows.SetCount(5);  // two null slots more
  TStringStream again;
  rows.SaveToStream(&again);
  EXPECT_EQ(again.DataString().size(), 60u);
}

TEST(AttributeFile, LoadReadsWholeRecordsOnlyAndNoColumnLists) {
  std::string data;
  for (int i = 0; i < 3; ++i) {
    TAttrListItem a;
    a.WrapPos = static_cast<std::int16_t>(40 + i);
    unsigned char rec[AttrItemFileSize];
    AttrItemToBytes(a, rec);
    rec[16] = rec[17] = rec[18] = rec[19] = 0x7F;  // junk where memory holds the reference
    data.append(reinterpret_cast<char*>(rec), AttrItemFileSize);
  }
  data += "12345";  // 65 bytes
  TAttrList rows;
  rows.GetItem(7)->ColAttrs = new TColAttrList();  // replaced by the load
  TStringStream in(data);
  rows.loadFromStream(&in);
  ASSERT_EQ(rows.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rows.GetItem(i)->WrapPos, 40 + i);
    EXPECT_EQ(rows.GetItem(i)->ColAttrs, nullptr);
  }

  TStringStream nothing;
  rows.loadFromStream(&nothing);
  EXPECT_EQ(rows.Count(), 0);
}

// A stream that claims more bytes than it delivers.
class ShortStream : public TStringStream {
 public:
  using TStringStream::TStringStream;
  int64_t GetSize() override { return 100; }
};

TEST(AttributeFile, ShortReadStopsTheLoad) {
  std::string data(30, '\x01');  // one whole record and ten bytes
  ShortStream in(data);
  TAttrList rows;
  rows.loadFromStream(&in);
  EXPECT_EQ(rows.Count(), 1);  // never a record of leftover bytes
}

TEST(AttributeFile, FileRoundTripAndMissingFile) {
  TempDir dir;
  const std::string path = dir.Path("attrs.bin");
  TAttrList rows;
  rows.GetItem(0)->TextColor = clRed;
  rows.GetItem(1)->Indent = 8;
  rows.SaveToFile(path);
  TAttrList back;
  back.loadFromFile(path);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetItem(0)->TextColor, clRed);
  EXPECT_EQ(back.GetItem(1)->Indent, 8);

  back.loadFromFile(path);  // loading again replaces, never appends
  EXPECT_EQ(back.Count(), 2);
  EXPECT_THROW(back.loadFromFile(path + ".missing"), EFOpenError);
  EXPECT_EQ(back.Count(), 2);  // nothing changed before the file was open
}

// ---------------------------------------------------------------------------

TEST(Cp932Classifier, PositionsAreClassifiedFromTheStringStart) {
  struct Case {
    std::string s;
    std::vector<TMbcsByteType> types;
  } cases[] = {
      {"\x93\xFA\x96\x7B", {mbLeadByte, mbTrailByte, mbLeadByte, mbTrailByte}},  // 日本
      {"a\x82\r", {mbSingleByte, mbSingleByte, mbSingleByte}},  // stray lead byte before CR
      {"\x82\x20\x82\xA0", {mbSingleByte, mbSingleByte, mbLeadByte, mbTrailByte}},
      {"\x82", {mbSingleByte}},
      {"\x82\x82\x82", {mbLeadByte, mbTrailByte, mbSingleByte}},
      {"\xB1\x82\xA0", {mbSingleByte, mbLeadByte, mbTrailByte}},  // half-width kana first
  };
  for (const Case& c : cases)
    for (size_t i = 0; i < c.types.size(); ++i)
      EXPECT_EQ(Cp932ByteType(c.s, static_cast<int>(i)), c.types[i]) << "index " << i;
  EXPECT_EQ(Cp932ByteType("ab", -1), mbSingleByte);
  EXPECT_EQ(Cp932ByteType("ab", 2), mbSingleByte);
}

TEST(Cp932Classifier, StepsOverWholeCharacters) {
  std::string s = "a\x93\xFA\x82\rb";  // a 日 stray-lead CR b
  EXPECT_EQ(Cp932CharStart(s, 2), 1);
  EXPECT_EQ(Cp932CharStart(s, 1), 1);
  EXPECT_EQ(Cp932CharStart(s, 3), 3);
  EXPECT_EQ(Cp932CharLen(s, 1), 2);
  EXPECT_EQ(Cp932CharLen(s, 3), 1);
  EXPECT_EQ(Cp932CharLen(s, 6), 0);
  EXPECT_EQ(Cp932NextChar(s, 0), 1);
  EXPECT_EQ(Cp932NextChar(s, 1), 3);
  EXPECT_EQ(Cp932NextChar(s, 2), 3);
  EXPECT_EQ(Cp932NextChar(s, 3), 4);
  EXPECT_EQ(Cp932PrevChar(s, 3), 1);
  EXPECT_EQ(Cp932PrevChar(s, 4), 3);
  EXPECT_EQ(Cp932PrevChar(s, 1), 0);
  EXPECT_EQ(Cp932PrevChar(s, 0), 0);
  EXPECT_EQ(Cp932PrevChar(s, 6), 5);
}

}  // namespace
