#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/Commands.h"
#include "app/HelpViewer.h"
#include "app/PaneSplitter.h"
#include "platform/qt/Clipboard.h"
#include "platform/qt/Controls.h"

TForm1* Form1 = nullptr;
AnsiString InputFileName;
AnsiString OutputFileName;

namespace {

QIcon ImageList1(const char* icon) { return QIcon(CommandIconPath(icon)); }

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  SetCaption(QStringLiteral("Sorvelan"));
  setWindowIcon(QIcon(QStringLiteral(":/app/sorvelan32.png")));
  resize(799, 600);

  OpenDialog1 = new TFileDialog(this, TFileDialog::Open);
  OpenDialog1->Filter = "すべてのファイル(*.*)|*.*";
  SaveDialog1 = new TFileDialog(this, TFileDialog::Save);
  SaveDialog1->Filter = "すべてのファイル(*.*)|*.*";

  CreateActions();
  CreateToolBar();
  CreatePanes();
  CreateMenus();

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFixedHeight(21);
  setStatusBar(StatusBar1);

  // Centred on the desktop.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  FormCreate(this);
}

TForm1::~TForm1() {
  // The panes go before Qt frees the widgets they live in; the edit pane
  // first, since its window procedure reaches the reference pane.
  if (AFEdit2 && OldEditWndProc) AFEdit2->WindowProc = OldEditWndProc;
  FPaneHost->removeEventFilter(this);
  PopupMenu1->removeEventFilter(this);
  delete Panel2;
  delete Panel1;
  Panel1 = Panel2 = nullptr;
  AFEdit1 = AFEdit2 = nullptr;
  delete OpenDialog1;
  delete SaveDialog1;
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::CreateActions() {
  ActionList1 = new QObject(this);
  ActionList1->setObjectName(QStringLiteral("ActionList1"));
  for (const TCommandDef& def : CommandDefs()) {
    auto* action = new QAction(QString::fromUtf8(def.Caption), ActionList1);
    action->setObjectName(QString::fromUtf8(def.Name));
    action->setProperty("Category", QString::fromUtf8(def.Category));
    if (*def.ShortCut) {
      action->setShortcut(QKeySequence(QString::fromUtf8(def.ShortCut)));
      action->setShortcutContext(Qt::WindowShortcut);
    }
    const QString hint = QString::fromUtf8(def.Hint);
    action->setToolTip(GetShortHint(hint));
    action->setStatusTip(GetLongHint(hint));
    if (def.Icon && def.ActionIcon) action->setIcon(ImageList1(def.Icon));
    action->setIconVisibleInMenu(true);
    const TCommandHandler handler = def.OnExecute;
    connect(action, &QAction::triggered, this,
            [this, handler, action] { RunGuarded(this, [&] { (this->*handler)(action); }); });
    // Shortcuts belong to the window, so they reach the edit pane whichever
    // pane has the focus.
    addAction(action);
    this->*def.Action = action;
  }
}

void TForm1::CreateToolBar() {
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setFixedHeight(30);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolBar1->setContentsMargins(1, 1, 1, 1);
  ToolBar1->layout()->setSpacing(0);
  ToolBar1->toggleViewAction()->setVisible(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  addToolBar(Qt::TopToolBarArea, ToolBar1);

  auto* indent = new QWidget(ToolBar1);
  indent->setFixedWidth(5);
  ToolBar1->addWidget(indent);

  for (const TPlaceDef& def : CommandPlaces().ToolBar) {
    if (!def.Action) {
      QAction* sep = ToolBar1->addSeparator();
      sep->setObjectName(QString::fromUtf8(def.Name));
      continue;
    }
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromUtf8(def.Name));
    button->setAutoRaise(true);
    button->setDefaultAction(this->*def.Action);
    button->setIcon(ImageList1(FindCommandDef(def.Action)->Icon));  // the button's own image
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFixedSize(23, 22);  // the tool bar's button size
    ToolBar1->addWidget(button);
  }

  ProgressBar1 = new TProgressBar(ToolBar1);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setFixedSize(211, 22);
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(100);
  ToolBar1->addWidget(ProgressBar1);
}

void TForm1::CreateMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  // An item mirrors its action: caption, shortcut (shown, not bound twice),
  // image and long hint; choosing it runs the action.
  auto addItem = [this](QMenu* menu, const TPlaceDef& def, bool images) {
    if (!def.Action) {
      QAction* sep = menu->addSeparator();
      sep->setObjectName(QString::fromUtf8(def.Name));
      return;
    }
    QAction* action = this->*def.Action;
    const char* caption = FindCommandDef(def.Action)->ItemCaption;
    QString text = caption ? QString::fromUtf8(caption) : action->text();
    if (!action->shortcut().isEmpty())
      text += QLatin1Char('\t') + action->shortcut().toString(QKeySequence::NativeText);
    auto* item = new QAction(text, menu);
    item->setObjectName(QString::fromUtf8(def.Name));
    item->setStatusTip(action->statusTip());
    if (images) item->setIcon(action->icon());
    connect(item, &QAction::triggered, action, &QAction::trigger);
    menu->addAction(item);
  };
  auto addMenu = [this, bar](const char* name, const char* caption, const char* hint) {
    auto* menu = new QMenu(QString::fromUtf8(caption), bar);
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setStatusTip(QString::fromUtf8(hint));
    menu->setToolTipsVisible(false);
    menu->installEventFilter(this);
    bar->addMenu(menu);
    return menu;
  };

  File1 = addMenu("File1", "ファイル(&F)", "ファイルに関連した機能");
  for (const TPlaceDef& def : CommandPlaces().FileMenu) addItem(File1, def, true);

  Edit1 = addMenu("Edit1", "編集(&E)", "編集に関連した機能");
  for (const TPlaceDef& def : CommandPlaces().EditMenu) addItem(Edit1, def, true);

  Convert1 = addMenu("Convert1", "変換(&C)", "");
  for (const TPlaceDef& def : CommandPlaces().ConvertMenu) addItem(Convert1, def, true);

  S1 = addMenu("S1", "設定(&S)", "");
  QAction* n24 = S1->addAction(QString::fromUtf8("設定"));
  n24->setObjectName(QStringLiteral("N24"));
  connect(n24, &QAction::triggered, this, [this, n24] { RunGuarded(this, [&] { N24Click(n24); }); });

  Help1 = addMenu("Help1", "ヘルプ(&H)", "ヘルプトピック");
  QAction* help = Help1->addAction(QString::fromUtf8("Sorvelanヘルプ(&H)"));
  help->setObjectName(QStringLiteral("SorvelanHelp"));
  connect(help, &QAction::triggered, this, [this, help] { RunGuarded(this, [&] { SorvelanHelpClick(help); }); });
  for (const TPlaceDef& def : CommandPlaces().HelpMenu) addItem(Help1, def, true);

  // The edit pane's pop-up menu: no images, no separators.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  for (const TPlaceDef& def : CommandPlaces().PopupMenu) addItem(PopupMenu1, def, false);
  // A pop-up is a window of its own, so the hints of its items would stop
  // there; they go on to the status line, as the main menu's do.
  PopupMenu1->installEventFilter(this);
  // The hints reaching the window are checked against an open menu.
  installEventFilter(this);
  AFEdit2->SetPopupMenu(PopupMenu1);
}

void TForm1::CreatePanes() {
  FPaneHost = new QWidget(this);
  FPaneHost->setObjectName(QStringLiteral("PaneHost"));
  setCentralWidget(FPaneHost);
  FPaneHost->installEventFilter(this);

  Panel1 = new TForm(nullptr, FPaneHost);
  Panel1->SetName("Panel1");
  Splitter1 = new TPaneSplitter(FPaneHost);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->OnMoved = [this](int width) { SetPanel1Width(width); };
  Panel2 = new TForm(nullptr, FPaneHost);
  Panel2->SetName("Panel2");

  // The two panes, as the form describes them: properties first, then
  // Loaded, as a form reader does.
  struct PaneDef {
    TAFEdit* TForm1::*Member;
    TForm* Panel;
    const char* Name;
    bool ReadOnly;
    const char* Hint;
  };
  const PaneDef panes[] = {
      {&TForm1::AFEdit1, Panel1, "AFEdit1", true, "参照画面"},
      {&TForm1::AFEdit2, Panel2, "AFEdit2", false, "編集画面"},
  };
  for (const PaneDef& def : panes) {
    auto* pane = new TAFEdit(def.Panel);
    this->*def.Member = pane;
    BeginFormLoad(def.Panel);
    pane->SetName(def.Name);
    pane->SetAlign(alClient);
    pane->SetReadOnly(def.ReadOnly);
    pane->SetHint(def.Hint);
    pane->SetShowHint(true);
    pane->Font->SetName("ＭＳ ゴシック");
    pane->Font->SetHeight(-12);
    pane->Font->SetColor(clWindowText);
    pane->SetColor(clWindow);
    pane->SetViewOpt(TViewOptions{voDependence, voHankana, voCr, voAnsiSpace, voTab, voIndent, voColIndicate,
                                  voKeyWord, voRowNum, voWrapLine});
    pane->SetOptions(TAFEditOptions{aoAutoFormat});
    pane->SetDefWrapPos(80);
    pane->SetLeftMgn(36);
    pane->SetTopMgn(0);
    pane->SetRowDspFmt("%5d:");
    pane->SetUndoMax(-1);
    pane->SetWrapLeadBytes(10);
    pane->SetWrapTrailBytes(4);
    pane->SetAccelRate(1);
    pane->SetColCr(clMaroon);
    pane->SetMgnColor(clWindow);
    pane->SetKeyWordStyle(TFontStyles{});
    pane->SetEdited(false);
    EndFormLoad(def.Panel);
    if (QWidget* w = pane->GetWidget()) {
      w->setObjectName(QString::fromUtf8(def.Name));
      w->setToolTip(QString::fromUtf8(def.Hint));
      w->setStatusTip(QString::fromUtf8(def.Hint));
    }
  }
  LayoutPanes();
}

void TForm1::LayoutPanes() {
  if (!FPaneHost || !Panel1 || !Panel2) return;
  const int w = FPaneHost->width();
  const int h = FPaneHost->height();
  const int left = std::max(0, std::min(FPanel1Width, w));
  Panel1->SetBounds(0, 0, left, h);
  Splitter1->setGeometry(left, 0, TPaneSplitter::BarWidth, h);
  Panel2->SetBounds(left + TPaneSplitter::BarWidth, 0, std::max(0, w - left - TPaneSplitter::BarWidth), h);
}

void TForm1::SetPanel1Width(int width) {
  FPanel1Width = width;
  LayoutPanes();
}

int TForm1::FormWidth() const {
  int outer = frameGeometry().width();
  return outer > 0 ? outer : width();
}

void TForm1::SetCaption(const QString& caption) { setWindowTitle(caption); }

QString TForm1::GetCaption() const { return windowTitle(); }

void TForm1::ShowInputOutputCaption() {
  SetCaption(QStringLiteral("Sorvelan - ") + FileNameToQt(InputFileName) + QStringLiteral(" -> ") +
             FileNameToQt(OutputFileName));
}

// ---------------------------------------------------------------------------
// Start, pane coupling, resize, close.

void TForm1::FormCreate(QObject*) {
  OldEditWndProc = AFEdit2->WindowProc;
  AFEdit2->WindowProc = [this](TMessage& Message) { EditWndProc(Message); };
}

void TForm1::EditWndProc(TMessage& Message) {
  // Every paste into the edit pane comes here (the command, Ctrl+V and
  // Shift+Insert in the pane): what the clipboard text lost is told once the
  // text is in place.
  if (Message.Msg == WM_PASTE) Clipboard()->ForgetLastReadLoss();
  OldEditWndProc(Message);
  if (Message.Msg == WM_PASTE) {
    ShowClipboardTextLoss();
    return;
  }
  if (Message.Msg == CM_CHARSLEFTOUT) {
    StatusBar1->showMessage(
        QString::fromUtf8("「%1」はコードページ 932 (Shift-JIS) にない文字のため入力されませんでした")
            .arg(QString::fromUtf8(reinterpret_cast<const char*>(Message.LParam))));
    return;
  }
  if (Message.Msg != WM_VSCROLL) return;
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP:
    case SB_LINEDOWN:
    case SB_THUMBTRACK:
    case SB_ENDSCROLL:
      AFEdit1->Dispatch(Message);
      break;
    default:
      break;
  }
}

void TForm1::FormResize(QObject*) { SetPanel1Width((FormWidth() - 14) / 2); }

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FPaneHost && event->type() == QEvent::Resize) LayoutPanes();
  if (event->type() == QEvent::Show) {
    // A menu opened from the keyboard highlights its first item right after
    // the show, with no hover: its hint comes from here, or it would show
    // only once the highlight moves.
    if (auto* menu = qobject_cast<QMenu*>(watched))
      QTimer::singleShot(0, menu, [this, menu] {
        if (QAction* item = menu->activeAction(); item && menu->isVisible()) item->showStatusText(this);
      });
  }
  if (event->type() == QEvent::StatusTip && watched == this) {
    // While a menu is open its highlighted item owns the status line: the
    // pane the pointer leaves when the menu takes it does not clear it.
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
      if (QAction* item = menu->activeAction(); item && static_cast<QStatusTipEvent*>(event)->tip() != item->statusTip()) {
        StatusBar1->showMessage(item->statusTip());
        return true;
      }
  }
  if (event->type() == QEvent::StatusTip && watched == PopupMenu1) {
    QCoreApplication::sendEvent(this, event);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCloseQuery(QObject*, bool& CanClose) {
  // Asked whatever the edit state.
  const int answer = MessageDlg(this, QString::fromUtf8("保存して終了しますか?"), mtConfirmation,
                                MsgButtons({mbYes, mbNo, mbCancel}));
  if (answer == mrYes) {
    // Closes only when the text was written: a cancelled Save As, the
    // same-name refusal or a failed write keep the window open.
    CanClose = false;
    RunGuarded(this, [&] { CanClose = DoSave(); });
  } else {
    CanClose = answer == mrNo;
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  bool CanClose = true;
  FormCloseQuery(this, CanClose);
  if (!CanClose) {
    event->ignore();
    return;
  }
  if (FHelpViewer) FHelpViewer->close();
  event->accept();
}
