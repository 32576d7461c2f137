#include "app/SettingsDlg.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/AppSupport.h"
#include "platform/core/IniFiles.h"

TOKBottomDlg* OKBottomDlg = nullptr;

namespace {

const char* const kSection = "Setting";

// The conversions of the check list with their keys; each row names its
// conversion, so the order here cannot drift from the enum.
struct ItemDef {
  TConversion Id;
  const char* Caption;
  const char* Key;
  bool Default;
};
constexpr ItemDef kItems[] = {
    {cvFurigana1, "ふりがなに変換", "Furi1", true},
    {cvFurigana2, "ふりがなに変換(行全体)", "Furi2", false},
    {cvHiragana, "ひらがなに変換", "Hira", false},
    {cvKatakana, "カタカナに変換", "Kata", false},
    {cvHankaku, "半角に変換", "Hankaku", false},
    {cvZenkaku, "全角に変換", "Zenkaku", false},
    {cvUppercase, "英大文字に変換", "Upper", false},
    {cvLowercase, "英小文字に変換", "Lower", false},
    {cvRoma1, "ローマ字に変換(ヘボン式)", "Roma", false},
    {cvRoma2, "ローマ字に変換(訓令式)", "Roma2", false},
    {cvRoma3, "ローマ字に変換(日本式)", "Roma3", false},
};

constexpr bool InConversionOrder() {
  for (int i = 0; i < cvConversionCount; ++i)
    if (kItems[i].Id != i) return false;
  return true;
}
static_assert(std::size(kItems) == cvConversionCount && InConversionOrder(),
              "one row per conversion, in the order of TConversion");

// The Hepburn option boxes CheckBox1 .. CheckBox8: place in the group box,
// caption and key (all default to not ticked).
struct OptionDef {
  int Top;
  int Width;
  const char* Caption;
  const char* Key;
};
const OptionDef kOptions[8] = {
    {16, 153, "長音表記にOHを使う", "Oh"},
    {64, 129, "「を」を「WO」で表す", "Wo"},
    {40, 161, "母音を繋げて１文字にしない", "Oo"},
    {88, 161, "「を」の前後に空白をいれる", "WoSp"},
    {112, 161, "b,m,pの前のnはそのまま", "Nbmp"},
    {136, 201, "「ヴァ～ヴォ」を「VA～VO」で表す", "Va"},
    {160, 193, "「ウァ～ウォ」を「WA～WO」で表す", "Wi"},
    {184, 193, "「ン」の後が母音のとき「'」を使う", "Qu"},
};

// A group box with its caption on the frame's top line, the line broken
// behind it, and an etched frame from the box's top edge, where the places
// of the boxes inside expect it; the style's own group box puts the caption
// above a frame that starts a line lower.
class CaptionOnLineStyle : public QProxyStyle {
 public:
  explicit CaptionOnLineStyle(QObject* owner) { setParent(owner); }

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* p,
                          const QWidget* widget) const override {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box) return QProxyStyle::drawComplexControl(control, option, p, widget);
    const QFontMetrics& fm = option->fontMetrics;
    const QRect caption(option->rect.left() + 6, option->rect.top(),
                        box->text.isEmpty() ? 0 : fm.horizontalAdvance(box->text) + 4, fm.height());
    const QRect frame = option->rect.adjusted(0, fm.height() / 2, -1, -1);
    p->save();
    p->setClipRegion(QRegion(option->rect) - caption);
    p->setPen(option->palette.color(QPalette::Mid));
    p->drawRect(frame.adjusted(0, 0, -1, -1));
    p->setPen(option->palette.color(QPalette::Light));
    p->drawRect(frame.adjusted(1, 1, 0, 0));
    p->restore();
    drawItemText(p, caption, Qt::AlignCenter | Qt::TextShowMnemonic, option->palette,
                 option->state & State_Enabled, box->text, QPalette::WindowText);
  }
};

}  // namespace

TOKBottomDlg::TOKBottomDlg(QWidget* parent, const AnsiString& iniPath)
    : QDialog(parent), FIniFileName(iniPath.empty() ? ChangeFileExt(ExeName(), ".ini") : iniPath) {
  setObjectName(QStringLiteral("OKBottomDlg"));
  setWindowTitle(QString::fromUtf8("変換設定"));
  setFont(FormFont("ＭＳ Ｐゴシック", -12));
  setFixedSize(235, 474);
  setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(8, 8, 217, 161);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);
  CheckListBox1 = new QListWidget(Panel1);
  CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
  CheckListBox1->setFont(FormFont("ＭＳ Ｐゴシック", -13));
  CheckListBox1->setUniformItemSizes(true);
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(CheckListBox1);
  for (const ItemDef& def : kItems) {
    auto* item = new QListWidgetItem(QString::fromUtf8(def.Caption), CheckListBox1);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(-1, 13));
  }

  GroupBox1 = new QGroupBox(QString::fromUtf8("ローマ字設定(ヘボン式)"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(8, 184, 217, 225);
  GroupBox1->setStyle(new CaptionOnLineStyle(GroupBox1));
  QCheckBox** boxes[8] = {&CheckBox1, &CheckBox2, &CheckBox3, &CheckBox4,
                          &CheckBox5, &CheckBox6, &CheckBox7, &CheckBox8};
  for (int i = 0; i < 8; ++i) {
    auto* box = new QCheckBox(QString::fromUtf8(kOptions[i].Caption), GroupBox1);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    // The form's widths were measured for another face; never cut a caption.
    int width = std::min(std::max(kOptions[i].Width, box->sizeHint().width()), 217 - 8 - 2);
    box->setGeometry(8, kOptions[i].Top, width, 17);
    *boxes[i] = box;
  }
  for (int i = 0; i + 1 < 8; ++i) setTabOrder(*boxes[i], *boxes[i + 1]);

  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setGeometry(15, 420, 75, 25);
  // Enter presses the focused button, else OK; Esc is Cancel.
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QString::fromUtf8("キャンセル"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setGeometry(143, 420, 75, 25);

  // The buttons close the dialog first (their modal result), then run their
  // handlers, so a failed write still closes it.
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    done(mrOk);
    RunGuarded(this, [this] { OKBtnClick(this); });
  });
  connect(CancelBtn, &QPushButton::clicked, this, [this] {
    done(mrCancel);
    RunGuarded(this, [this] { CancelBtnClick(this); });
  });

  FormCreate(this);
}

bool TOKBottomDlg::Checked(int index) const {
  QListWidgetItem* item = CheckListBox1->item(index);
  return item && item->checkState() == Qt::Checked;
}

void TOKBottomDlg::SetChecked(int index, bool checked) {
  if (QListWidgetItem* item = CheckListBox1->item(index))
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QCheckBox* TOKBottomDlg::OptionBox(int n) const {
  QCheckBox* const boxes[8] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4,
                               CheckBox5, CheckBox6, CheckBox7, CheckBox8};
  return boxes[n];
}

void TOKBottomDlg::LoadSettings() {
  TIniFile ini(FIniFileName);
  for (int i = 0; i < kItemCount; ++i) SetChecked(i, ini.ReadBool(kSection, kItems[i].Key, kItems[i].Default));
  for (int n = 0; n < 8; ++n) OptionBox(n)->setChecked(ini.ReadBool(kSection, kOptions[n].Key, false));
}

void TOKBottomDlg::FormCreate(QObject*) { LoadSettings(); }

void TOKBottomDlg::CancelBtnClick(QObject*) { LoadSettings(); }

void TOKBottomDlg::OKBtnClick(QObject*) {
  // Every key is written, changed or not, in one save: the file gets all
  // nineteen or none, and the error tells which.
  TIniFile ini(FIniFileName);
  ini.BeginUpdate();
  for (int i = 0; i < kItemCount; ++i) ini.WriteBool(kSection, kItems[i].Key, Checked(i));
  for (int n = 0; n < 8; ++n) ini.WriteBool(kSection, kOptions[n].Key, OptionBox(n)->isChecked());
  ini.EndUpdate();
}

void TOKBottomDlg::keyPressEvent(QKeyEvent* event) {
  // Esc presses the cancel button (its handler reloads the file); the title
  // bar's close box only closes.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    CancelBtn->click();
    return;
  }
  QDialog::keyPressEvent(event);
}
