// The canvas: GDI-style drawing on a QImage, and code page 932 text on a
// fixed cell grid.
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <algorithm>
#include <array>
#include <mutex>
#include <vector>

#include "platform/qt/Graphics.h"
#include "platform/qt/internal/QtBridge.h"
#include "platform/text/Cp932.h"

// ---------------------------------------------------------------------------
// Code page 932 to Unicode, one table per lead byte, built on first use.

namespace {
struct Cp932Table {
  std::array<int, 256> single{};
  std::array<std::unique_ptr<std::array<int, 256>>, 256> dbcs;
  bool singleReady = false;
  std::mutex lock;
};

Cp932Table& Table() {
  static Cp932Table t;
  return t;
}

// Decodes UTF-8 into code points.
std::vector<int> DecodeUtf8(const std::string& s) {
  std::vector<int> out;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    int cp = len == 1 ? b : b & (0x3F >> (len - 1));
    for (int k = 1; k < len && i + static_cast<size_t>(k) < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
    out.push_back(cp);
    i += static_cast<size_t>(len);
  }
  return out;
}
}  // namespace

int Cp932CodePoint(const unsigned char* s, int len) {
  Cp932Table& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  if (len == 1) {
    if (!t.singleReady) {
      for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        std::string out;
        bool ok = cp932::IsLeadByte(static_cast<unsigned char>(b)) ? false
                                                                   : cp932::ToUtf8(std::string_view(&c, 1), out, "");
        std::vector<int> cps = DecodeUtf8(out);
        t.single[static_cast<size_t>(b)] = ok && cps.size() == 1 ? cps[0] : -1;
      }
      t.singleReady = true;
    }
    return t.single[s[0]];
  }
  auto& row = t.dbcs[s[0]];
  if (!row) {
    // One conversion per lead byte: every trail byte's character in a row; a
    // refused code becomes "\x01", which no valid code yields.
    row = std::make_unique<std::array<int, 256>>();
    row->fill(-1);
    std::string in;
    std::vector<int> trails;
    for (int b = 0; b < 256; ++b)
      if (cp932::IsTrailByte(static_cast<unsigned char>(b))) {
        in.push_back(static_cast<char>(s[0]));
        in.push_back(static_cast<char>(b));
        trails.push_back(b);
      }
    std::string out;
    cp932::ToUtf8(in, out, "\x01");
    std::vector<int> cps = DecodeUtf8(out);
    if (cps.size() == trails.size())
      for (size_t k = 0; k < trails.size(); ++k) (*row)[static_cast<size_t>(trails[k])] = cps[k] == 1 ? -1 : cps[k];
  }
  return (*row)[s[1]];
}

// ---------------------------------------------------------------------------
// Font metrics cache of a canvas.

struct TCanvas::Impl {
  // The font state the cache was made for.
  AnsiString name;
  int height = 0;
  uint8_t style = 0;
  int pitch = -1;
  bool valid = false;

  QFont font;
  QRawFont raw;
  int pixelSize = 12;
  int textHeight = 0;
  int baseline = 0;
  int cellWidth = 0;
  bool synthBold = false;
};

namespace {
bool IsSubstitutedGothic(const QString& family) {
  return family == QLatin1String("IPAGothic") || family == QLatin1String("IPAPGothic");
}
}  // namespace

struct CanvasText {
  static TCanvas::Impl& Metrics(TCanvas& c) {
    TCanvas::Impl& m = *c.FImpl;
    const TFont& f = *c.Font;
    if (m.valid && m.name == f.GetName() && m.height == f.GetHeight() && m.style == f.GetStyle().ToBits())
      return m;
    m.name = f.GetName();
    m.height = f.GetHeight();
    m.style = f.GetStyle().ToBits();
    m.font = ToQFont(f, &m.pixelSize);
    QFontMetricsF fm(m.font);
    qreal asc = fm.ascent(), desc = fm.descent();
    if (IsSubstitutedGothic(m.font.family())) {
      // The faces these stand in for have no internal leading: a line is
      // exactly the em height, so two half-width cells hold a full-width
      // glyph exactly.
      m.textHeight = m.pixelSize;
      m.baseline = asc + desc > 0 ? qRound(m.pixelSize * asc / (asc + desc)) : m.pixelSize;
    } else {
      m.textHeight = qCeil(asc + desc);
      m.baseline = qRound(asc);
    }
    m.cellWidth = (m.textHeight + 1) / 2;
    QFont plain(m.font);
    plain.setBold(false);
    m.synthBold = m.font.bold();
    m.raw = QRawFont::fromFont(m.font.italic() ? m.font : plain);
    m.valid = true;
    return m;
  }

  // Draws bytes [0, len) from (x, y), one cell per byte (advance dx[i], or
  // cell), each character as one glyph from the left of its first cell.
  // Returns the total advance.
  static int DrawCells(TCanvas& c, QPainter& p, int x, int y, const char* text, int len, const int* dx) {
    TCanvas::Impl& m = Metrics(c);
    std::string_view sv(text, static_cast<size_t>(len));
    QVector<quint32> glyphs;
    QVector<QPointF> positions;
    glyphs.reserve(len);
    positions.reserve(len);
    std::vector<std::pair<QPointF, int>> fallback;  // characters the raw font lacks
    int pos = x;
    int baseY = y + m.baseline;
    for (size_t i = 0; i < sv.size();) {
      int clen = cp932::CharLength(sv, i);
      int adv = dx ? dx[i] + (clen == 2 ? dx[i + 1] : 0) : m.cellWidth * clen;
      int cp = Cp932CodePoint(reinterpret_cast<const unsigned char*>(text) + i, clen);
      if (cp < 0) cp = '?';
      if (cp > 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0)) {
        quint32 g = 0;
        if (m.raw.isValid() && !m.font.italic()) {
          QChar buf[2];
          int n = 0;
          if (cp > 0xFFFF) {
            buf[0] = QChar::highSurrogate(static_cast<uint>(cp));
            buf[1] = QChar::lowSurrogate(static_cast<uint>(cp));
            n = 2;
          } else {
            buf[0] = QChar(static_cast<char16_t>(cp));
            n = 1;
          }
          quint32 idx[2] = {0, 0};
          int count = 2;
          if (m.raw.glyphIndexesForChars(buf, n, idx, &count) && count >= 1) g = idx[0];
        }
        if (g != 0) {
          glyphs.push_back(g);
          positions.push_back(QPointF(pos, baseY));
        } else {
          fallback.emplace_back(QPointF(pos, baseY), cp);
        }
      }
      pos += adv;
      i += static_cast<size_t>(clen);
    }
    p.setPen(ToQColor(c.Font->GetColor()));
    if (!glyphs.isEmpty()) {
      QGlyphRun run;
      run.setRawFont(m.raw);
      run.setGlyphIndexes(glyphs);
      run.setPositions(positions);
      run.setUnderline(m.font.underline());
      run.setStrikeOut(m.font.strikeOut());
      p.drawGlyphRun(QPointF(0, 0), run);
      if (m.synthBold) p.drawGlyphRun(QPointF(1, 0), run);
    }
    if (!fallback.empty()) {
      p.setFont(m.font);
      for (auto& [pt, cp] : fallback) p.drawText(pt, QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1));
    }
    return pos - x;
  }
};

// ---------------------------------------------------------------------------

TCanvas::TCanvas() : Font(new TFont), Brush(new TBrush), Pen(new TPen), FImpl(std::make_unique<Impl>()) {}

TCanvas::~TCanvas() {
  delete Font;
  delete Brush;
  delete Pen;
}

void TCanvas::Painted(const TRect& r) {
  if (OnPainted && !r.IsEmpty()) OnPainted(r);
}

int TCanvas::CellWidth() { return CanvasText::Metrics(*this).cellWidth; }

int TCanvas::TextHeight(const AnsiString&) { return CanvasText::Metrics(*this).textHeight; }

int TCanvas::TextWidth(const AnsiString& text) { return static_cast<int>(text.size()) * CellWidth(); }

namespace {
Qt::BrushStyle ToQtBrushStyle(TBrushStyle s) { return s == bsClear ? Qt::NoBrush : Qt::SolidPattern; }

// Applies a pen mode to one pixel.
inline void PlotPixel(QImage& img, int x, int y, TPenMode mode, QRgb pen) {
  if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
  QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
  QRgb d = line[x] & 0xFFFFFF;
  QRgb s = pen & 0xFFFFFF;
  QRgb r;
  switch (mode) {
    case pmNop: return;
    case pmNot: r = ~d; break;
    case pmXor: r = d ^ s; break;
    case pmNotXor: r = ~(d ^ s); break;
    default: r = s; break;
  }
  line[x] = 0xFF000000 | (r & 0xFFFFFF);
}
}  // namespace

void TCanvas::LineTo(int x, int y) {
  TPoint from = FPenPos;
  FPenPos = TPoint(x, y);
  if (!FImage || FImage->isNull() || Pen->GetStyle() == psClear) return;
  QRgb pen = ToQRgb(Pen->GetColor());
  TPenMode mode = Pen->GetMode();
  if (Pen->GetWidth() <= 1) {
    // Bresenham, without the end point, as GDI draws.
    int x0 = from.x, y0 = from.y;
    int ddx = std::abs(x - x0), ddy = -std::abs(y - y0);
    int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int err = ddx + ddy;
    while (!(x0 == x && y0 == y)) {
      PlotPixel(*FImage, x0, y0, mode, pen);
      int e2 = 2 * err;
      if (e2 >= ddy) {
        err += ddy;
        x0 += sx;
      }
      if (e2 <= ddx) {
        err += ddx;
        y0 += sy;
      }
    }
  } else {
    QPainter p(FImage);
    QPen qp(QColor::fromRgb(pen), Pen->GetWidth());
    if (mode == pmNot) {
      qp.setColor(Qt::white);
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    } else if (mode == pmXor) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    } else if (mode == pmNop) {
      return;
    }
    p.setPen(qp);
    p.drawLine(from.x, from.y, x, y);
  }
  int w = std::max(1, Pen->GetWidth());
  Painted(TRect(std::min(from.x, x) - w, std::min(from.y, y) - w, std::max(from.x, x) + w + 1,
                std::max(from.y, y) + w + 1));
}

void TCanvas::FillRect(const TRect& r) {
  if (!FImage || FImage->isNull() || r.IsEmpty() || Brush->GetStyle() == bsClear) return;
  QPainter p(FImage);
  if (Brush->GetStyle() == bsSolid) {
    p.fillRect(ToQRect(r), ToQColor(Brush->GetColor()));
  } else {
    p.fillRect(ToQRect(r), QBrush(ToQColor(Brush->GetColor()), ToQtBrushStyle(Brush->GetStyle())));
  }
  Painted(r);
}

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
  ExtTextOut(x, y, 0, nullptr, text.data(), static_cast<int>(text.size()), nullptr);
  FPenPos = TPoint(x + TextWidth(text), y);
}

void TCanvas::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const char* text, int length,
                         const int* dx) {
  if (!FImage || FImage->isNull()) return;
  if (length < 0 || (length > 0 && !text)) length = 0;
  Impl& m = CanvasText::Metrics(*this);
  int width = 0;
  if (dx) {
    for (int i = 0; i < length; ++i) width += dx[i];
  } else {
    width = length * m.cellWidth;
  }
  QPainter p(FImage);
  TRect changed;
  if (rect && (options & ETO_OPAQUE)) {
    p.fillRect(ToQRect(*rect), ToQColor(Brush->GetColor()));
    changed = *rect;
  }
  TRect cells(x, y, x + width, y + m.textHeight);
  if (rect && (options & ETO_CLIPPED)) {
    p.setClipRect(ToQRect(*rect));
    IntersectRect(cells, cells, *rect);
  }
  // Without ETO_OPAQUE a solid brush still paints the background of the
  // text cells (the opaque background mode of the canvas).
  if (!(rect && (options & ETO_OPAQUE)) && Brush->GetStyle() != bsClear && !cells.IsEmpty())
    p.fillRect(ToQRect(cells), ToQColor(Brush->GetColor()));
  if (length > 0) CanvasText::DrawCells(*this, p, x, y, text, length, dx);
  p.end();
  TRect all;
  UnionRect(all, changed, TRect(x - 1, y, x + width + 2, y + m.textHeight + 1));
  if (rect && (options & ETO_CLIPPED)) IntersectRect(all, all, *rect);
  UnionRect(all, all, changed);
  Painted(all);
}

// ---------------------------------------------------------------------------
// Bitmaps on the canvas

namespace {
// Copies src onto dst at (x, y), skipping pixels of the transparent colour
// when transparent.
void Blit(QImage& dst, int x, int y, const QImage& src, bool transparent, QRgb key) {
  if (!transparent) {
    QPainter p(&dst);
    p.drawImage(x, y, src);
    return;
  }
  for (int sy = 0; sy < src.height(); ++sy) {
    int dy = y + sy;
    if (dy < 0 || dy >= dst.height()) continue;
    const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
    QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(dy));
    for (int sx = 0; sx < src.width(); ++sx) {
      int ddx = x + sx;
      if (ddx < 0 || ddx >= dst.width()) continue;
      if ((s[sx] & 0xFFFFFF) != (key & 0xFFFFFF)) d[ddx] = s[sx] | 0xFF000000;
    }
  }
}
}  // namespace

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
  if (!FImage || FImage->isNull() || !bitmap || bitmap->Empty()) return;
  const QImage& src = *bitmap->GetImage();
  Blit(*FImage, x, y, src.convertToFormat(QImage::Format_RGB32), bitmap->GetTransparent(),
       ToQRgb(bitmap->GetTransparentColor()));
  Painted(Bounds(x, y, src.width(), src.height()));
}

void TCanvas::StretchDraw(const TRect& r, TBitmap* bitmap) {
  if (!FImage || FImage->isNull() || !bitmap || bitmap->Empty() || r.IsEmpty()) return;
  QImage scaled = bitmap->GetImage()
                      ->convertToFormat(QImage::Format_RGB32)
                      .scaled(r.Width(), r.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
  Blit(*FImage, r.Left, r.Top, scaled, bitmap->GetTransparent(), ToQRgb(bitmap->GetTransparentColor()));
  Painted(r);
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  if (!FImage || FImage->isNull()) return;
  QImage& img = *FImage;
  if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
  QRgb target = ToQRgb(color) & 0xFFFFFF;
  QRgb fill = ToQRgb(Brush->GetColor()) | 0xFF000000;
  auto inside = [&](QRgb px) {
    px &= 0xFFFFFF;
    return style == fsSurface ? px == target : px != target;
  };
  if (!inside(img.pixel(x, y))) return;
  // A pixel already of the fill colour that counts as inside would refill
  // forever; mark visited pixels separately.
  std::vector<uint8_t> seen(static_cast<size_t>(img.width()) * static_cast<size_t>(img.height()), 0);
  std::vector<QPoint> stack{QPoint(x, y)};
  int minX = x, minY = y, maxX = x, maxY = y;
  while (!stack.empty()) {
    QPoint pt = stack.back();
    stack.pop_back();
    int px = pt.x(), py = pt.y();
    if (px < 0 || py < 0 || px >= img.width() || py >= img.height()) continue;
    size_t k = static_cast<size_t>(py) * static_cast<size_t>(img.width()) + static_cast<size_t>(px);
    if (seen[k]) continue;
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(py));
    if (!inside(line[px])) continue;
    seen[k] = 1;
    line[px] = fill;
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
    stack.emplace_back(px + 1, py);
    stack.emplace_back(px - 1, py);
    stack.emplace_back(px, py + 1);
    stack.emplace_back(px, py - 1);
  }
  Painted(TRect(minX, minY, maxX + 1, maxY + 1));
}

TColor TCanvas::GetPixel(int x, int y) const {
  if (!FImage || x < 0 || y < 0 || x >= FImage->width() || y >= FImage->height()) return -1;
  return FromQRgb(FImage->pixel(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (!FImage || x < 0 || y < 0 || x >= FImage->width() || y >= FImage->height()) return;
  FImage->setPixel(x, y, ToQRgb(color));
  Painted(TRect(x, y, x + 1, y + 1));
}
