// A TAFEdit whose inner state tests may read and set directly, and helpers
// shared by the editor test files.
#pragma once

#include <QApplication>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/Afedit.h"
#include "tests/common/TestApp.h"

// Exposes the control's protected fields, handlers and accessors.
class TEditProbe : public TAFEdit {
 public:
  using TAFEdit::TAFEdit;

  // Fields shared by several concerns.
  using TCustomAFEdit::FCaret;
  using TCustomAFEdit::FCharDx;
  using TCustomAFEdit::FCharStep;
  using TCustomAFEdit::FCharWidth;
  using TCustomAFEdit::FBlkAttrs;
  using TCustomAFEdit::FClipAttrs;
  using TCustomAFEdit::FClipLines;
  using TCustomAFEdit::FCrBmp;
  using TCustomAFEdit::FCrResBmp;
  using TCustomAFEdit::FCrSelBmp;
  using TCustomAFEdit::FDependenceFont;
  using TCustomAFEdit::FDragState;
  using TCustomAFEdit::FEofMark;
  using TCustomAFEdit::FFoldMark;
  using TCustomAFEdit::FIndentChar;
  using TCustomAFEdit::FInsertMode;
  using TCustomAFEdit::FJSpaceMark;
  using TCustomAFEdit::FKeywordFont;
  using TCustomAFEdit::FLeftCol;
  using TCustomAFEdit::FLines;
  using TCustomAFEdit::FLinesAttr;
  using TCustomAFEdit::FMarkColor;
  using TCustomAFEdit::FMaxRowLen;
  using TCustomAFEdit::FMouseXOffset;
  using TCustomAFEdit::FOnBlkAttrDelete;
  using TCustomAFEdit::FPaintRect;
  using TCustomAFEdit::FRowHeight;
  using TCustomAFEdit::FSelFont;
  using TCustomAFEdit::FShiftDown;
  using TCustomAFEdit::FTabChar;
  using TCustomAFEdit::FTabFillChar;
  using TCustomAFEdit::FTextHeight;
  using TCustomAFEdit::FTextLeft;
  using TCustomAFEdit::FTextRect;
  using TCustomAFEdit::FTextTop;
  using TCustomAFEdit::FThumbTrack;
  using TCustomAFEdit::FTopLine;
  using TCustomAFEdit::FUndoBuff;
  using TCustomAFEdit::FUndoGroup;
  using TCustomAFEdit::FUpdating;
  using TCustomAFEdit::FVScrollInfo;
  using TCustomAFEdit::FHScrollInfo;
  using TCustomAFEdit::FWordChars;
  using TCustomAFEdit::FCrMarkText;

  // Fields of single concerns.
  using TCustomAFEdit::FCaretHideCount;
  using TCustomAFEdit::FCaretInsertShape;
  using TCustomAFEdit::FCaretWideShape;
  using TCustomAFEdit::FCrBmpBack;
  using TCustomAFEdit::FCrBmpColor;
  using TCustomAFEdit::FCrBmpHeight;
  using TCustomAFEdit::FHScrollShown;
  using TCustomAFEdit::FImeComposing;
  using TCustomAFEdit::FLastCaretCol;
  using TCustomAFEdit::FLastDragRow;
  using TCustomAFEdit::FLastLeftCol;
  using TCustomAFEdit::FLastTopLine;
  using TCustomAFEdit::FVScrollShown;

  // Message handlers and helpers.
  using TCustomAFEdit::CharDx;
  using TCustomAFEdit::MouseToCell;
};

// Replaces the text by these rows (code page 932; a hard line ends in "\r"),
// each changed, with its indent (0 unless given) and wrap column (the
// control's default unless given); an empty history, the caret at (0, 0)
// and no selection.
inline void PutRows(TEditProbe* edit, const std::vector<std::string>& rows, const std::vector<int>& indents = {},
                    const std::vector<int>& wraps = {}) {
  edit->Clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    TAttrListItem attr = edit->MakeAttr(true, i < indents.size() ? indents[i] : 0,
                                        i < wraps.size() ? wraps[i] : edit->GetDefWrapPos());
    if (i == 0) {
      edit->SetLine(0, rows[i]);
      *edit->GetLinesAttr(0) = attr;
    } else {
      edit->AddLineP(rows[i], attr);
    }
    edit->FMaxRowLen = std::max(edit->FMaxRowLen, static_cast<int>(rows[i].size()) + 2);
  }
  edit->FUndoBuff->Reset();
  edit->FCaret = TPoint(0, 0);
  edit->FSelArea->RowReset();
  edit->FSelArea->PutStartPoint(TPoint(0, 0));
  edit->FSelArea->PutEndPoint(TPoint(0, 0));
}
