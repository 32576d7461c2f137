// The selection area: point and row selections and their change reports.
#include "editor/SelArea.h"

bool TSelArea::isSelRow(int row) const { return GetStartRow() <= row && row <= GetEndRow(); }

bool TSelArea::isSelPoint(int x, int y) const {
  return PointInRange(TPoint(x, y), GetStartPoint(), GetEndPoint());
}

void TSelArea::Insert(int row) {
  if (!isSelRow(row)) return;
  if (FStartRow >= FEndRow)
    ++FStartRow;
  else
    ++FEndRow;
}

void TSelArea::Delete(int row) {
  if (!isSelRow(row)) return;
  if (FStartRow >= FEndRow)
    --FStartRow;
  else
    --FEndRow;
}

TSelChange TSelArea::SelectChanged() {
  bool now = isRowAble() || isPointAble();
  TSelChange result = now == FSelected ? slNone : (FSelected ? slDisSel : slSel);
  FSelected = now;
  return result;
}
