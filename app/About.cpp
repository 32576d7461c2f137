#include "app/About.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

#include "app/AppSupport.h"

TAboutBox* AboutBox = nullptr;

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setObjectName(QString::fromUtf8(name));
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QString::fromUtf8("バージョン情報"));
  QFont font = FormFont("ＭＳ Ｐゴシック", -11);
  setFont(font);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
  setFixedSize(239, 135);
  setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(7, 7, 226, 74);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Sunken);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(7, 7, 42, 42);
  ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/app/sorvelan42.png")));

  ProductName = MakeLabel(Panel1, "ProductName", "プロダクト名", 81, 7);
  Label1 = MakeLabel(Panel1, "Label1", "Sorvelan", 153, 7);
  Version = MakeLabel(Panel1, "Version", "Version", 81, 29);
  Label2 = MakeLabel(Panel1, "Label2", "1.5", 153, 29);
  Copyright = MakeLabel(Panel1, "Copyright", "作者", 81, 49);
  Label3 = MakeLabel(Panel1, "Label3", "開発チーム", 153, 49);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(86, 91, 60, 30);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  OKButton->setFocus();
}
