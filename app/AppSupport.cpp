#include "app/AppSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFont>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdlib>
#include <exception>

#include "platform/core/Classes.h"
#include "platform/qt/Controls.h"

// ---------------------------------------------------------------------------
// Message boxes.

std::function<int(const TMessageBoxRequest&)> MessageBoxHook;

namespace {

QString TypeTitle(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return QString::fromUtf8("警告");
    case mtError: return QString::fromUtf8("エラー");
    case mtInformation: return QString::fromUtf8("情報");
    case mtConfirmation: return QString::fromUtf8("確認");
    case mtCustom: break;
  }
  return QString::fromUtf8(kAppTitle);
}

QMessageBox::Icon TypeIcon(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    case mtCustom: break;
  }
  return QMessageBox::NoIcon;
}

struct ButtonDef {
  TMsgDlgBtn Btn;
  const char* Label;
  int Result;
  QMessageBox::ButtonRole Role;
};

const ButtonDef kButtons[] = {
    {mbYes, "はい(&Y)", mrYes, QMessageBox::YesRole},
    {mbNo, "いいえ(&N)", mrNo, QMessageBox::NoRole},
    {mbOK, "OK", mrOk, QMessageBox::AcceptRole},
    {mbCancel, "キャンセル", mrCancel, QMessageBox::RejectRole},
};

int RunBox(QWidget* parent, const QString& title, TMsgDlgType type, QMessageBox::Icon icon,
           const QString& msg, TMsgDlgButtons buttons) {
  if (MessageBoxHook) return MessageBoxHook(TMessageBoxRequest{title, msg, type, buttons});
  QMessageBox box(icon, title, msg, QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  QAbstractButton* made[4] = {};
  for (const ButtonDef& def : kButtons)
    if (buttons & (1u << def.Btn)) made[def.Btn] = box.addButton(QString::fromUtf8(def.Label), def.Role);
  if (!made[mbOK] && !made[mbYes] && !made[mbNo] && !made[mbCancel])
    made[mbOK] = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);

  QAbstractButton* def = made[mbOK] ? made[mbOK] : made[mbYes];
  if (!def) def = made[mbNo] ? made[mbNo] : made[mbCancel];
  box.setDefaultButton(qobject_cast<QPushButton*>(def));
  QAbstractButton* esc = made[mbCancel] ? made[mbCancel] : made[mbNo] ? made[mbNo] : made[mbOK];
  if (!esc) esc = def;
  box.setEscapeButton(esc);

  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  if (!clicked) clicked = esc;
  for (const ButtonDef& d : kButtons)
    if (made[d.Btn] == clicked) return d.Result;
  return mrCancel;
}

}  // namespace

int MessageDlg(QWidget* parent, const QString& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
  return RunBox(parent, TypeTitle(type), type, TypeIcon(type), msg, buttons);
}

void ShowMessage(QWidget* parent, const QString& msg) {
  RunBox(parent, QString::fromUtf8(kAppTitle), mtCustom, QMessageBox::NoIcon, msg, MsgButtons({mbOK}));
}

void ShowErrorBox(QWidget* parent, const QString& msg) {
  RunBox(parent, QString::fromUtf8(kAppTitle), mtError, QMessageBox::Critical, msg, MsgButtons({mbOK}));
}

void ShowExceptionBox(QWidget* parent, const std::exception& e) {
  ShowErrorBox(parent, QString::fromUtf8(ExceptionText(e).c_str()));
}

void RunGuarded(QWidget* parent, const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    ShowExceptionBox(parent, e);
  }
}

void ShowPaneException(TObject* Sender, const std::exception& E) {
  auto* pane = dynamic_cast<TWinControl*>(Sender);
  QWidget* widget = pane ? pane->GetWidget() : nullptr;
  ShowExceptionBox(widget ? widget->window() : nullptr, E);
}

// ---------------------------------------------------------------------------
// File dialogs.

namespace {

// The completion list of a dialog's name field is a window of its own:
// closing the dialog leaves it on show, and a folder that finishes loading
// after the dialog closed opens it again. On show it takes every key and
// click of the application, so the list of a closed dialog goes at once.
void HideCompletionLists(QWidget* dialog) {
  for (QCompleter* c : dialog->findChildren<QCompleter*>())
    if (QWidget* list = c->popup(); list && list->isVisible()) list->hide();
}

class CompletionListGuard : public QObject {
 public:
  explicit CompletionListGuard(QWidget* dialog) : QObject(dialog), FDialog(dialog) {
    for (QCompleter* c : dialog->findChildren<QCompleter*>())
      if (QWidget* list = c->popup()) list->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Hidden once the show has finished, not in the middle of it.
    if (event->type() == QEvent::Show && !FDialog->isVisible())
      QMetaObject::invokeMethod(static_cast<QWidget*>(watched), &QWidget::hide, Qt::QueuedConnection);
    return false;
  }

 private:
  QWidget* FDialog;
};

// The size, type and date columns of the file list in the program's
// locale: the toolkit's model writes sizes and dates in the desktop's
// locale, and calls a folder "Folder" in every language.
class FileColumnsInProgramLocale : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    QVariant v = QIdentityProxyModel::data(index, role);
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    // An empty text (the size of a folder) stays empty.
    if (role != Qt::DisplayRole || !files || v.toString().isEmpty()) return v;
    const QModelIndex at = mapToSource(index);
    switch (index.column()) {
      case 1: return QLocale().formattedDataSize(files->size(at));
      case 2:
        if (!files->isDir(at)) return v;
        if (const QString name = QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment();
            !name.isEmpty())
          return name;
        return v;
      case 3: return QLocale().toString(files->lastModified(at), QLocale::ShortFormat);
      default: return v;
    }
  }
};

// Widens the size, type and date columns of the detail list to what they
// show, each time rows or their details arrive; the toolkit sizes them for
// English texts. A column the user made wider keeps its width. The dialog
// then grows, as far as the screen allows, until every column shows whole
// (the toolkit's default size cuts the date short); once the user has
// sized the dialog, it keeps the user's width.
void FitFileColumns(QFileDialog* dialog) {
  auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
  QAbstractItemModel* model = tree ? tree->model() : nullptr;
  if (!model) return;
  struct State {
    bool Pending = false;
    int Width = -1;  // the dialog's width as the last fit left it
  };
  auto state = std::make_shared<State>();
  auto fit = [dialog, tree = QPointer<QTreeView>(tree), state] {
    state->Pending = false;
    if (!tree) return;
    QHeaderView* header = tree->header();
    for (int c = 1; c < header->count(); ++c) {
      const int wanted =
          std::max(static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(c), header->sectionSizeHint(c));
      if (header->sectionSize(c) < wanted) header->resizeSection(c, wanted);
    }
    const bool userSized = state->Width >= 0 && dialog->width() != state->Width;
    const int missing = header->length() - tree->viewport()->width();
    if (!userSized && missing > 0 && tree->isVisible()) {
      int width = dialog->width() + missing;
      if (const QScreen* screen = dialog->screen())
        width = std::min(width, screen->availableGeometry().width());
      if (width > dialog->width()) dialog->resize(width, dialog->height());
    }
    if (!userSized && tree->isVisible()) state->Width = dialog->width();
  };
  // Rows come in batches and their details after them: one fit per batch.
  auto later = [dialog, fit, state] {
    if (state->Pending) return;
    state->Pending = true;
    QTimer::singleShot(0, dialog, fit);
  };
  QObject::connect(model, &QAbstractItemModel::rowsInserted, dialog, later);
  QObject::connect(model, &QAbstractItemModel::dataChanged, dialog, later);
  QObject::connect(model, &QAbstractItemModel::layoutChanged, dialog, later);
  QObject::connect(model, &QAbstractItemModel::modelReset, dialog, later);
}

}  // namespace

TFileDialog::TFileDialog(QWidget* owner, Kind kind) : FOwner(owner), FKind(kind) {}

TFileDialog::~TFileDialog() = default;

QStringList TFileDialog::QtFilters(const AnsiString& filter) {
  QStringList parts = QString::fromUtf8(filter.c_str()).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    QStringList globs = pattern.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& g : globs)
      if (g == QLatin1String("*.*")) g = QStringLiteral("*");
    out << parts[i] + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return out;
}

bool TFileDialog::Execute() {
  if (ExecuteHook) return ExecuteHook(FileName);
  if (!FDialog) {
    // One dialog kept for the life of the window, so it returns to the last
    // folder, as the system's dialogs do.
    FDialog = std::make_unique<QFileDialog>(FOwner);
    FDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    FDialog->setOption(QFileDialog::HideNameFilterDetails, true);
    if (FKind == Open) {
      FDialog->setAcceptMode(QFileDialog::AcceptOpen);
      FDialog->setFileMode(QFileDialog::AnyFile);  // a missing name gets through
    } else {
      FDialog->setAcceptMode(QFileDialog::AcceptSave);
      FDialog->setFileMode(QFileDialog::AnyFile);
      FDialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    FDialog->setProxyModel(new FileColumnsInProgramLocale(FDialog.get()));
    FitFileColumns(FDialog.get());
    new CompletionListGuard(FDialog.get());
  }
  FDialog->setNameFilters(QtFilters(Filter));
  if (!FileName.empty()) FDialog->selectFile(FileNameToQt(FileName));
  const int answer = FDialog->exec();
  HideCompletionLists(FDialog.get());
  if (answer != QDialog::Accepted) return false;
  QStringList files = FDialog->selectedFiles();
  if (files.isEmpty()) return false;
  FileName = FileNameFromQt(files.first());
  return true;
}

// ---------------------------------------------------------------------------
// Progress bar.

TProgressBar::TProgressBar(QWidget* parent) : QProgressBar(parent) {
  setTextVisible(false);
  Show();
}

void TProgressBar::SetMin(int v) {
  FMin = v;
  if (FMax < FMin) FMax = FMin;
  SetPosition(FPosition);
}

void TProgressBar::SetMax(int v) {
  FMax = v;
  if (FMin > FMax) FMin = FMax;
  SetPosition(FPosition);
}

void TProgressBar::SetPosition(int v) {
  FPosition = v < FMin ? FMin : v > FMax ? FMax : v;
  Show();
}

void TProgressBar::StepIt() {
  long long next = static_cast<long long>(FPosition) + FStep;
  long long span = static_cast<long long>(FMax) - FMin;
  if (next > FMax) next = span > 0 ? FMin + (next - FMin) % span : FMin;
  if (next < FMin) next = FMin;
  FPosition = static_cast<int>(next);
  Show();
}

void TProgressBar::Show() {
  // An empty range would turn Qt's bar into a busy indicator.
  const int lo = FMax > FMin ? FMin : 0;
  const int hi = FMax > FMin ? FMax : 1;
  const int shown = FMax > FMin ? FPosition : 0;
  if (minimum() != lo || maximum() != hi) {
    setRange(lo, hi);
  } else if (shown != lo && shown != hi && value() >= lo &&
             std::llabs(static_cast<long long>(shown) - value()) * 1000 < static_cast<long long>(hi) - lo) {
    // Qt's bar works out its style and text on every new value; a command
    // steps it once per row, so moves under a thousandth of the range (no
    // visible change on any bar) are not passed on. Both ends always are.
    return;
  }
  setValue(shown);
}

// ---------------------------------------------------------------------------
// Hourglass.

THourGlass::THourGlass() {
  InitControls();
  FOld = Screen->GetCursor();
  Screen->SetCursor(crHourGlass);
}

THourGlass::~THourGlass() { Screen->SetCursor(FOld); }

TNormalCursor::TNormalCursor() {
  InitControls();
  FOld = Screen->GetCursor();
  Screen->SetCursor(crDefault);
}

TNormalCursor::~TNormalCursor() { Screen->SetCursor(FOld); }

// ---------------------------------------------------------------------------
// Names and texts.

AnsiString ExeName() { return FileNameFromQt(QCoreApplication::applicationFilePath()); }

AnsiString ChangeFileExt(const AnsiString& path, const AnsiString& ext) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash)) return path + ext;
  return path.substr(0, dot) + ext;
}

bool FileExists(const AnsiString& path) {
  QFileInfo info(FileNameToQt(path));
  return info.exists() && !info.isDir();
}

QString FileNameToQt(const AnsiString& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

AnsiString FileNameFromQt(const QString& name) { return QFile::encodeName(name).toStdString(); }

QString GetShortHint(const QString& hint) {
  int bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.left(bar);
}

QString GetLongHint(const QString& hint) {
  int bar = hint.indexOf(QLatin1Char('|'));
  return bar < 0 ? hint : hint.mid(bar + 1);
}

QFont FormFont(const char* face, int height) {
  static const bool substituted = [] {
    QFont::insertSubstitution(QString::fromUtf8("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QString::fromUtf8("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    return true;
  }();
  (void)substituted;
  QFont font(QString::fromUtf8(face));
  if (height < 0) font.setPixelSize(-height);
  else if (height > 0) font.setPixelSize(height);
  return font;
}
