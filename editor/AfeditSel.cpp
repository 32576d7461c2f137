// The control's side of the selection area.
#include "editor/Afedit.h"

void TCustomAFEdit::SetSelAreaMaxMin() {
  int maxIndent = -1;
  int minWrap = 100000;
  for (int r = FSelArea->GetStartRow(); r <= FSelArea->GetEndRow(); ++r) {
    if (r < 0) continue;  // a row selection is never above row 0
    const TAttrListItem* attr = GetLinesAttr(r);
    if (attr->Indent > maxIndent) maxIndent = attr->Indent;
    if (attr->WrapPos < minWrap) minWrap = attr->WrapPos;
  }
  FSelArea->FMaxIndent = maxIndent;
  FSelArea->FMinWrapPos = minWrap;
}

void TCustomAFEdit::ReportSelectChange() {
  switch (FSelArea->SelectChanged()) {
    case slSel:
      if (OnSelect) OnSelect(this);
      break;
    case slDisSel:
      if (OnDisSelect) OnDisSelect(this);
      break;
    case slNone:
      break;
  }
}
