#include <gtest/gtest.h>

#include <vector>

#include "platform/core/Classes.h"

namespace {

TEST(TList, GrowsByTheLibrarySteps) {
  TList list;
  // Capacity after each growth: +4 up to 8, +16 up to 64, then a quarter.
  std::vector<int> capacities;
  for (int i = 0; i < 100; ++i) {
    int before = list.Capacity();
    list.Add(nullptr);
    if (list.Capacity() != before) capacities.push_back(list.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118}));
  EXPECT_EQ(list.Count(), 100);
}

TEST(TList, IndexErrorsCarryTheLibraryMessage) {
  TList list;
  list.Add(&list);
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {"Get past end", [&] { list.Get(1); }, "リストのインデックスが範囲を超えています (1)"},
      {"Get negative", [&] { list.Get(-1); }, "リストのインデックスが範囲を超えています (-1)"},
      {"Delete past end", [&] { list.Delete(5); }, "リストのインデックスが範囲を超えています (5)"},
      {"Insert past end", [&] { list.Insert(2, nullptr); }, "リストのインデックスが範囲を超えています (2)"},
      {"Capacity below count", [&] { list.SetCapacity(0); }, "リストの容量が範囲を超えています (0)"},
  };
  for (auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what << " did not throw";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
  EXPECT_EQ(list.Count(), 1);
}

TEST(TList, EditingKeepsOrder) {
  int a = 1, b = 2, c = 3, d = 4;
  TList list;
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  list.Insert(0, &d);  // d a b c
  list.Delete(2);      // d a c
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], &d);
  EXPECT_EQ(list[1], &a);
  EXPECT_EQ(list[2], &c);
  list.SetCount(5);  // new slots are null
  EXPECT_EQ(list[4], nullptr);
  list.SetCount(1);
  EXPECT_EQ(list.Count(), 1);
}

// A list owning heap records, as the editor's lists are: it frees items on
// Delete and a shrinking SetCount (Notify), and on Clear, and calls Clear in
// its own destructor. Run under AddressSanitizer this shows no leak and no
// double free.
class OwningList : public TList {
 public:
  ~OwningList() override { Clear(); }
  int* Item(int i) {
    if (Count() < i + 1) SetCount(i + 1);
    if (!Get(i)) Put(i, new int(0));
    return static_cast<int*>(Get(i));
  }
  static int live;

 protected:
  void Notify(void* item, TListNotification action) override {
    if (action == lnAdded) ++live;
    if (action == lnDeleted) {
      --live;
      delete static_cast<int*>(item);
    }
  }
};
int OwningList::live = 0;

TEST(TList, OwningListFreesEveryItemOnEveryPath) {
  OwningList::live = 0;
  {
    OwningList list;
    for (int i = 0; i < 10; ++i) list.Add(new int(i));
    *list.Item(15) = 7;  // grows with null slots, creates one item
    EXPECT_EQ(list.Count(), 16);
    EXPECT_EQ(OwningList::live, 11);
    list.Delete(0);
    list.SetCount(5);  // frees items 5..
    EXPECT_EQ(OwningList::live, 5);
    list.Put(1, new int(99));  // replacing frees the old item
    EXPECT_EQ(OwningList::live, 5);
    list.Clear();
    EXPECT_EQ(OwningList::live, 0);
    for (int i = 0; i < 3; ++i) list.Add(new int(i));
  }
  EXPECT_EQ(OwningList::live, 0);
}

TEST(TStringList, TextJoinsWithCrLfAndSplitsAnyLineEnd) {
  TStringList list;
  list.Add("a");
  list.Add("");
  list.Add("\x82\xa0");
  EXPECT_EQ(list.GetText(), "a\r\n\r\n\x82\xa0\r\n");

  struct Case {
    AnsiString text;
    std::vector<AnsiString> lines;
  } cases[] = {
      {"", {}},
      {"x", {"x"}},
      {"x\r\n", {"x"}},
      {"x\r\ny", {"x", "y"}},
      {"x\ny\rz", {"x", "y", "z"}},
      {"\r\n\r\n", {"", ""}},
      {"x\r\r\ny", {"x", "", "y"}},
  };
  for (auto& c : cases) {
    list.SetText(c.text);
    std::vector<AnsiString> got;
    for (int i = 0; i < list.Count(); ++i) got.push_back(list[i]);
    EXPECT_EQ(got, c.lines) << c.text;
  }
}

TEST(TStringList, ObjectsCapacityAndErrors) {
  TStringList list;
  TObject marker;
  list.SetCapacity(100);
  EXPECT_GE(list.GetCapacity(), 100);
  list.InsertObject(0, "one", &marker);
  list.Insert(0, "zero");
  EXPECT_EQ(list.GetObject(1), &marker);
  EXPECT_EQ(list.GetObject(0), nullptr);
  list.Delete(0);
  EXPECT_EQ(list.Strings(0), "one");
  EXPECT_THROW(list.SetCapacity(0), EStringListError);
  try {
    list.Get(3);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "リストのインデックスが範囲を超えています (3)");
  }
}

TEST(TStringList, UpdatesNotifyOnceAtTheEnd) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changes;
  };
  list.Add("a");
  EXPECT_EQ(changes, 1);
  list.BeginUpdate();
  list.Add("b");
  list.BeginUpdate();
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  list.EndUpdate();
  EXPECT_EQ(changes, 2);
  list.SetText("x\r\ny\r\nz");  // one notification for the whole text
  EXPECT_EQ(changes, 3);
}

TEST(TStringList, AssignCopiesStringsAndObjects) {
  TStringList a, b;
  TObject o;
  a.InsertObject(0, "x", &o);
  a.Add("y");
  b.Add("old");
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b[0], "x");
  EXPECT_EQ(b.GetObject(0), &o);
  b.Assign(&b);  // self
  EXPECT_EQ(b.Count(), 2);
}

}  // namespace
