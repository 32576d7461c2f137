// Private to platform/qt: conversions between the layer's types and Qt's.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include "platform/qt/Graphics.h"

inline QColor ToQColor(TColor c) {
  TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
inline QRgb ToQRgb(TColor c) {
  TColor rgb = ColorToRGB(c);
  return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
inline TColor FromQRgb(QRgb q) { return RGB(qRed(q), qGreen(q), qBlue(q)); }
inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
inline TRect FromQRect(const QRect& r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }
inline QString ToQString(const AnsiString& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The Qt font that draws a TFont, with its pixel (em) size.
QFont ToQFont(const TFont& font, int* pixelSize = nullptr);

// A new image of the layer's pixel format, filled with colour.
QImage NewImage(int width, int height, TColor fill);

// Reads a resource file from the Qt resources into an image; false when absent.
bool LoadResourceImage(const AnsiString& name, QImage& out);

// Unicode code point of the code page 932 character at s[i] (len 1 or 2), or
// -1 when it has none.
int Cp932CodePoint(const unsigned char* s, int len);

// What an HCURSOR points to.
struct TCursorShape {
  QCursor cursor;
};

// The QCursor of a TCursor value: the library's standard cursors, else one
// registered in Screen->Cursors, else the arrow. Defined beside the Screen
// (Application.cpp).
QCursor CursorFor(TCursor c);
