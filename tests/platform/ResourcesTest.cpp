#include <gtest/gtest.h>

#include <QCursor>

#include "tests/common/TestApp.h"
#include "platform/qt/Graphics.h"

namespace {

// The program links the files of resources/editor as Qt resources; here the
// same files are read from the source tree through an extra prefix.
void UseSourceResources() {
  TestApp();
  AddResourcePrefix(AnsiString(SORVELAN_SOURCE_DIR) + "/resources/editor/");
}

TEST(Resources, ReturnMarksMatchTheirDrawing) {
  UseSourceResources();
  struct Case {
    const char* name;
    int size;
    std::vector<TPoint> mark, white;
  } cases[] = {
      {"CRS", 11, {{7, 2}, {7, 6}, {4, 5}, {2, 7}, {6, 7}, {4, 9}}, {{0, 0}, {8, 7}, {7, 8}, {10, 10}}},
      {"CR", 16, {{11, 2}, {11, 10}, {6, 8}, {3, 11}, {10, 11}, {6, 14}}, {{11, 11}, {12, 2}, {7, 14}, {1, 1}}},
      {"CRL", 32, {{22, 2}, {23, 16}, {9, 17}, {3, 23}, {22, 23}, {21, 24}, {9, 29}}, {{24, 2}, {23, 24}, {10, 29}, {1, 1}}},
  };
  for (const Case& c : cases) {
    TBitmap b;
    b.LoadFromResourceName(HInstance, c.name);
    EXPECT_EQ(b.GetWidth(), c.size) << c.name;
    EXPECT_EQ(b.GetHeight(), c.size) << c.name;
    for (TPoint p : c.mark) EXPECT_EQ(b.Canvas->Pixels(p.x, p.y), clMaroon) << c.name << " " << p.x << "," << p.y;
    for (TPoint p : c.white) EXPECT_EQ(b.Canvas->Pixels(p.x, p.y), clWhite) << c.name << " " << p.x << "," << p.y;
  }
}

TEST(Resources, MissingBitmapThrowsTheResourceError) {
  UseSourceResources();
  TBitmap b;
  try {
    b.LoadFromResourceName("NoSuchMark");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "リソース NoSuchMark が見つかりません");
  }
  EXPECT_THROW(b.LoadFromResourceName("../CR"), EResNotFound);
}

TEST(Resources, RevCursorLoadsWithItsHotSpotAndRegisters) {
  UseSourceResources();
  HCURSOR h = LoadCursor(HInstance, "RevCursor");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LoadCursor(HInstance, "RevCursor"), h);  // loaded once
  EXPECT_EQ(LoadCursor(HInstance, "NoCursor"), nullptr);
  Screen->Cursors[5] = h;
  EXPECT_EQ(Screen->Cursors.Get(5), h);
  Screen->SetCursor(5);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(11, 0));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
