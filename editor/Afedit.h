// The editor control TAFEdit for code page 932 text held in rows: row
// attributes, fixed-cell display, soft wrapping under Japanese line-break
// rules, selections, grouped undo, keyboard, mouse and input-method input,
// clipboard, search, and text and raw files.
//
// TCustomAFEdit holds all state and behaviour; TAFEdit publishes the
// properties. The members are implemented by concern, one file each:
//   AfeditLists.cpp     row, column and block attribute lists, attribute file
//   AfeditChars.cpp     code page 932 character boundaries in a row
//   AfeditAttrs.cpp     attribute bookkeeping on edits
//   AfeditRowAttrs.cpp  fresh row records, row attributes, column lists
//   AfeditRows.cpp      row operations and readers
//   UndoBuff.cpp        the undo buffer's slots and rules
//   AfeditUndo.cpp      Undo, Redo, Edited
//   SelArea.cpp         the selection area
//   AfeditSel.cpp       the control's cache of the selected rows' limits
//   AfeditSelText.cpp   selection text, deletion, copy, WM_CUT/COPY/CLEAR/UNDO
//   AfeditClass.cpp     construction, properties, metrics, Text
//   AfeditMouse.cpp     mouse selection and drags
//   AfeditPaint.cpp     Paint, ValiPaint, DrawLine
//   AfeditColumns.cpp   tab expansion and column mapping
//   AfeditWrap.cpp      wrapping and typed-text insertion
//   AfeditFiles.cpp     text and raw files
//   AfeditSearch.cpp    search
//   AfeditKeys.cpp      key-down side and caret steps
//   AfeditScroll.cpp    scroll bars and view position
//   AfeditMargin.cpp    ruler, left margin, return mark, caret placement
//   AfeditChar.cpp      typed characters and input-method results
//   AfeditPaste.cpp     paste and quoted rows
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <vector>

#include "editor/AfeditChars.h"
#include "editor/AfeditTypes.h"
#include "editor/SelArea.h"
#include "editor/UndoBuff.h"
#include "platform/core/Classes.h"
#include "platform/qt/Controls.h"
#include "platform/qt/Graphics.h"
#include "platform/core/Messages.h"
#include "platform/qt/MouseInput.h"
#include "platform/qt/ScrollBars.h"
#include "platform/text/AnsiString.h"

// ---------------------------------------------------------------------------
// Option and view sets, styles and modes of the unit.

enum TAFEditOption : std::uint8_t {
  aoFreeCaret,      // the caret may stand past row ends and below the last row
  aoAutoIndent,     // Enter copies the leading blanks
  aoAutoJpnIndent,  // ... full-width spaces included
  aoAutoFormat,     // rows are cut at their wrap column
  aoWordWrap,       // a cut does not split an ASCII word
  aoJpnBanBreak,    // the Japanese line-break rules (BanHead, BanEnd)
  aoTabToSp,        // the Tab key types spaces
};
using TAFEditOptions = TSet<TAFEditOption, std::uint8_t>;

enum TViewOption : std::uint8_t {
  voDependence,   // dependence characters in their own colour
  voHankana,      // half-width kana in the dependence colour
  voCr,           // return mark at hard line ends
  voAnsiSpace,    // full-width space mark
  voTab,          // tab marks
  voIndent,       // indent marks
  voColIndicate,  // column ruler
  voKeyWord,      // keywords in the keyword font
  voRowNum,       // row numbers in the left margin
  voWrapLine,     // line at the wrap column (with aoAutoFormat)
  voFoldMark,     // mark at the end of a soft-wrapped row
};
using TViewOptions = TSet<TViewOption, std::uint16_t>;

// The control's own scroll-bar style (not the library's type of that name).
enum TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// State of a mouse drag (not the library's TDragMode of the DragMode property).
enum TDragMode : std::uint8_t { dmNone, dmRowSel, dmFoldColSel, dmIndent, dmCharsSel };

// Colour class of a drawn piece.
enum TCharKind : std::uint8_t {
  ckNorm, ckJSpace, ckCrMark, ckNone, ckDependence, ckKeyWord, ckCmt, ckColAttr
};

// Marks drawn at row ends.
enum TMark : std::uint8_t { mkFold, mkCR, mkEOF, mkTab };

// Load and save options of the text and raw files.
enum TConvModeMember : std::uint8_t {
  cmRaw, cmTabToSp, cmTabToIndent, cmIndentToTab, cmIndentToSp, cmFoldToCr, cmFoldLine
};
using TConvMode = TSet<TConvModeMember, std::uint8_t>;

// Search options.
enum TSearchOpt : std::uint8_t { soIgnoreCase, soReverse };
using TSearchOpts = TSet<TSearchOpt, std::uint8_t>;

// Header of the raw file: 268 bytes, integers 32-bit little endian.
struct TRawFileHeader {
  std::int32_t TotalSize = 0;
  std::int32_t AttrOffset = 0;
  std::int32_t RowCount = 0;
  unsigned char Reserved[256] = {};
};
constexpr int RawFileHeaderSize = 268;

// ---------------------------------------------------------------------------
// Events. Sender is the control; reference parameters let a handler change a
// text, veto a change or suppress the default drawing.

using TBeforeChangeNotifyEvent =
    std::function<void(TObject* Sender, int index, AnsiString& stNewLine, bool& CanModify)>;
using TDrawColIndiEvent = std::function<void(TObject* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TDrawLineEvent = std::function<void(TObject* Sender, int index, const TRect& Rect,
                                          AnsiString TabExStr, bool& DefaultDraw)>;
using TDrawLeftMgnEvent = std::function<void(TObject* Sender, int index, const TRect& Rect,
                                             AnsiString& AStr, bool& DefaultDraw)>;
using TLineDeleteNotifyEvent = std::function<void(TObject* Sender, int index)>;
using TLineInsertNotifyEvent = std::function<void(TObject* Sender, int index, AnsiString& NewLine)>;
using TUndoNotifyEvent = std::function<void(TObject* Sender, bool canUndo, bool canRedo)>;
using TWordBreakNotifyEvent = std::function<void(TObject* Sender, AnsiString stLine, int& WrapPos)>;

// ---------------------------------------------------------------------------
// Variables shared by every editor control of the process.

extern TColor LastFontColor;  // the font colour SetFont last saw
extern bool ColAdjLeft;       // direction of the next non-forced ColAdj
extern int WrapTrailCount;    // bytes the current WordBreak chain pushed the cut forward
extern int WrapLeadCount;     // ... and pulled it back
extern int ScrollAccel;       // consecutive WM_VSCROLL messages, for acceleration

// ---------------------------------------------------------------------------
// Plain routines of the unit.

// Character index in a row's text of display column `column` of its display
// form (indent spaces, then tabs as fill bytes 0x0B ending in the tab);
// negative inside the indent.
int DspColToCharCount(const AnsiString& display, int column, int indent);

// Sets only the position (and track position) of a scroll bar.
void SetScrollBarPos(TWinControl* window, int bar, int position, bool redraw);

// Row number text for the left margin: `format` may hold literal text and one
// %[flags][width]d (and %% for a percent sign); anything else is literal. A
// caller's format never reaches printf.
AnsiString FormatRowNumber(const AnsiString& format, int number);

// ---------------------------------------------------------------------------

class TCustomAFEdit : public TCustomControl {
 public:
  explicit TCustomAFEdit(TComponent* Owner);
  ~TCustomAFEdit() override;
  TCustomAFEdit(const TCustomAFEdit&) = delete;
  TCustomAFEdit& operator=(const TCustomAFEdit&) = delete;

  void Loaded() override;
  void SetFocus() override;
  void Paint() override;
  // The control's message table: each message below goes to its handler,
  // every other one to the base class (AfeditClass.cpp).
  void Dispatch(TMessage& Message) override;

  // --- Row attributes (AfeditRowAttrs.cpp) ---------------------------------
  // A fresh row record with the control's colours; ColAttrs null.
  TAttrListItem MakeAttr(bool changed, int indent, int wrap);
  // The row's stored record (created when missing); callers may change it.
  TAttrListItem* GetLinesAttr(int row);
  // The row's column-attribute list, created with Count = row length.
  TColAttrList* GetColAttrs(int row);
  // Frees the row's column list and clears its reference.
  void ColAttrFree(int row);
  // The row's object slot in FLines; always null.
  TObject* GetObject(int row);

  // --- Row operations (AfeditRows.cpp) ------------------------------------
  // Working operations: they record into the current undo group.
  void AddLineP(AnsiString text, const TAttrListItem& attr);
  void InsertLineP(int row, AnsiString text, const TAttrListItem& attr);
  void DelLineP(int row);
  void LineChange(int row, AnsiString text, bool newGroup);
  // Public operations: each opens a new undo group.
  void SetLine(int row, AnsiString text);
  void AddLine(AnsiString text);
  void InsertLine(int row, AnsiString text);
  void DelLine(int row);
  // Readers and small writers.
  AnsiString GetLine(int row);
  int GetLinesCount();
  bool isCrLine(int row);
  int GetWrapPos(int row);
  void SetWrapPos(int row, int pos);
  bool isEdited();                 // Edited property (AfeditUndo.cpp)
  void SetEdited(bool value);
  // Empties the text to one empty row.
  void Clear();
  void BeginUpdate();
  void EndUpdate();

  // --- Attribute bookkeeping on edits (AfeditAttrs.cpp) -------------------
  void BlkAttrDelete(TObject* Sender, int AStartRow, int AEndRow);
  void BlkAttrLineEdit(int row, TEditMode mode);
  void BlkAttrEdit(int row, int col, int len, TEditMode mode);
  void BlkAttrBlockEdit(int a, int b, int len, TEditMode mode);
  void ColAttrEdit(int row, int col, int len, TEditMode mode);
  void ColAttrBlockEdit(int a, int b, int len, TEditMode mode);

  // --- Undo and redo (AfeditUndo.cpp) -------------------------------------
  void Undo();
  void Redo();

  // --- Selection (AfeditSel.cpp, AfeditSelText.cpp) -----------------------
  // Caches the largest indent and smallest wrap column of the selected rows.
  void SetSelAreaMaxMin();
  // Logical text loses its trailing blanks unless `trim` is false (a point
  // selection keeps its bytes exactly).
  AnsiString GetRangeText(const TPoint& start, const TPoint& end, bool display, bool trim = true);
  AnsiString GetSelText();
  void SetSelText(AnsiString text);
  void SelectAll();
  void SelectAreaDel();
  void SelectAreaCopy(bool display);
  void SelAreaLeftSpaceToIndent();

  // --- Metrics and view (AfeditClass.cpp) ---------------------------------
  void MetricsUpdate(bool repaint);
  void OnKeywordsChange(TObject* Sender);
  // Fully visible rows and columns of the text area (may be 0 or negative).
  int GetDspRowCount();
  int GetDspColCount();

  // --- Painting (AfeditPaint.cpp) -----------------------------------------
  void DrawLine(int row);
  void ExtTextPaint(int x, int y, int minLeft, AnsiString s);
  void ValiPaint();

  // --- Tab expansion and column mapping (AfeditColumns.cpp) ---------------
  AnsiString TabExpand(AnsiString text, bool spaces);
  TPoint DspPos(const TPoint& p);
  int LogicalPos(const TPoint& p);
  TPoint PointAlign(const TPoint& p);
  TPoint ColAdj(const TPoint& p, bool force);
  // Display form of a row: its indent (never below 0) as spaces, then the
  // fill form of its text.
  AnsiString DisplayString(int row);

  // --- Wrapping and typed text (AfeditWrap.cpp) ---------------------------
  int WordBreak(AnsiString S, int Pos, int Min);
  void FoldLine(int row);
  void KeyInput(AnsiString text);

  // --- Files (AfeditFiles.cpp) --------------------------------------------
  void LoadFromStream(TStream* stream, TConvMode mode);
  void LoadFromFile(AnsiString name, TConvMode mode);
  // Takes the text another control loaded in plain form (the empty mode):
  // the state LoadFromStream of that text leaves, the row texts shared with
  // the other control instead of read again.
  void LoadFromEdit(TCustomAFEdit* source);
  void SaveToStream(TStream* stream, TConvMode mode);
  void SaveToFile(AnsiString name, TConvMode mode);
  // Where the last text load met a NUL and stopped: the number of bytes read
  // before it; -1 when it read to the end.
  std::int64_t LoadStoppedAtNul() const { return FLoadNulAt; }

  // --- Search (AfeditSearch.cpp) ------------------------------------------
  TPoint Search(AnsiString text, const TPoint& start, const TPoint& end, TSearchOpts opts);

  // --- Keys and caret steps (AfeditKeys.cpp) ------------------------------
  void CaretLeft();
  void CaretRight();

  // --- Scrolling (AfeditScroll.cpp) ---------------------------------------
  void SetScrollBars(TScrollStyle style);
  void SetTopLine(int row);
  void CaretMoveResultPaint();

  // --- Ruler, margin, return mark, caret (AfeditMargin.cpp) ---------------
  void DrawLeftMgn(int row, AnsiString AStr);
  void DrawColIndicate();
  void SetCrColor(TColor cr, TColor back);
  void SetCaret(const TPoint& p);
  void SetCaretPosition();

  // --- Typed characters (AfeditChar.cpp) ----------------------------------
  bool DoCtrlKeyPress(const TWMKey& Message);

  // --- Paste (AfeditPaste.cpp) --------------------------------------------
  void ClipInsert();
  // ClipInsert with a text the caller has read from the clipboard already,
  // so that one read can fill more than one control.
  void ClipInsert(const AnsiString& text);
  void QuoteInsert(AnsiString text, AnsiString prefix);

  // --- Events -------------------------------------------------------------
  TBeforeChangeNotifyEvent OnBeforeChange;
  TNotifyEvent OnChange;
  TNotifyEvent OnDisSelect;
  TNotifyEvent OnSelect;
  TNotifyEvent OnStatusChange;
  TDrawColIndiEvent OnDrawColIndi;
  TDrawLineEvent OnDrawLine;
  TDrawLeftMgnEvent OnDrawLeftMgn;
  TLineDeleteNotifyEvent OnLineDelete;
  TLineInsertNotifyEvent OnLineInsert;
  TUndoNotifyEvent OnUndoChange;
  TWordBreakNotifyEvent OnWordBreak;

  // The selection; the application reaches it directly.
  TSelArea* FSelArea = nullptr;

 protected:
  // --- Property accessors (AfeditClass.cpp; published by TAFEdit) ---------
  int GetAccelRate() const { return FAccelRate; }
  void SetAccelRate(int value) { FAccelRate = value; }
  AnsiString GetBanEnd() const { return FBanEnd; }
  void SetBanEnd(AnsiString value) { FBanEnd = value; }
  AnsiString GetBanHead() const { return FBanHead; }
  void SetBanHead(AnsiString value) { FBanHead = value; }
  int GetCharPich() const { return FCharPich; }
  void SetCharPich(int value);
  TColor GetColColumnNo() const { return FColColumnNo; }
  void SetColColumnNo(TColor value) { FColColumnNo = value; }
  TColor GetColColumnIndi() const { return FColColumnIndi; }
  void SetColColumnIndi(TColor value) { FColColumnIndi = value; }
  TColor GetColCr() const { return FColCr; }
  void SetColCr(TColor value) { FColCr = value; }
  TColor GetColor() const { return FColor; }
  void SetColor(TColor value);
  TColor GetDependenceColor() const;
  void SetDependenceColor(TColor value);
  TColor GetKeywordColor() const;
  void SetKeyWordColor(TColor value);
  TColor GetColLeftMgn() const { return FColLeftMgn; }
  void SetMgnColor(TColor value);
  TColor GetColRowNo() const { return FColRowNo; }
  void SetRowNoColor(TColor value);
  TColor GetColSelBrush() const { return FColSelBrush; }
  void SetColSelBrush(TColor value) { FColSelBrush = value; }
  TColor GetSelTextColor() const;
  void SetSelTextColor(TColor value);
  int GetDefWrapPos() const { return FDefWrapPos; }
  void SetDefWrapPos(int value);
  AnsiString GetDependenceChar() const { return FDependenceChar; }
  void SetDependenceChar(AnsiString value) { FDependenceChar = value; }
  TStrings* GetKeywords() const { return FKeywords; }
  void SetKeyWords(TStrings* value);
  TFontStyles GetKeywordStyle() const;
  void SetKeyWordStyle(TFontStyles value);
  int GetLeftMgn() const { return FLeftMgn; }
  void SetLeftMgn(int value);
  TAFEditOptions GetOptions() const { return FOptions; }
  void SetOptions(TAFEditOptions value) { FOptions = value; }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  AnsiString GetRowDspFmt() const { return FRowDspFmt; }
  void SetRowDspFmt(AnsiString value);
  int GetRowPich() const { return FRowPich; }
  void SetRowPich(int value);
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  int GetTabSize() const { return FTabSize; }
  void SetTabSize(int value) { FTabSize = value; }
  AnsiString GetText();
  void SetText(AnsiString value);
  int GetTopMgn() const { return FTopMgn; }
  void SetTopMgn(int value);
  int GetUndoMax() const;
  void SetUndoMax(int value);
  TViewOptions GetViewOpt() const { return FViewOpt; }
  void SetViewOpt(TViewOptions value);
  int GetWrapLeadBytes() const { return FWrapLeadBytes; }
  void SetWrapLeadBytes(int value) { FWrapLeadBytes = value; }
  int GetWrapTrailBytes() const { return FWrapTrailBytes; }
  void SetWrapTrailBytes(int value) { FWrapTrailBytes = value; }
  // Takes a copy of value as the control font and remeasures.
  void SetFont(TFont* value);

  // --- Message handlers (reached through Dispatch) -------------------------
  void WMSize(TWMSize& Message);                // AfeditScroll.cpp
  void WMSetFocus(TWMSetFocus& Message);        // AfeditScroll.cpp
  void WMKillFocus(TWMKillFocus& Message);      // AfeditScroll.cpp
  void WMNCPaint(TMessage& Message);            // AfeditMargin.cpp
  void WMGetDlgCode(TMessage& Message);         // AfeditKeys.cpp
  void WMKeyDown(TWMKey& Message);              // AfeditKeys.cpp
  void WMKeyUp(TWMKey& Message);                // AfeditKeys.cpp
  void WMChar(TWMKey& Message);                 // AfeditChar.cpp
  void WMImeComposition(TMessage& Message);     // AfeditChar.cpp
  void WMHScroll(TWMScroll& Message);           // AfeditScroll.cpp
  void WMVScroll(TWMScroll& Message);           // AfeditScroll.cpp
  void WMMouseMove(TWMMouse& Message);          // AfeditMouse.cpp
  void WMLButtonDown(TWMMouse& Message);        // AfeditMouse.cpp
  void WMLButtonUp(TWMMouse& Message);          // AfeditMouse.cpp
  void WMLButtonDblClk(TWMMouse& Message);      // AfeditMouse.cpp
  void WMCut(TMessage& Message);                // AfeditSelText.cpp
  void WMCopy(TMessage& Message);               // AfeditSelText.cpp
  void WMPaste(TMessage& Message);              // AfeditPaste.cpp
  void WMCLEAR(TMessage& Message);              // AfeditSelText.cpp
  void WMUNDO(TMessage& Message);               // AfeditSelText.cpp
  void CMFontChanged(TMessage& Message);        // AfeditKeys.cpp
  void CMMouseLeave(TMessage& Message);         // AfeditKeys.cpp
  void CMWantSpecialKey(TMessage& Message);     // AfeditKeys.cpp

  // Mouse position to (display column, row), clamped to the text's rows.
  TPoint MouseToCell(int x, int y);             // AfeditMouse.cpp

  // Advance array for one text output of n cells, every entry FCharStep;
  // grows on demand (no fixed-size array).
  int* CharDx(int n);                           // AfeditClass.cpp

  // --- Fields shared by several concerns ----------------------------------
  TBitmap* FCrBmp = nullptr;       // return mark on the row background (owned)
  TBitmap* FCrSelBmp = nullptr;    // return mark on the selection background (owned)
  TBitmap* FCrResBmp = nullptr;    // working copy of a return-mark resource (owned)
  std::vector<int> FCharDx;        // advance per byte cell, every entry FCharStep
  TDragMode FDragState = dmNone;   // current mouse drag
  TAttrList* FLinesAttr = nullptr; // one record per row (owned)
  TBlkAttrList* FBlkAttrs = nullptr;  // block attributes (owned)
  TPoint FCaret{0, 0};             // x display column, y row
  int FCharWidth = 0;              // half-width cell = (FTextHeight + 1) / 2
  TColor FMarkColor = 0;           // tab, indent, full-width space marks, wrap line
  int FCharStep = 0;               // pixels per byte cell = FCharWidth + CharPich (>= 1 once measured)
  TAttrList* FClipAttrs = nullptr;     // private row clipboard: attributes (owned)
  TStringList* FClipLines = nullptr;   // private row clipboard: rows (owned)
  int FRowHeight = 0;              // row pitch = FTextHeight + RowPich (>= 1 once measured)
  bool FInsertMode = true;         // insert (true) or overwrite
  TRect FPaintRect{0, 0, 0, 0};    // strip DrawLine may paint
  std::bitset<256> FWordChars;     // bytes that may form a keyword
  int FLeftCol = 0;                // first displayed display column
  TStringList* FLines = nullptr;   // the rows (owned)
  int FMaxRowLen = 0;              // widest row in cells (tabs expanded, no indent) + 2
  // Raises FMaxRowLen to a row text's width (AfeditColumns.cpp).
  void NoteRowWidth(const AnsiString& text);
  std::int64_t FLoadNulAt = -1;    // see LoadStoppedAtNul
  TBlkAttrDeleteEvent FOnBlkAttrDelete;  // unpublished
  bool FShiftDown = false;         // Shift selection under way
  int FTextHeight = 0;             // height of "あ" in the control font
  int FTopLine = 0;                // first displayed row
  bool FUpdating = false;          // between BeginUpdate and EndUpdate
  TScrollInfo FVScrollInfo{};      // last values given to the vertical bar
  TScrollInfo FHScrollInfo{};      // ... and to the horizontal bar
  AnsiString FTabBuf;              // scratch of TabExpand (grows as needed)
  TRect FTextRect{0, 0, 0, 0};     // text area: FTextLeft, FTextTop, client width, height
  int& FTextLeft = FTextRect.Left;
  int& FTextTop = FTextRect.Top;
  TFont* FDependenceFont = nullptr;  // colour of dependence characters (owned)
  TFont* FKeywordFont = nullptr;     // colour and style of keywords (owned)
  TFont* FSelFont = nullptr;         // colour of selected text (owned)
  AnsiString FFoldMark;            // 0x81 0xA9, end of a soft-wrapped row
  char FIndentChar = '.';
  AnsiString FJSpaceMark;          // 0x81 0xA0, full-width space mark
  char FTabFillChar = '-';
  char FTabChar = '>';
  AnsiString FEofMark;             // "< "
  AnsiString FCrMarkText;          // drawn instead of the CR bitmap when not empty
  bool FThumbTrack = true;         // the view follows a dragged scroll box
  int FMouseXOffset = 3;           // pixels added to a mouse x before division
  TUndoBuff* FUndoBuff = nullptr;  // undo history (owned)
  int FUndoGroup = 0;              // current undo group number

  // --- Private fields of single concerns ----------------------------------
  bool FCaretInsertShape = true;   // caret last created in insert shape
  bool FCaretWideShape = true;     // ... and square for a double-byte character
  int FCaretHideCount = 0;         // hides counted while the caret was outside
  int FLastCaretCol = -1;          // caret column at the last placement
  int FLastLeftCol = -1;           // FLeftCol at the last placement
  int FLastTopLine = -1;           // FTopLine at the last paint or placement
  int FCrBmpHeight = 0;            // text height the CR bitmaps were built for
  TColor FCrBmpColor = 0;          // ... CR colour
  TColor FCrBmpBack = 0;           // ... background
  int FLastDragRow = -1;           // row of the last row-drag step
  bool FVScrollShown = false;      // the vertical bar is shown
  bool FHScrollShown = false;      // the horizontal bar is shown
  bool FImeComposing = false;      // an IME composition was under way at the last key-down

  // --- Property storage ---------------------------------------------------
  int FAccelRate = 2;
  AnsiString FBanEnd;
  AnsiString FBanHead;
  int FCharPich = 0;
  TColor FColColumnNo = 0;
  TColor FColColumnIndi = 0;
  TColor FColCr = 0;
  TColor FColor = 0;  // the control's own Color; the inherited colour is left alone
  TColor FColLeftMgn = 0;
  TColor FColRowNo = 0;
  TColor FColSelBrush = 0;
  int FDefWrapPos = 60;
  AnsiString FDependenceChar;
  TStringList* FKeywords = nullptr;  // owned
  int FLeftMgn = 0;
  TAFEditOptions FOptions;
  bool FReadOnly = false;
  AnsiString FRowDspFmt;
  int FRowPich = 2;
  TScrollStyle FScrollBars = ssBoth;
  int FTabSize = 4;
  int FTopMgn = 0;
  TViewOptions FViewOpt;
  int FWrapLeadBytes = 10;
  int FWrapTrailBytes = 4;

 private:
  // Workers of the longest routines, defined in their own source files and
  // nested for the fields: one row's painting (AfeditPaint.cpp), one
  // refold's walk over the rows and typed text on its way in
  // (AfeditWrap.cpp), one key-down (AfeditKeys.cpp), one vertical or
  // horizontal scroll message (AfeditScroll.cpp), one mouse message and one double click's
  // selection (AfeditMouse.cpp).
  class TRowPainter;
  class TRefold;
  class TTypedText;
  class TKeyDown;
  class TVScroll;
  class THScroll;
  class TMouseAt;
  class TDoubleClick;

  // Frees what the control owns (destructor, failed construction); from its
  // start on, Dispatch hands every message to the library's handling.
  void FreeOwned();
  bool FFreeing = false;
  // Construction steps (AfeditClass.cpp): the owned lists, fonts and
  // selection; then, once the control has its parent, the measured row
  // height and the default property values.
  void CreateOwned();
  void SetDefaults();
  // Row helper (AfeditRows.cpp): drops every row, attribute, block, the undo
  // history and the selection, for Clear and LoadFromStream; oneEmptyRow
  // leaves the single empty row of an empty text.
  void EmptyText(bool oneEmptyRow);
  // Selection helper (AfeditSel.cpp): fires OnSelect or OnDisSelect when the
  // selection came into being or went away since the last check.
  void ReportSelectChange();
  // The rows of a text or a raw stream, for LoadFromStream (AfeditFiles.cpp).
  void LoadTextRows(TStream* stream, TConvMode mode);
  void LoadRawRows(TStream* stream);
  // The end of every load: the row after the last CR, the refolding, an
  // empty undo history, the caret at the start and the display.
  void LoadFinished(TConvMode mode);
  // After a replay: at least one row, and the caret on an existing row
  // (unless aoFreeCaret).
  void AfterReplay();
  // Paste helpers (AfeditPaste.cpp). A caret row past the last row is filled
  // up to as typed text does; then n rows are opened before the caret row and
  // filled from the private row clipboard (entries from `first`) or from
  // lines[first ...] with a CR each; the caret row moves down by n.
  void FillToCaretRow();
  void InsertClipRows(TStrings* lines, int first, int n, bool fromPrivate, bool flagMoved);
  // Scrolls so that the row after the caret row shows, then repaints.
  void ShowPastedRows();

  // Key helpers (AfeditKeys.cpp).
  // Whether CaretLeft can still move the caret: not at the text start of
  // row 0, not at column 0 below the last row.
  bool CanStepLeft();
  // The byte of the row text under p and its index; false off the text. A
  // point inside the indent reads as a blank (index -1).
  bool ByteAt(const TPoint& p, unsigned char& byte, int& index);
  bool IsOnLineText(const TPoint& p);
  bool IsWordBreakAt(const TPoint& p);
  bool IsDbcsAt(const TPoint& p);
  bool IsCrAtCaret();
  void WordJumpLeft();
  void WordJumpRight();
  // The Delete key; false when the key-down returns at once.
  bool DeleteKey(bool shift);
  void KeyboardUnindent();
  // Gives the caret row this indent as one change of the current undo group,
  // then puts the caret at column caretX (the Tab and Ctrl+BackSpace keys).
  void SetCaretRowIndent(int indent, int caretX);
  // Typed characters (AfeditChar.cpp): the lead byte of a double-byte
  // character whose trail byte comes as the next WM_CHAR, else -1.
  int FPendingLeadByte = -1;

  // Mouse helpers (AfeditMouse.cpp).
  enum TAutoScroll : std::uint8_t { asRowDown, asRowUp, asCharDown, asCharUp, asCharRight, asCharLeft };
  // Flags rows a..b (either order) for ValiPaint; rows outside the text are
  // skipped.
  void MarkRows(int a, int b);
  // Draws (or, drawn again at the same column, erases) the inverting line of
  // a wrap-column or indent drag.
  void DrawDragLine(int col);
  // The hit-zone cursor, kept on the control; read again at button down.
  void SetMouseCursor(TCursor cursor);
  // Whether an auto-scroll of this kind has room to go on.
  bool AutoScrollCanGo(TAutoScroll kind);
  // One auto-scroll step with the mouse held at (x, y): moves the view and
  // the selection's moving end; returns the row reached (row drags) or the
  // moving end (character drags) in `reached`, and whether anything moved.
  bool AutoScrollStep(TAutoScroll kind, int x, int y, TPoint& reached);
  // Runs one step now and repeats it from the event loop while the mouse
  // stays still and there is room (the drag's auto-scroll).
  TPoint AutoScroll(TAutoScroll kind, int x, int y, const TPoint& from);
  // Applies a wrap-column or indent drag to the selected rows, as one undo
  // step, and refolds them.
  void ApplyRulerDrag(bool shift);
  // Repeats the auto-scroll step between mouse events.
  TMouseRepeater FAutoScroller;
};

// The control with its properties published for forms.
class TAFEdit : public TCustomAFEdit {
 public:
  using TCustomAFEdit::TCustomAFEdit;

  // The control's own published properties; the library's published ones
  // (Align, Font, Enabled, PopupMenu, OnClick...) come from the base classes.
  using TCustomAFEdit::GetAccelRate;
  using TCustomAFEdit::SetAccelRate;
  using TCustomAFEdit::GetBanEnd;
  using TCustomAFEdit::SetBanEnd;
  using TCustomAFEdit::GetBanHead;
  using TCustomAFEdit::SetBanHead;
  using TCustomAFEdit::GetCharPich;
  using TCustomAFEdit::SetCharPich;
  using TCustomAFEdit::GetColColumnNo;
  using TCustomAFEdit::SetColColumnNo;
  using TCustomAFEdit::GetColColumnIndi;
  using TCustomAFEdit::SetColColumnIndi;
  using TCustomAFEdit::GetColCr;
  using TCustomAFEdit::SetColCr;
  using TCustomAFEdit::GetColor;
  using TCustomAFEdit::SetColor;
  using TCustomAFEdit::GetDependenceColor;
  using TCustomAFEdit::SetDependenceColor;
  using TCustomAFEdit::GetKeywordColor;
  using TCustomAFEdit::SetKeyWordColor;
  using TCustomAFEdit::GetColLeftMgn;
  using TCustomAFEdit::SetMgnColor;
  using TCustomAFEdit::GetColRowNo;
  using TCustomAFEdit::SetRowNoColor;
  using TCustomAFEdit::GetColSelBrush;
  using TCustomAFEdit::SetColSelBrush;
  using TCustomAFEdit::GetSelTextColor;
  using TCustomAFEdit::SetSelTextColor;
  using TCustomAFEdit::GetDefWrapPos;
  using TCustomAFEdit::SetDefWrapPos;
  using TCustomAFEdit::GetDependenceChar;
  using TCustomAFEdit::SetDependenceChar;
  using TCustomAFEdit::GetKeywords;
  using TCustomAFEdit::SetKeyWords;
  using TCustomAFEdit::GetKeywordStyle;
  using TCustomAFEdit::SetKeyWordStyle;
  using TCustomAFEdit::GetLeftMgn;
  using TCustomAFEdit::SetLeftMgn;
  using TCustomAFEdit::GetOptions;
  using TCustomAFEdit::SetOptions;
  using TCustomAFEdit::GetReadOnly;
  using TCustomAFEdit::SetReadOnly;
  using TCustomAFEdit::GetRowDspFmt;
  using TCustomAFEdit::SetRowDspFmt;
  using TCustomAFEdit::GetRowPich;
  using TCustomAFEdit::SetRowPich;
  using TCustomAFEdit::GetScrollBars;
  using TCustomAFEdit::GetTabSize;
  using TCustomAFEdit::SetTabSize;
  using TCustomAFEdit::GetText;
  using TCustomAFEdit::SetText;
  using TCustomAFEdit::GetTopMgn;
  using TCustomAFEdit::SetTopMgn;
  using TCustomAFEdit::GetUndoMax;
  using TCustomAFEdit::SetUndoMax;
  using TCustomAFEdit::GetViewOpt;
  using TCustomAFEdit::SetViewOpt;
  using TCustomAFEdit::GetWrapLeadBytes;
  using TCustomAFEdit::SetWrapLeadBytes;
  using TCustomAFEdit::GetWrapTrailBytes;
  using TCustomAFEdit::SetWrapTrailBytes;
  using TCustomAFEdit::SetFont;
};

namespace Afedit {
struct TRegisteredComponent {
  AnsiString Page;
  AnsiString ClassName;
};
// The components registered for the palette so far.
std::vector<TRegisteredComponent>& RegisteredComponents();
// Registers TAFEdit on the component palette page "Samples" (for a form
// designer; the running program never calls it).
void Register();
}  // namespace Afedit
