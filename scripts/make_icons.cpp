// Draws the tool bar and menu images of the main window (16 x 16 PNG files
// under the names the command table in app/Commands.cpp uses) and the
// program icon, into the folder given as the first argument; the build
// bundles every file of resources/app into the program. Build and run by
// hand from the top folder when a picture changes:
//   g++ -std=c++20 -fPIC scripts/make_icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_icons
//   QT_QPA_PLATFORM=offscreen /tmp/make_icons resources/app
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(30, 80, 180);
const QColor kRed(200, 30, 30);
const QColor kGreen(20, 130, 50);
const QColor kYellow(235, 190, 60);

QImage Canvas(int size = 16) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  return img;
}

void Save(const QImage& img, const QString& dir, const QString& name) {
  img.save(QDir(dir).filePath(name + ".png"), "PNG");
}

// A page with a folded top-right corner.
void Page(QPainter& p, QRectF r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 3, r.top());
  path.lineTo(r.right(), r.top() + 3);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
  p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void Clipboard(QPainter& p) {
  p.setPen(QPen(QColor(110, 70, 30), 1));
  p.setBrush(QColor(190, 140, 80));
  p.drawRect(QRectF(2.5, 2.5, 11, 12.5));
  p.setBrush(QColor(160, 160, 160));
  p.drawRect(QRectF(5.5, 1.5, 5, 2.5));
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 5.5, 7, 8));
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor c) {
  p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(from, to);
  QLineF l(to, from);
  QLineF a = l;
  a.setLength(4);
  a.setAngle(l.angle() + 35);
  QLineF b = l;
  b.setLength(4);
  b.setAngle(l.angle() - 35);
  p.drawLine(a);
  p.drawLine(b);
}

void CurvedArrow(QPainter& p, bool left) {
  QPainterPath path;
  if (left) {
    path.moveTo(13, 12);
    path.cubicTo(13, 4, 6, 3, 3, 8);
  } else {
    path.moveTo(3, 12);
    path.cubicTo(3, 4, 10, 3, 13, 8);
  }
  p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  QPointF tip = left ? QPointF(3, 8) : QPointF(13, 8);
  double dx = left ? 1 : -1;
  p.drawLine(tip, tip + QPointF(dx * 4.5, 0.5));
  p.drawLine(tip, tip + QPointF(dx * 0.5, -4.5));
}

// One or two glyphs centred in the image, in the Japanese gothic font.
void Glyph(QPainter& p, const QString& text, QColor color, int pixelSize, QRectF box = QRectF(0, 0, 16, 16)) {
  QFont f(text.size() > 1 ? "IPAPGothic" : "IPAGothic");
  f.setPixelSize(pixelSize);
  f.setBold(true);
  p.setFont(f);
  p.setPen(color);
  p.drawText(box, Qt::AlignCenter, text);
}

void Icon(const QString& dir, const char* name, const std::function<void(QPainter&)>& draw) {
  QImage img = Canvas();
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  draw(p);
  p.end();
  Save(img, dir, QString::fromUtf8(name));
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

  Icon(dir, "cut", [](QPainter& p) {  // cut: scissors
    p.setPen(QPen(kInk, 1.5));
    p.drawLine(QPointF(5, 1), QPointF(10.5, 10));
    p.drawLine(QPointF(11, 1), QPointF(5.5, 10));
    p.setPen(QPen(kRed, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(4.5, 12), 2.7, 2.7);
    p.drawEllipse(QPointF(11.5, 12), 2.7, 2.7);
  });
  Icon(dir, "copy", [](QPainter& p) {  // copy: two pages
    Page(p, QRectF(1.5, 1.5, 8, 10));
    Page(p, QRectF(6.5, 4.5, 8, 10));
  });
  Icon(dir, "paste", [](QPainter& p) {  // paste: clipboard with a page
    Clipboard(p);
    Page(p, QRectF(7.5, 7.5, 7, 8));
  });
  Icon(dir, "undo", [](QPainter& p) { CurvedArrow(p, true); });
  Icon(dir, "redo", [](QPainter& p) { CurvedArrow(p, false); });
  Icon(dir, "delete", [](QPainter& p) {  // delete: red cross
    p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  });
  Icon(dir, "new", [](QPainter& p) { Page(p, QRectF(3.5, 1.5, 9, 13)); });
  Icon(dir, "open", [](QPainter& p) {  // open: folder
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(kYellow);
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 220, 110));
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    p.drawPath(front);
  });
  Icon(dir, "save", [](QPainter& p) {  // save: floppy disk
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
  });
  Icon(dir, "from-clipboard", [](QPainter& p) {  // new from clipboard: clipboard with an arrow out
    Clipboard(p);
    Arrow(p, QPointF(6, 10), QPointF(14, 10), kGreen);
  });
  Icon(dir, "to-clipboard", [](QPainter& p) {  // save to clipboard: an arrow into the clipboard
    Clipboard(p);
    Arrow(p, QPointF(15, 10), QPointF(7, 10), kRed);
  });
  Icon(dir, "convert-setting", [](QPainter& p) {  // convert by settings: a ticked list
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    for (int row = 0; row < 3; ++row) {
      double y = 4 + row * 4;
      p.setPen(QPen(kGreen, 1.5));
      p.drawLine(QPointF(3, y), QPointF(4.5, y + 1.5));
      p.drawLine(QPointF(4.5, y + 1.5), QPointF(7, y - 1.5));
      p.setPen(QPen(kInk, 1));
      p.drawLine(QPointF(8.5, y + 0.5), QPointF(13, y + 0.5));
    }
  });
  Icon(dir, "katakana", [](QPainter& p) { Glyph(p, QString::fromUtf8("ア"), kBlue, 15); });
  Icon(dir, "hiragana", [](QPainter& p) { Glyph(p, QString::fromUtf8("あ"), kRed, 15); });
  Icon(dir, "reading-row", [](QPainter& p) {  // reading of the whole row: ふ over a full line
    Glyph(p, QString::fromUtf8("ふ"), kGreen, 12, QRectF(0, -2, 16, 14));
    p.setPen(QPen(kInk, 1.5));
    p.drawLine(QPointF(1, 14), QPointF(15, 14));
    p.drawLine(QPointF(1, 12), QPointF(1, 15));
    p.drawLine(QPointF(15, 12), QPointF(15, 15));
  });
  Icon(dir, "reading", [](QPainter& p) { Glyph(p, QString::fromUtf8("ふ"), kGreen, 15); });  // reading of kanji runs
  Icon(dir, "lowercase", [](QPainter& p) { Glyph(p, QStringLiteral("a"), kInk, 15); });
  Icon(dir, "full-width", [](QPainter& p) { Glyph(p, QString::fromUtf8("全"), kBlue, 15); });
  Icon(dir, "uppercase", [](QPainter& p) { Glyph(p, QStringLiteral("A"), kInk, 15); });
  Icon(dir, "half-width", [](QPainter& p) { Glyph(p, QString::fromUtf8("半"), kRed, 15); });
  Icon(dir, "hepburn", [](QPainter& p) { Glyph(p, QStringLiteral("He"), kBlue, 11); });
  Icon(dir, "kunrei", [](QPainter& p) { Glyph(p, QStringLiteral("Ku"), kGreen, 11); });
  Icon(dir, "nihon-shiki", [](QPainter& p) { Glyph(p, QStringLiteral("Ni"), kRed, 11); });

  // The program icon: a page with あ turning into a.
  for (int size : {32, 42}) {
    QImage img = Canvas(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 4, 4);
    QFont f("IPAGothic");
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kRed);
    p.drawText(QRectF(2, 2, 16, 16), Qt::AlignCenter, QString::fromUtf8("あ"));
    p.setPen(kBlue);
    p.drawText(QRectF(14, 14, 16, 16), Qt::AlignCenter, QStringLiteral("a"));
    p.end();
    Save(img, dir, QStringLiteral("sorvelan%1").arg(size));
  }
  return 0;
}
