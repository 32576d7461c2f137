// The control's access to row attributes: fresh records, the stored record
// of a row and its column-attribute list.
#include "editor/Afedit.h"

TAttrListItem TCustomAFEdit::MakeAttr(bool changed, int indent, int wrap) {
  TAttrListItem attr;  // zero-filled, Reserved included
  attr.TextColor = Font->GetColor();
  attr.BackColor = FColor;
  attr.Indent = static_cast<std::int16_t>(indent);
  attr.WrapPos = static_cast<std::int16_t>(wrap);
  attr.Style = TFontStyles();
  attr.Changed = changed ? 1 : 0;
  attr.ColAttrs = nullptr;
  return attr;
}

TAttrListItem* TCustomAFEdit::GetLinesAttr(int row) { return FLinesAttr->GetItem(row); }

TColAttrList* TCustomAFEdit::GetColAttrs(int row) {
  TAttrListItem* attr = GetLinesAttr(row);
  if (!attr->ColAttrs) {
    auto list = std::make_unique<TColAttrList>();
    int length = row < FLines->Count() ? static_cast<int>(FLines->Get(row).size()) : 0;
    list->SetCount(length);
    attr->ColAttrs = list.release();
  }
  return attr->ColAttrs;
}

void TCustomAFEdit::ColAttrFree(int row) {
  TAttrListItem* attr = GetLinesAttr(row);
  delete attr->ColAttrs;
  attr->ColAttrs = nullptr;
}

TObject* TCustomAFEdit::GetObject(int row) { return FLines->GetObject(row); }
