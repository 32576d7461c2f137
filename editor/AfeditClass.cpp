// The editor control itself: construction, Loaded and destruction, the
// property writers, the text metrics, the keyword character set, the visible
// row and column counts and the Text property.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "editor/Afedit.h"
#include "platform/qt/Caret.h"

// Shared by every editor control of the process.
TColor LastFontColor = 0;
bool ColAdjLeft = false;
int WrapTrailCount = 0;
int WrapLeadCount = 0;
int ScrollAccel = 0;

namespace {

// "あ" in code page 932: the glyph the text height is measured on.
const char* const kMeasureChar = "\x82\xA0";

// Characters that may not begin a row, and that may not end one.
const char* const kBanHead =
    "\x81\x41\x81\x42\x81\x43\x81\x44\x81\x48\x81\x49\x81\x4A\x81\x4B\x81\x63\x81\x64"
    "\x81\x66\x81\x68\x81\x6A\x81\x6C\x81\x6E\x81\x70\x81\x72\x81\x74\x81\x76\x81\x78"
    "\x81\x7A\x81\xE2\x82\x9F\x82\xA1\x82\xA3\x82\xA5\x82\xA7\x82\xC1\x82\xE1\x82\xE3"
    "\x82\xE5\x83\x40\x83\x42\x83\x44\x83\x46\x83\x48\x83\x62\x83\x83\x83\x85\x83\x87"
    ")]},.;:";
const char* const kBanEnd =
    "\x81\x69\x81\x6D\x81\x6F\x81\x75\x81\x6B\x81\x73\x81\x77\x81\x79\x81\x71\x81\xE1"
    "\x81\x65\x81\x67({[";

// The defined codes of 0x8740-0x879C (NEC special characters), in the order
// the dependence-character text holds them.
const unsigned short kDependenceCodes[] = {
    0x878B, 0x8786, 0x878C, 0x8785, 0x8788, 0x878A, 0x8787, 0x8789, 0x878F, 0x878E, 0x878D, 0x877E,
    0x876E, 0x876D, 0x876C, 0x876B, 0x876A, 0x8769, 0x8768, 0x8767, 0x8766, 0x8765, 0x8764, 0x8763,
    0x8762, 0x8761, 0x8760, 0x875F, 0x8784, 0x8782, 0x876F, 0x8772, 0x8775, 0x8771, 0x8783, 0x8773,
    0x8770, 0x8774, 0x8753, 0x8752, 0x8751, 0x8750, 0x874F, 0x874E, 0x874D, 0x874C, 0x874B, 0x874A,
    0x875D, 0x8749, 0x875C, 0x8748, 0x875B, 0x8747, 0x875A, 0x8746, 0x8759, 0x8745, 0x8758, 0x8744,
    0x8757, 0x8743, 0x8756, 0x8742, 0x8755, 0x8741, 0x8754, 0x8740, 0x8799, 0x8796, 0x8791, 0x8790,
    0x879A, 0x8793, 0x8792, 0x879C, 0x879B, 0x8797, 0x8798, 0x8795, 0x8794, 0x8781, 0x8780,
};

AnsiString DependenceCharText() {
  AnsiString s;
  for (unsigned short code : kDependenceCodes) {
    s += static_cast<char>(code >> 8);
    s += static_cast<char>(code & 0xFF);
  }
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------
// Row number formatting: literal text and one %[flags][width]d.

AnsiString FormatRowNumber(const AnsiString& format, int number) {
  constexpr int kMaxWidth = 255;  // a wider field is cut to this many cells
  AnsiString out;
  bool used = false;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // Parse flags, width and the conversion; anything else stays literal.
    size_t j = i + 1;
    bool left = false, zero = false, plus = false, space = false;
    for (; j < format.size(); ++j) {
      char f = format[j];
      if (f == '-')
        left = true;
      else if (f == '0')
        zero = true;
      else if (f == '+')
        plus = true;
      else if (f == ' ')
        space = true;
      else
        break;
    }
    int width = 0;
    for (; j < format.size() && format[j] >= '0' && format[j] <= '9'; ++j)
      width = Min(width * 10 + (format[j] - '0'), kMaxWidth);
    if (used || j >= format.size() || format[j] != 'd') {
      out += '%';
      continue;
    }
    used = true;
    long long v = number;
    AnsiString digits = std::to_string(v < 0 ? -v : v);
    AnsiString sign = v < 0 ? "-" : plus ? "+" : space ? " " : "";
    int pad = width - static_cast<int>(sign.size() + digits.size());
    if (pad <= 0)
      out += sign + digits;
    else if (left)
      out += sign + digits + AnsiString(pad, ' ');
    else if (zero)
      out += sign + AnsiString(pad, '0') + digits;
    else
      out += AnsiString(pad, ' ') + sign + digits;
    i = j;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Construction and destruction.

TCustomAFEdit::TCustomAFEdit(TComponent* Owner) : TCustomControl(Owner) {
  // The owner must be a windowed control: it becomes the parent below. Test
  // it before anything is allocated.
  TWinControl* parent = Owner ? AsWinControl(Owner) : nullptr;
  try {
    CreateOwned();

    FCaretInsertShape = true;
    FCaretWideShape = true;
    FLastCaretCol = -1;
    FLastLeftCol = -1;
    FCrBmpHeight = 0;
    FCrBmpColor = 0;
    FCrBmpBack = 0;
    FLastDragRow = -1;
    FReadOnly = false;
    FLastTopLine = -1;
    FSelArea->RowReset();
    FSelArea->PointReset();
    SetScrollBars(ssBoth);

    FCrBmp = new TBitmap();
    FCrSelBmp = new TBitmap();
    FCrResBmp = new TBitmap();
    FCrResBmp->LoadFromResourceName(HInstance, "CR");

    if (parent) SetParent(parent);

    SetDefaults();

    SetWidth(200);
    SetHeight(100);
    Font->SetName("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E");  // "ＭＳ ゴシック"
    Font->SetColor(clWindowText);

    FMouseXOffset = 3;
    FDragState = dmNone;

    MetricsUpdate(false);
    OnKeywordsChange(this);
    SetUndoMax(-1);

    Screen->Cursors[5] = LoadCursorA(HInstance, "RevCursor");

    FUndoBuff->Reset();
    SetDependenceColor(static_cast<TColor>(0xFF00FF));

    AddLineP("", MakeAttr(false, 0, FDefWrapPos));
    // A control built in code gets no Loaded: its history must not hold the
    // insertion of its only row either.
    FUndoBuff->Reset();
  } catch (...) {
    FreeOwned();
    throw;
  }
}

void TCustomAFEdit::CreateOwned() {
  FUndoBuff = new TUndoBuff(100);
  FLinesAttr = new TAttrList();
  FBlkAttrs = new TBlkAttrList();
  FClipAttrs = new TAttrList();
  FClipLines = new TStringList();
  FLines = new TStringList();
  FKeywords = new TStringList();
  FSelArea = new TSelArea();
  FDependenceFont = new TFont();
  FKeywordFont = new TFont();
  FSelFont = new TFont();
  FBlkAttrs->FOnDelete = [this](TObject* Sender, int AStartRow, int AEndRow) {
    BlkAttrDelete(Sender, AStartRow, AEndRow);
  };
}

void TCustomAFEdit::SetDefaults() {
  FTextHeight = Canvas->TextHeight(kMeasureChar);
  FRowPich = 2;
  FRowHeight = Max(FTextHeight + 2, 1);
  FAccelRate = 2;
  FOptions = TAFEditOptions{aoAutoFormat};
  FBanHead = kBanHead;
  FBanEnd = kBanEnd;
  FCaret = TPoint(0, 0);

  FColColumnIndi = clBtnFace;
  FColCr = clMaroon;
  FColor = clWindow;
  FColLeftMgn = clWindow;
  FColRowNo = clWindowText;
  FColSelBrush = clHighlight;
  FColColumnNo = clWindowText;
  FDefWrapPos = 60;

  FTextRect = TRect(40, FRowHeight, GetWidth(), GetHeight());
  FSelFont->SetColor(clHighlightText);
  FCaretHideCount = 0;
  FInsertMode = true;
  FTopLine = 0;
  FWordChars.reset();
  FLeftCol = 0;

  FDependenceChar = DependenceCharText();
  FShiftDown = false;
  FRowDspFmt = "%5d:";
  FRowPich = 2;
  FTabSize = 4;
  FThumbTrack = true;
  FViewOpt = TViewOptions::FromBits(0x3FF);
  FVScrollShown = false;
  FHScrollShown = false;
  FWrapLeadBytes = 10;
  FWrapTrailBytes = 4;
  FKeywords->OnChange = [this](TObject* Sender) { OnKeywordsChange(Sender); };

  FFoldMark = "\x81\xA9";
  FTabFillChar = '-';
  FTabChar = '>';
  FEofMark = "< ";
  FIndentChar = '.';
  FJSpaceMark = "\x81\xA0";
  FCrMarkText.clear();
}

TCustomAFEdit::~TCustomAFEdit() { FreeOwned(); }

void TCustomAFEdit::FreeOwned() {
  // Messages that arrive from here on, and while the base classes wind
  // down, find nothing of this class to act on.
  FFreeing = true;
  delete FUndoBuff;
  FUndoBuff = nullptr;
  if (FLinesAttr) FLinesAttr->Clear();
  delete FLinesAttr;
  FLinesAttr = nullptr;
  delete FBlkAttrs;
  FBlkAttrs = nullptr;
  delete FClipAttrs;
  FClipAttrs = nullptr;
  delete FClipLines;
  FClipLines = nullptr;
  delete FLines;
  FLines = nullptr;
  delete FKeywords;
  FKeywords = nullptr;
  delete FSelArea;
  FSelArea = nullptr;
  delete FDependenceFont;
  FDependenceFont = nullptr;
  delete FKeywordFont;
  FKeywordFont = nullptr;
  delete FSelFont;
  FSelFont = nullptr;
  delete FCrBmp;
  FCrBmp = nullptr;
  delete FCrSelBmp;
  FCrSelBmp = nullptr;
  delete FCrResBmp;
  FCrResBmp = nullptr;
  FTabBuf.clear();
  FTabBuf.shrink_to_fit();
}

void TCustomAFEdit::Dispatch(TMessage& Message) {
  if (FFreeing) return TCustomControl::Dispatch(Message);
  switch (Message.Msg) {
    case WM_SIZE:            return CallHandler(*this, &TCustomAFEdit::WMSize, Message);
    case WM_SETFOCUS:        return CallHandler(*this, &TCustomAFEdit::WMSetFocus, Message);
    case WM_KILLFOCUS:       return CallHandler(*this, &TCustomAFEdit::WMKillFocus, Message);
    case WM_NCPAINT:         return CallHandler(*this, &TCustomAFEdit::WMNCPaint, Message);
    case WM_GETDLGCODE:      return CallHandler(*this, &TCustomAFEdit::WMGetDlgCode, Message);
    case WM_KEYDOWN:         return CallHandler(*this, &TCustomAFEdit::WMKeyDown, Message);
    case WM_KEYUP:           return CallHandler(*this, &TCustomAFEdit::WMKeyUp, Message);
    case WM_CHAR:            return CallHandler(*this, &TCustomAFEdit::WMChar, Message);
    case WM_IME_COMPOSITION: return CallHandler(*this, &TCustomAFEdit::WMImeComposition, Message);
    case WM_HSCROLL:         return CallHandler(*this, &TCustomAFEdit::WMHScroll, Message);
    case WM_VSCROLL:         return CallHandler(*this, &TCustomAFEdit::WMVScroll, Message);
    case WM_MOUSEMOVE:       return CallHandler(*this, &TCustomAFEdit::WMMouseMove, Message);
    case WM_LBUTTONDOWN:     return CallHandler(*this, &TCustomAFEdit::WMLButtonDown, Message);
    case WM_LBUTTONUP:       return CallHandler(*this, &TCustomAFEdit::WMLButtonUp, Message);
    case WM_LBUTTONDBLCLK:   return CallHandler(*this, &TCustomAFEdit::WMLButtonDblClk, Message);
    case WM_CUT:             return CallHandler(*this, &TCustomAFEdit::WMCut, Message);
    case WM_COPY:            return CallHandler(*this, &TCustomAFEdit::WMCopy, Message);
    case WM_PASTE:           return CallHandler(*this, &TCustomAFEdit::WMPaste, Message);
    case WM_CLEAR:           return CallHandler(*this, &TCustomAFEdit::WMCLEAR, Message);
    case WM_UNDO:            return CallHandler(*this, &TCustomAFEdit::WMUNDO, Message);
    case CM_FONTCHANGED:     return CallHandler(*this, &TCustomAFEdit::CMFontChanged, Message);
    case CM_MOUSELEAVE:      return CallHandler(*this, &TCustomAFEdit::CMMouseLeave, Message);
    case CM_WANTSPECIALKEY:  return CallHandler(*this, &TCustomAFEdit::CMWantSpecialKey, Message);
    default:                 return TCustomControl::Dispatch(Message);
  }
}

void TCustomAFEdit::Loaded() {
  TCustomControl::Loaded();
  SetFont(Font);
  FUndoBuff->Reset();
  if (OnUndoChange) OnUndoChange(this, false, false);
  if (FLines->Count() == 0) AddLineP("", MakeAttr(false, 0, FDefWrapPos));
  FUndoBuff->Reset();
  FCaret = TPoint(0, 0);
  SetCaretPosition();
}

// ---------------------------------------------------------------------------
// Metrics.

int* TCustomAFEdit::CharDx(int n) {
  if (n < 1) n = 1;
  if (static_cast<int>(FCharDx.size()) < n) FCharDx.resize(static_cast<size_t>(n), FCharStep);
  return FCharDx.data();
}

void TCustomAFEdit::MetricsUpdate(bool repaint) {
  Canvas->Font->Assign(Font);
  FTextHeight = Canvas->TextHeight(kMeasureChar);
  // The visible counts and the mouse mapping divide by the row height and the
  // character step: neither may fall below one pixel.
  FRowHeight = Max(FTextHeight + FRowPich, 1);
  FCharWidth = (FTextHeight + 1) / 2;
  FCharStep = Max(FCharWidth + FCharPich, 1);
  std::fill(FCharDx.begin(), FCharDx.end(), FCharStep);

  int w = static_cast<int>(FormatRowNumber(FRowDspFmt, 100).size()) * FCharStep;
  if (FViewOpt.Contains(voRowNum) && FLeftMgn < w) FLeftMgn = w;

  FTextLeft = FLeftMgn;
  FTextTop = FTopMgn + (FViewOpt.Contains(voColIndicate) ? FRowHeight : 0);

  if (repaint) {
    HideCaret(GetHandle());
    Canvas->Brush->SetColor(FColor);
    Canvas->FillRect(ClientRect());
    Paint();
    ShowCaret(GetHandle());
  }
}

int TCustomAFEdit::GetDspRowCount() { return (FTextRect.Bottom - FTextTop) / Max(FRowHeight, 1); }

int TCustomAFEdit::GetDspColCount() { return (FTextRect.Right - FTextLeft) / Max(FCharStep, 1); }

void TCustomAFEdit::OnKeywordsChange(TObject* Sender) {
  FWordChars.reset();
  for (int c = 'A'; c <= 'Z'; ++c) FWordChars.set(static_cast<size_t>(c));
  for (int c = 'a'; c <= 'z'; ++c) FWordChars.set(static_cast<size_t>(c));
  for (int i = 0; i < FKeywords->Count(); ++i)
    for (unsigned char b : FKeywords->Strings(i)) FWordChars.set(b);
}

// ---------------------------------------------------------------------------
// Fonts and colours.

void TCustomAFEdit::SetFont(TFont* value) {
  TColor fontColor = Font->GetColor();
  if (fontColor != LastFontColor) {
    // Rows still in the colour the previous font had follow the new one.
    for (int r = 0; r < FLines->Count(); ++r) {
      TAttrListItem* attr = GetLinesAttr(r);
      if (attr->TextColor == LastFontColor) attr->TextColor = fontColor;
    }
    LastFontColor = fontColor;
  }
  if (value != Font) Font->Assign(value);
  MetricsUpdate(false);
  int h = Canvas->Font->GetHeight();
  if (h % 2 != 0) Canvas->Font->SetHeight(h + 1);

  TColor keep = FDependenceFont->GetColor();
  FDependenceFont->Assign(Font);
  FDependenceFont->SetColor(keep);
  keep = FKeywordFont->GetColor();
  TFontStyles keepStyle = FKeywordFont->GetStyle();
  FKeywordFont->Assign(Font);
  FKeywordFont->SetColor(keep);
  FKeywordFont->SetStyle(keepStyle);
  keep = FSelFont->GetColor();
  FSelFont->Assign(Font);
  FSelFont->SetColor(keep);

  bool designing = ComponentState().Contains(csDesigning);
  bool caretMade = Focused() && !designing;
  if (caretMade) {
    CreateCaret(GetHandle(), nullptr, 2, FTextHeight);
    // The new caret is a bar of the new height: forget the cached shape so
    // the placement below gives it the overwrite shape in overwrite mode.
    FCaretInsertShape = true;
  }
  ShowCaret(GetHandle());
  if (caretMade) SetCaretPosition();
  SetCrColor(FColCr, FColor);
  if (designing) Paint();
}

void TCustomAFEdit::SetColor(TColor value) {
  for (int r = 0; r < FLines->Count(); ++r) {
    TAttrListItem* attr = GetLinesAttr(r);
    if (attr->BackColor == FColor) attr->BackColor = value;
  }
  FColor = value;
  Paint();
}

void TCustomAFEdit::SetDefWrapPos(int value) {
  for (int i = 0; i < FLinesAttr->Count(); ++i) {
    TAttrListItem* attr = FLinesAttr->PeekItem(i);
    if (attr && attr->WrapPos == FDefWrapPos) attr->WrapPos = static_cast<std::int16_t>(value);
  }
  FDefWrapPos = value;
}

TColor TCustomAFEdit::GetDependenceColor() const { return FDependenceFont->GetColor(); }

void TCustomAFEdit::SetDependenceColor(TColor value) {
  FDependenceFont->SetColor(value);
  SetFont(Font);
}

TColor TCustomAFEdit::GetKeywordColor() const { return FKeywordFont->GetColor(); }

void TCustomAFEdit::SetKeyWordColor(TColor value) {
  FKeywordFont->SetColor(value);
  SetFont(Font);
}

TFontStyles TCustomAFEdit::GetKeywordStyle() const { return FKeywordFont->GetStyle(); }

void TCustomAFEdit::SetKeyWordStyle(TFontStyles value) {
  FKeywordFont->SetStyle(value);
  SetFont(Font);
}

TColor TCustomAFEdit::GetSelTextColor() const { return FSelFont->GetColor(); }

void TCustomAFEdit::SetSelTextColor(TColor value) {
  FSelFont->SetColor(value);
  SetFont(Font);
}

void TCustomAFEdit::SetMgnColor(TColor value) {
  FColLeftMgn = value;
  Paint();
}

void TCustomAFEdit::SetRowNoColor(TColor value) {
  FColRowNo = value;
  Paint();
}

void TCustomAFEdit::SetKeyWords(TStrings* value) {
  if (value != FKeywords) FKeywords->Assign(value);
}

// ---------------------------------------------------------------------------
// Properties that remeasure.

void TCustomAFEdit::SetCharPich(int value) {
  FCharPich = value;
  MetricsUpdate(true);
}

void TCustomAFEdit::SetRowPich(int value) {
  FRowPich = value;
  MetricsUpdate(true);
}

void TCustomAFEdit::SetLeftMgn(int value) {
  FLeftMgn = value;
  MetricsUpdate(true);
}

void TCustomAFEdit::SetTopMgn(int value) {
  FTopMgn = value;
  MetricsUpdate(true);
}

void TCustomAFEdit::SetRowDspFmt(AnsiString value) {
  FRowDspFmt = std::move(value);
  MetricsUpdate(true);
}

void TCustomAFEdit::SetViewOpt(TViewOptions value) {
  FViewOpt = value;
  if (!FUpdating) MetricsUpdate(true);
}

int TCustomAFEdit::GetUndoMax() const { return FUndoBuff->GetMaxCount(); }

void TCustomAFEdit::SetUndoMax(int value) { FUndoBuff->SetMaxCount(value); }

// ---------------------------------------------------------------------------
// The whole text.

AnsiString TCustomAFEdit::GetText() {
  AnsiString text;
  int n = GetLinesCount();
  for (int r = 0; r < n; ++r) {
    text += GetLine(r);
    if (isCrLine(r)) text += '\n';
  }
  return text;
}

void TCustomAFEdit::SetText(AnsiString value) {
  TStringStream stream(value);
  LoadFromStream(&stream, TConvMode());
}

// ---------------------------------------------------------------------------
// Design-time registration.

namespace Afedit {

std::vector<TRegisteredComponent>& RegisteredComponents() {
  static std::vector<TRegisteredComponent> components;
  return components;
}

void Register() {
  for (const auto& c : RegisteredComponents())
    if (c.ClassName == "TAFEdit") return;
  RegisteredComponents().push_back({"Samples", "TAFEdit"});
}

}  // namespace Afedit
