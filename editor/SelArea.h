// The two selections of one editor control: a point selection between two
// text points and a row selection of whole rows. It stores positions and
// answers questions about them; it never looks at the text.
#pragma once

#include <cstdint>

#include "editor/AfeditTypes.h"

// Result of TSelArea::SelectChanged.
enum TSelChange : std::uint8_t { slNone = 0, slSel = 1, slDisSel = 2 };

class TSelArea : public TObject {
 public:
  // Both points (0, 0), every other field 0; the owner resets both kinds
  // right after construction.
  TSelArea() = default;

  void PutStartPoint(const TPoint& p) { FStartPoint = p; }
  void PutEndPoint(const TPoint& p) { FEndPoint = p; }
  // The earlier and the later of the two points.
  TPoint GetStartPoint() const { return PointMin(FStartPoint, FEndPoint); }
  TPoint GetEndPoint() const { return PointMax(FStartPoint, FEndPoint); }
  void PutStartRow(int row) { FStartRow = row; }
  void PutEndRow(int row) { FEndRow = row; }
  int GetStartRow() const { return Min(FStartRow, FEndRow); }
  int GetEndRow() const { return Max(FStartRow, FEndRow); }

  // A point selection exists when the two points differ.
  bool isPointAble() const { return FStartPoint.x != FEndPoint.x || FStartPoint.y != FEndPoint.y; }
  // A row selection exists when its start row is set.
  bool isRowAble() const { return FStartRow >= 0; }
  bool isSelRow(int row) const;
  bool isSelPoint(int x, int y) const;

  // A row inserted or deleted inside the row selection moves its larger end.
  void Insert(int row);
  void Delete(int row);
  // Collapses the point selection onto its moving end.
  void PointReset() { FStartPoint = FEndPoint; }
  void RowReset() {
    FStartRow = -1;
    FEndRow = -1;
  }
  // Whether a selection appeared or vanished since the last call.
  TSelChange SelectChanged();

  bool FSelected = false;
  TPoint FEndPoint{0, 0};
  int FEndRow = 0;
  TPoint FStartPoint{0, 0};
  int FStartRow = 0;
  int FDragCol = 0;
  int FMaxIndent = 0;      // -1 = none
  int FMinWrapPos = 0;     // 100000 = none
};
