// Stands in for the class library's graphics unit and the GDI calls the editor
// makes: colours, fonts, brushes, pens, the canvas, bitmaps and cursors.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/core/Classes.h"

class QImage;

// ---------------------------------------------------------------------------
// Colours: 0x00BBGGRR, or a system colour 0x80000000 | index that stays
// unresolved until drawing (ColorToRGB).

using TColor = int32_t;

inline constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_COUNT = 25;

inline constexpr TColor clWindow = SysColor(COLOR_WINDOW);
inline constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
inline constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
inline constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
inline constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
inline constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr int GetRValue(TColor c) { return c & 0xFF; }
inline constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

// The RGB value (0x00BBGGRR) of a system colour index. The table holds the
// usual light desktop colours (window white, text black...), fixed so that
// drawing does not depend on the desktop theme; SetSysColorValue changes one.
TColor GetSysColor(int index);
void SetSysColorValue(int index, TColor rgb);
// A system colour resolved to RGB; any other value unchanged.
TColor ColorToRGB(TColor color);

// ---------------------------------------------------------------------------
// Fonts.

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, uint8_t>;

// Height follows the library's sign convention: negative = the character
// (em) height in pixels, positive = the cell height including internal
// leading; Size is in points at 96 pixels per inch. A new font is
// "ＭＳ Ｐゴシック", Height -12 (Size 9), clWindowText, no style.
// The names "ＭＳ ゴシック" and "ＭＳ Ｐゴシック" (in UTF-8 or in code page
// 932 bytes) draw with IPAGothic and IPAPGothic; any other name is taken as
// a font family name in UTF-8.
class TFont : public TPersistent {
 public:
  TFont();
  void Assign(TPersistent* source) override;  // from a TFont; self-assignment changes nothing

  const AnsiString& GetName() const { return FName; }
  void SetName(const AnsiString& name);
  int GetHeight() const { return FHeight; }
  void SetHeight(int height);
  int GetSize() const;
  void SetSize(int points);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor color);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles style);

  // The family that draws this font (after substitution), UTF-8.
  AnsiString FamilyName() const;

  // Fired after any change (not when a setter stores the value it had).
  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  AnsiString FName;
  int FHeight;
  TColor FColor;
  TFontStyles FStyle;
};

// ---------------------------------------------------------------------------
// Brushes and pens.

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
 public:
  void Assign(TPersistent* source) override;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor c);
  TBrushStyle GetStyle() const { return FStyle; }
  void SetStyle(TBrushStyle s);
  TNotifyEvent OnChange;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

// pmNot inverts the destination; pmNop leaves it.
enum TPenMode { pmNop, pmNot, pmCopy, pmXor, pmNotXor };
enum TPenStyle { psSolid, psClear };

class TPen : public TPersistent {
 public:
  void Assign(TPersistent* source) override;
  TColor GetColor() const { return FColor; }
  void SetColor(TColor c);
  TPenMode GetMode() const { return FMode; }
  void SetMode(TPenMode m);
  TPenStyle GetStyle() const { return FStyle; }
  void SetStyle(TPenStyle s);
  int GetWidth() const { return FWidth; }
  void SetWidth(int w);
  TNotifyEvent OnChange;

 private:
  TColor FColor = clBlack;
  TPenMode FMode = pmCopy;
  TPenStyle FStyle = psSolid;
  int FWidth = 1;
};

// ---------------------------------------------------------------------------
// The canvas: draws on an image (a bitmap's, or a control's backing image).
// Coordinates are pixels; rectangles exclude Right and Bottom as in GDI.
//
// Text is code page 932 bytes on a fixed cell grid: every byte is one cell,
// a double-byte character spans two cells and is drawn as one glyph from the
// left edge of its first cell. TextOut and TextWidth use the font's cell width
// CellWidth() = (TextHeight("あ") + 1) / 2; ExtTextOut takes the advance of
// every byte from its dx array. Bytes are converted to Unicode only to draw.

class TCanvas;
class TBitmap;
using HDC = TCanvas*;

enum TFillStyle { fsSurface, fsBorder };

inline constexpr unsigned ETO_OPAQUE = 0x0002;
inline constexpr unsigned ETO_CLIPPED = 0x0004;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  TFont* Font;    // owned
  TBrush* Brush;  // owned
  TPen* Pen;      // owned

  HDC GetHandle() { return this; }

  TPoint GetPenPos() const { return FPenPos; }
  void MoveTo(int x, int y) { FPenPos = TPoint(x, y); }
  // Draws from the pen position to (x, y), excluding the end point, in the
  // pen's colour and mode; the pen position becomes (x, y).
  void LineTo(int x, int y);

  void FillRect(const TRect& r);   // with the brush

  void TextOut(int x, int y, const AnsiString& text);
  // As ExtTextOutA: ETO_OPAQUE fills *rect with the brush colour, ETO_CLIPPED
  // clips the text to *rect; dx (may be null) gives each byte's advance.
  // The text colour is the font's; the brush style bsClear leaves the
  // background of the text cells as it is when ETO_OPAQUE is not given.
  void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const char* text, int length, const int* dx);
  int TextWidth(const AnsiString& text);   // bytes x CellWidth()
  int TextHeight(const AnsiString& text);  // the font's line height (ascent + descent)
  int CellWidth();

  void Draw(int x, int y, TBitmap* bitmap);  // unclipped; honours bitmap->Transparent
  void StretchDraw(const TRect& r, TBitmap* bitmap);
  // Fills the area connected (4-neighbours) to (x, y): fsSurface fills the
  // pixels of the given colour, fsBorder every pixel up to that colour.
  void FloodFill(int x, int y, TColor color, TFillStyle style);

  TColor GetPixel(int x, int y) const;  // RGB; -1 outside the image
  void SetPixel(int x, int y, TColor color);
  TColor Pixels(int x, int y) const { return GetPixel(x, y); }

  // Platform side: the image drawn on (not owned) and a hook told which
  // rectangle changed (the control uses it to refresh the screen).
  void SetImage(QImage* image) { FImage = image; }
  QImage* GetImage() const { return FImage; }
  std::function<void(const TRect&)> OnPainted;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;  // cached font metrics
  QImage* FImage = nullptr;
  TPoint FPenPos;
  void Painted(const TRect& r);
  friend struct CanvasText;
};


// ---------------------------------------------------------------------------
// Bitmaps. Resources are looked up by name in the program's Qt resources:
// ":/editor/<name>.bmp", ".png" or ".xpm" (also under ":/" ); a missing
// resource throws EResNotFound. New pixels are white.


// Recorded only: pixels are always 24-bit RGB and the transparent colour is
// always the bottom-left pixel.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

using HINSTANCE = void*;
inline constexpr HINSTANCE HInstance = nullptr;  // the program's module

class TBitmap : public TPersistent {
 public:
  TBitmap();
  ~TBitmap() override;

  TCanvas* Canvas;  // owned; draws on the bitmap

  void Assign(TPersistent* source) override;  // copies a TBitmap
  void LoadFromResourceName(HINSTANCE instance, const AnsiString& name);
  void LoadFromResourceName(const AnsiString& name) { LoadFromResourceName(HInstance, name); }
  void LoadFromFile(const AnsiString& fileName);  // any image format Qt reads; EInvalidGraphic
  void SaveToFile(const AnsiString& fileName);    // format by extension (bmp, png)

  int GetWidth() const;
  void SetWidth(int w);
  int GetHeight() const;
  void SetHeight(int h);
  void SetSize(int w, int h);  // keeps the top-left content
  bool Empty() const;

  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool t) { FTransparent = t; }
  void SetPixelFormat(TPixelFormat f) { FPixelFormat = f; }
  void SetTransparentMode(TTransparentMode m) { FTransparentMode = m; }
  TColor GetTransparentColor() const;

  QImage* GetImage() const { return FImage.get(); }

 private:
  std::unique_ptr<QImage> FImage;
  TPixelFormat FPixelFormat = pfDevice;
  TTransparentMode FTransparentMode = tmAuto;
  bool FTransparent = false;
};

// Finds a resource file by name, trying the known extensions under each
// resource prefix; empty when none exists. Resources are looked up under
// ":/editor/" then ":/"; AddResourcePrefix adds another (e.g. ":/app/").
AnsiString FindResourceFile(const AnsiString& name, std::initializer_list<const char*> extensions);
void AddResourcePrefix(const AnsiString& prefix);

// ---------------------------------------------------------------------------
// Cursors. Negative values are the standard shapes; positive values index
// cursors registered with Screen->Cursors[i] (see Controls.h).

using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;

// A cursor shape made by LoadCursor; cursors live for the whole program.
struct TCursorShape;
using HCURSOR = TCursorShape*;
// Loads the cursor resource "<name>.xpm" (hot spot from the XPM header) or
// "<name>.png"; null when there is none.
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
inline HCURSOR LoadCursor(HINSTANCE instance, const char* name) { return LoadCursorA(instance, name); }
