// Colours, fonts, brushes, pens, bitmaps, resources and cursors.
#include "platform/qt/Graphics.h"

#include <QBitmap>
#include <QCursor>
#include <QFile>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <array>
#include <mutex>
#include <vector>

#include "platform/qt/internal/QtBridge.h"
#include "platform/text/Cp932.h"

// ---------------------------------------------------------------------------
// System colours: the usual light desktop values, fixed.

namespace {
std::array<TColor, COLOR_COUNT> gSysColors = {
    RGB(200, 200, 200),  // scroll bar
    RGB(0, 0, 0),        // background
    RGB(153, 180, 209),  // active caption
    RGB(191, 205, 219),  // inactive caption
    RGB(240, 240, 240),  // menu
    RGB(255, 255, 255),  // window
    RGB(100, 100, 100),  // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(0, 0, 0),        // caption text
    RGB(180, 180, 180),  // active border
    RGB(244, 247, 252),  // inactive border
    RGB(171, 171, 171),  // application workspace
    RGB(0, 120, 215),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(240, 240, 240),  // button face
    RGB(160, 160, 160),  // button shadow
    RGB(109, 109, 109),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(67, 78, 84),     // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(105, 105, 105),  // 3D dark shadow
    RGB(227, 227, 227),  // 3D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
};
}  // namespace

TColor GetSysColor(int index) {
  if (index < 0 || index >= COLOR_COUNT) return 0;
  return gSysColors[static_cast<size_t>(index)];
}

void SetSysColorValue(int index, TColor rgb) {
  if (index >= 0 && index < COLOR_COUNT) gSysColors[static_cast<size_t>(index)] = rgb & 0xFFFFFF;
}

TColor ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return color;
}

// ---------------------------------------------------------------------------
// Fonts

namespace {
struct Substitute {
  const char* name;  // UTF-8
  const char* family;
};
// The two Japanese gothic faces the program asks for, and their plain names.
constexpr Substitute kSubstitutes[] = {
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"MS Gothic", "IPAGothic"},
    {"MS PGothic", "IPAPGothic"},
};

// Whether s is well-formed UTF-8 (a font name may come in either encoding).
bool IsValidUtf8(const AnsiString& s) {
  size_t i = 0, n = s.size();
  while (i < n) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    size_t len = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
    if (len == 0 || i + len > n) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}
}  // namespace

TFont::TFont()
    : FName("ＭＳ Ｐゴシック"), FHeight(-12), FColor(clWindowText) {}

void TFont::Assign(TPersistent* source) {
  auto* f = dynamic_cast<TFont*>(source);
  if (!f) {
    TPersistent::Assign(source);
    return;
  }
  if (f == this) return;
  bool same = FName == f->FName && FHeight == f->FHeight && FColor == f->FColor && FStyle == f->FStyle;
  FName = f->FName;
  FHeight = f->FHeight;
  FColor = f->FColor;
  FStyle = f->FStyle;
  if (!same) Changed();
}

void TFont::Changed() {
  if (OnChange) OnChange(this);
}

void TFont::SetName(const AnsiString& name) {
  if (name.empty() || name == FName) return;
  FName = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}

int TFont::GetSize() const {
  // Size = -Height * 72 / 96, rounded.
  long v = -static_cast<long>(FHeight) * 72;
  return static_cast<int>(v >= 0 ? (v + 48) / 96 : -((-v + 48) / 96));
}

void TFont::SetSize(int points) {
  long v = static_cast<long>(points) * 96;
  SetHeight(-static_cast<int>(v >= 0 ? (v + 36) / 72 : -((-v + 36) / 72)));
}

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}

AnsiString TFont::FamilyName() const {
  // The name may come as UTF-8 or as code page 932 bytes.
  AnsiString utf8 = FName;
  if (!IsValidUtf8(FName)) {
    std::string converted;
    if (cp932::ToUtf8(FName, converted)) utf8 = converted;
  }
  for (const Substitute& s : kSubstitutes)
    if (utf8 == s.name) return s.family;
  return utf8;
}

QFont ToQFont(const TFont& font, int* pixelSize) {
  QFont q(ToQString(font.FamilyName()));
  int h = font.GetHeight();
  int px;
  if (h < 0) {
    px = -h;
  } else if (h > 0) {
    // A positive height is the cell height: ascent + descent.
    QFont probe(q);
    probe.setPixelSize(100);
    QFontMetricsF m(probe);
    qreal cell = m.ascent() + m.descent();
    px = cell > 0 ? qRound(h * 100.0 / cell) : h;
  } else {
    px = 12;
  }
  if (px < 1) px = 1;
  q.setPixelSize(px);
  const TFontStyles st = font.GetStyle();
  q.setBold(st.Contains(fsBold));
  q.setItalic(st.Contains(fsItalic));
  q.setUnderline(st.Contains(fsUnderline));
  q.setStrikeOut(st.Contains(fsStrikeOut));
  q.setKerning(false);
  if (pixelSize) *pixelSize = px;
  return q;
}

// ---------------------------------------------------------------------------
// Brushes and pens

void TBrush::Assign(TPersistent* source) {
  auto* b = dynamic_cast<TBrush*>(source);
  if (!b) return TPersistent::Assign(source);
  if (b == this) return;
  FColor = b->FColor;
  FStyle = b->FStyle;
  if (OnChange) OnChange(this);
}

void TBrush::SetColor(TColor c) {
  if (c == FColor && FStyle != bsClear) return;
  FColor = c;
  if (FStyle == bsClear) FStyle = bsSolid;  // a colour makes a cleared brush solid again
  if (OnChange) OnChange(this);
}

void TBrush::SetStyle(TBrushStyle s) {
  if (s == FStyle) return;
  FStyle = s;
  if (OnChange) OnChange(this);
}

void TPen::Assign(TPersistent* source) {
  auto* p = dynamic_cast<TPen*>(source);
  if (!p) return TPersistent::Assign(source);
  if (p == this) return;
  FColor = p->FColor;
  FMode = p->FMode;
  FStyle = p->FStyle;
  FWidth = p->FWidth;
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor c) {
  if (c == FColor) return;
  FColor = c;
  if (OnChange) OnChange(this);
}

void TPen::SetMode(TPenMode m) {
  if (m == FMode) return;
  FMode = m;
  if (OnChange) OnChange(this);
}

void TPen::SetStyle(TPenStyle s) {
  if (s == FStyle) return;
  FStyle = s;
  if (OnChange) OnChange(this);
}

void TPen::SetWidth(int w) {
  if (w < 1) w = 1;
  if (w == FWidth) return;
  FWidth = w;
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// Images and resources

QImage NewImage(int width, int height, TColor fill) {
  QImage img(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
  if (!img.isNull()) img.fill(ToQColor(fill));
  return img;
}

namespace {
std::vector<AnsiString>& Prefixes() {
  static std::vector<AnsiString> prefixes = {":/editor/", ":/"};
  return prefixes;
}
}  // namespace

void AddResourcePrefix(const AnsiString& prefix) {
  for (const AnsiString& p : Prefixes())
    if (p == prefix) return;
  Prefixes().insert(Prefixes().end() - 1, prefix);
}

AnsiString FindResourceFile(const AnsiString& name, std::initializer_list<const char*> extensions) {
  if (name.empty() || name.find('/') != AnsiString::npos) return AnsiString();
  for (const AnsiString& prefix : Prefixes())
    for (const char* ext : extensions) {
      AnsiString path = prefix + name + ext;
      if (QFile::exists(ToQString(path))) return path;
    }
  return AnsiString();
}

bool LoadResourceImage(const AnsiString& name, QImage& out) {
  AnsiString path = FindResourceFile(name, {".bmp", ".png", ".xpm"});
  if (path.empty()) return false;
  QImage img(ToQString(path));
  if (img.isNull()) return false;
  out = img.convertToFormat(QImage::Format_RGB32);
  return true;
}

// ---------------------------------------------------------------------------
// Bitmaps

TBitmap::TBitmap() : Canvas(new TCanvas), FImage(std::make_unique<QImage>()) { Canvas->SetImage(FImage.get()); }

TBitmap::~TBitmap() { delete Canvas; }

void TBitmap::Assign(TPersistent* source) {
  auto* b = dynamic_cast<TBitmap*>(source);
  if (!b) return TPersistent::Assign(source);
  if (b == this) return;
  *FImage = b->FImage->copy();
  FPixelFormat = b->FPixelFormat;
  FTransparentMode = b->FTransparentMode;
  FTransparent = b->FTransparent;
}

void TBitmap::LoadFromResourceName(HINSTANCE, const AnsiString& name) {
  QImage img;
  if (!LoadResourceImage(name, img)) throw EResNotFound(Format(LibMsg::ResNotFound, name.c_str()));
  *FImage = img;
}

void TBitmap::LoadFromFile(const AnsiString& fileName) {
  QImage img(ToQString(fileName));
  if (img.isNull()) {
    if (!QFile::exists(ToQString(fileName))) throw EFOpenError(Format(LibMsg::FOpenError, fileName.c_str()));
    throw EInvalidGraphic("ビットマップの形式が正しくありません");
  }
  *FImage = img.convertToFormat(QImage::Format_RGB32);
}

void TBitmap::SaveToFile(const AnsiString& fileName) {
  if (!FImage->save(ToQString(fileName))) throw EFCreateError(Format(LibMsg::FCreateError, fileName.c_str()));
}

int TBitmap::GetWidth() const { return FImage->width(); }
int TBitmap::GetHeight() const { return FImage->height(); }
void TBitmap::SetWidth(int w) { SetSize(w, GetHeight()); }
void TBitmap::SetHeight(int h) { SetSize(GetWidth(), h); }
bool TBitmap::Empty() const { return FImage->isNull() || FImage->width() == 0 || FImage->height() == 0; }

void TBitmap::SetSize(int w, int h) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == GetWidth() && h == GetHeight()) return;
  QImage img = NewImage(w, h, clWhite);
  if (!FImage->isNull() && !img.isNull()) {
    QPainter p(&img);
    p.drawImage(0, 0, *FImage);
  }
  *FImage = img;
}

TColor TBitmap::GetTransparentColor() const {
  if (Empty()) return clDefault;
  return FromQRgb(FImage->pixel(0, FImage->height() - 1));
}

// ---------------------------------------------------------------------------
// Cursors: an XPM's values line may carry the hot spot ("w h n cpp x y").


HCURSOR LoadCursorA(HINSTANCE, const char* name) {
  static std::mutex lock;
  static std::vector<std::pair<AnsiString, std::unique_ptr<TCursorShape>>> loaded;
  std::lock_guard<std::mutex> guard(lock);
  AnsiString key = name ? name : "";
  for (auto& [n, shape] : loaded)
    if (n == key) return shape.get();
  AnsiString path = FindResourceFile(key, {".xpm", ".png"});
  if (path.empty()) return nullptr;
  QImage img(ToQString(path));
  if (img.isNull()) return nullptr;
  int hotX = -1, hotY = -1;
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".xpm") == 0) {
    QFile f(ToQString(path));
    if (f.open(QIODevice::ReadOnly)) {
      QString text = QString::fromLatin1(f.readAll());
      // The first string after the array declaration holds the values.
      QRegularExpression values(QStringLiteral("\"\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)(?:\\s+(\\d+)\\s+(\\d+))?\\s*\""));
      auto m = values.match(text);
      if (m.hasMatch() && m.lastCapturedIndex() >= 6) {
        hotX = m.captured(5).toInt();
        hotY = m.captured(6).toInt();
      }
    }
  }
  auto shape = std::make_unique<TCursorShape>();
  shape->cursor = QCursor(QPixmap::fromImage(img), hotX, hotY);
  HCURSOR h = shape.get();
  loaded.emplace_back(key, std::move(shape));
  return h;
}
