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

#include "app/HelpViewer.h"
#include "app/PaneSplitter.h"
#include "platform/qt/Controls.h"

TForm1* Form1 = nullptr;
AnsiString InputFileName;
AnsiString OutputFileName;

namespace {

QIcon ImageList1(int index) { return QIcon(QStringLiteral(":/app/%1.png").arg(index)); }

using Handler = void (TForm1::*)(QObject*);

struct ActionDef {
  QAction* TForm1::*Member;
  const char* Name;
  const char* Category;
  const char* Caption;
  const char* ShortCut;  // "" for none
  const char* Hint;      // short part, a bar, long part; no bar: both
  int Image;             // -1 for none
  Handler OnExecute;
};

// The action list: file, clipboard, edit and help commands, then the
// conversions. A conversion's image is that of its tool button.
const ActionDef kActions[] = {
    {&TForm1::FileNew1, "FileNew1", "ファイル", "新規作成(&N)", "Ctrl+N", "新規|新規ファイルの作成", 6,
     &TForm1::FileNew1Execute},
    {&TForm1::FileOpen1, "FileOpen1", "ファイル", "開く(&O)...", "Ctrl+O", "開く|ファイルを開く", 7,
     &TForm1::FileOpen1Execute},
    {&TForm1::FileSave1, "FileSave1", "ファイル", "上書き保存(&S)", "Ctrl+S", "保存|現在のファイルを保存", 8,
     &TForm1::FileSave1Execute},
    {&TForm1::FileSaveAs1, "FileSaveAs1", "ファイル", "名前をつけて保存(&A)...", "",
     "別名保存|現在のファイルに別の名前をつけて保存", -1, &TForm1::FileSaveAs1Execute},
    {&TForm1::ClipboardOpen1, "ClipboardOpen1", "ファイル", "クリップボードから新規", "",
     "クリップボードから新規|クリップボードから新規に作成します", -1, &TForm1::ClipboardOpen1Execute},
    {&TForm1::ClipboardSave1, "ClipboardSave1", "ファイル", "クリップボードに保存", "",
     "右画面をクリップボードに保存|クリップボードに保存します", -1, &TForm1::ClipboardSave1Execute},
    {&TForm1::FileExit1, "FileExit1", "ファイル", "終了(&X)", "", "終了|アプリケーション終了", -1,
     &TForm1::FileExit1Execute},
    {&TForm1::EditCut1, "EditCut1", "編集", "切り取り(&T)", "Ctrl+X",
     "切り取り|選択部分を切り取りクリップボードに送る", 0, &TForm1::EditCut1Execute},
    {&TForm1::EditCopy1, "EditCopy1", "編集", "コピー(&C)", "Ctrl+C",
     "コピー|選択部分をコピーしクリップボードに送る", 1, &TForm1::EditCopy1Execute},
    {&TForm1::EditPaste1, "EditPaste1", "編集", "貼り付け(&P)", "Ctrl+V",
     "貼り付け|クリップボードの内容を貼り付け", 2, &TForm1::EditPaste1Execute},
    {&TForm1::EditDel1, "EditDel1", "編集", "削除", "", "削除|選択部分を削除します", -1,
     &TForm1::EditDel1Execute},
    {&TForm1::EditUndo1, "EditUndo1", "編集", "アンドゥ", "Ctrl+Z", "アンドゥ|やり直し", -1,
     &TForm1::EditUndo1Execute},
    {&TForm1::EditRedo1, "EditRedo1", "編集", "リドゥ", "Ctrl+Y", "やり直しのやり直し", -1,
     &TForm1::EditRedo1Execute},
    {&TForm1::EditSelectAll1, "EditSelectAll1", "編集", "すべて選択", "Ctrl+A", "", -1,
     &TForm1::EditSelectAll1Execute},
    {&TForm1::HelpAbout1, "HelpAbout1", "ヘルプ", "バージョン情報(&A)...", "",
     "バージョン情報|バージョンなど固有の情報を表示", -1, &TForm1::HelpAbout1Execute},
    {&TForm1::ConvertSetting, "ConvertSetting", "変換", "設定値で変換", "", "設定値で変換|設定値で変換します",
     17, &TForm1::ConvertSettingExecute},
    {&TForm1::ConvertFurigana1, "ConvertFurigana1", "変換", "ふりがなに変換", "",
     "ふりがなに変換|ふりがなに変換します", 21, &TForm1::ConvertFurigana1Execute},
    {&TForm1::ConvertFurigana2, "ConvertFurigana2", "変換", "ふりがなに変換(行全体)", "",
     "ふりがなに変換(行全体)|ふりがなに変換します(行全体)", 20, &TForm1::ConvertFurigana2Execute},
    {&TForm1::ConvertHiragana1, "ConvertHiragana1", "変換", "ひらがなに変換", "",
     "ひらがなに変換|ひらがなに変換します", 19, &TForm1::ConvertHiragana1Execute},
    {&TForm1::ConvertKatakana1, "ConvertKatakana1", "変換", "カタカナに変換", "",
     "カタカナに変換|カタカナに変換します", 18, &TForm1::ConvertKatakana1Execute},
    {&TForm1::ConvertHankaku1, "ConvertHankaku1", "変換", "半角に変換", "", "半角に変換|半角に変換します", 25,
     &TForm1::ConvertHankaku1Execute},
    {&TForm1::ConvertZenkaku1, "ConvertZenkaku1", "変換", "全角に変換", "", "全角に変換|全角に変換します", 23,
     &TForm1::ConvertZenkaku1Execute},
    {&TForm1::ConvertUppercase1, "ConvertUppercase1", "変換", "英大文字に変換", "",
     "英大文字に変換|英大文字に変換します", 24, &TForm1::ConvertUppercase1Execute},
    {&TForm1::ConvertLowercase1, "ConvertLowercase1", "変換", "英小文字に変換", "",
     "英小文字に変換|英小文字に変換します", 22, &TForm1::ConvertLowercase1Execute},
    {&TForm1::ConvertRoma1, "ConvertRoma1", "変換", "ローマ字に変換", "", "ローマ字に変換します(ヘボン式)", 26,
     &TForm1::ConvertRoma1Execute},
    {&TForm1::ConvertRoma2, "ConvertRoma2", "変換", "", "", "ローマ字に変換します(訓令式)", 27,
     &TForm1::ConvertRoma2Execute},
    {&TForm1::ConvertRoma3, "ConvertRoma3", "変換", "", "", "ローマ字に変換します(日本式)", 28,
     &TForm1::ConvertRoma3Execute},
};

// A menu item: its name, the action it shows (or null for a separator or a
// plain item), and a caption of its own when it has one.
struct ItemDef {
  const char* Name;
  QAction* TForm1::*Action;
  const char* Caption;
};

constexpr QAction* TForm1::*kSeparator = nullptr;

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
  for (const ActionDef& def : kActions) {
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
    if (def.Image >= 0) action->setIcon(ImageList1(def.Image));
    action->setIconVisibleInMenu(true);
    const Handler handler = def.OnExecute;
    connect(action, &QAction::triggered, this,
            [this, handler, action] { RunGuarded(this, [&] { (this->*handler)(action); }); });
    // Shortcuts belong to the window, so they reach the edit pane whichever
    // pane has the focus.
    addAction(action);
    this->*def.Member = action;
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

  struct ButtonDef {
    const char* Name;
    QAction* TForm1::*Action;  // null: a separator
    int Image;
  };
  const ButtonDef buttons[] = {
      {"ToolButton9", &TForm1::FileNew1, 6},
      {"ToolButton1", &TForm1::FileOpen1, 7},
      {"ToolButton2", &TForm1::FileSave1, 8},
      {"ToolButton7", &TForm1::ClipboardOpen1, 15},
      {"ToolButton8", &TForm1::ClipboardSave1, 16},
      {"ToolButton3", nullptr, -1},
      {"ToolButton4", &TForm1::EditCut1, 0},
      {"ToolButton5", &TForm1::EditCopy1, 1},
      {"ToolButton6", &TForm1::EditPaste1, 2},
      {"ToolButton10", &TForm1::EditUndo1, 3},
      {"ToolButton12", &TForm1::EditRedo1, 4},
      {"ToolButton13", &TForm1::EditDel1, 5},
      {"ToolButton11", nullptr, -1},
      {"ToolButton14", &TForm1::ConvertSetting, 17},
      {"ToolButton23", nullptr, -1},
      {"ToolButton15", &TForm1::ConvertFurigana1, 21},
      {"ToolButton16", &TForm1::ConvertFurigana2, 20},
      {"ToolButton17", &TForm1::ConvertHiragana1, 19},
      {"ToolButton18", &TForm1::ConvertKatakana1, 18},
      {"ToolButton19", &TForm1::ConvertHankaku1, 25},
      {"ToolButton20", &TForm1::ConvertZenkaku1, 23},
      {"ToolButton22", &TForm1::ConvertUppercase1, 24},
      {"ToolButton21", &TForm1::ConvertLowercase1, 22},
      {"ToolButton24", &TForm1::ConvertRoma1, 26},
      {"ToolButton26", &TForm1::ConvertRoma2, 27},
      {"ToolButton27", &TForm1::ConvertRoma3, 28},
      {"ToolButton25", nullptr, -1},
  };
  for (const ButtonDef& def : buttons) {
    if (!def.Action) {
      QAction* sep = ToolBar1->addSeparator();
      sep->setObjectName(QString::fromUtf8(def.Name));
      continue;
    }
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(QString::fromUtf8(def.Name));
    button->setAutoRaise(true);
    button->setDefaultAction(this->*def.Action);
    button->setIcon(ImageList1(def.Image));  // the button's own image
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
  auto addItem = [this](QMenu* menu, const ItemDef& def, bool images) {
    if (!def.Action) {
      QAction* sep = menu->addSeparator();
      sep->setObjectName(QString::fromUtf8(def.Name));
      return;
    }
    QAction* action = this->*def.Action;
    QString text = def.Caption ? QString::fromUtf8(def.Caption) : action->text();
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
  for (const ItemDef& def : std::initializer_list<ItemDef>{
           {"FileNewItem", &TForm1::FileNew1, nullptr},
           {"FileOpenItem", &TForm1::FileOpen1, nullptr},
           {"FileSaveItem", &TForm1::FileSave1, nullptr},
           {"FileSaveAsItem", &TForm1::FileSaveAs1, nullptr},
           {"N10", &TForm1::ClipboardOpen1, nullptr},
           {"N11", &TForm1::ClipboardSave1, nullptr},
           {"N1", kSeparator, nullptr},
           {"FileExitItem", &TForm1::FileExit1, nullptr}})
    addItem(File1, def, true);

  Edit1 = addMenu("Edit1", "編集(&E)", "編集に関連した機能");
  for (const ItemDef& def : std::initializer_list<ItemDef>{
           {"CutItem", &TForm1::EditCut1, nullptr},
           {"CopyItem", &TForm1::EditCopy1, nullptr},
           {"PasteItem", &TForm1::EditPaste1, nullptr},
           {"Delete1", &TForm1::EditDel1, nullptr},
           {"Repeat1", &TForm1::EditUndo1, nullptr},
           {"N12", &TForm1::EditRedo1, nullptr},
           {"EditSelectAll11", &TForm1::EditSelectAll1, nullptr}})
    addItem(Edit1, def, true);

  Convert1 = addMenu("Convert1", "変換(&C)", "");
  for (const ItemDef& def : std::initializer_list<ItemDef>{
           {"N23", &TForm1::ConvertSetting, nullptr},
           {"N26", kSeparator, nullptr},
           {"N2", &TForm1::ConvertFurigana1, nullptr},
           {"N3", &TForm1::ConvertFurigana2, nullptr},
           {"N4", &TForm1::ConvertHiragana1, nullptr},
           {"N5", &TForm1::ConvertKatakana1, nullptr},
           {"N6", &TForm1::ConvertHankaku1, nullptr},
           {"N7", &TForm1::ConvertZenkaku1, nullptr},
           {"N8", &TForm1::ConvertUppercase1, nullptr},
           {"N9", &TForm1::ConvertLowercase1, nullptr},
           {"N27", &TForm1::ConvertRoma1, "ローマ字に変換(ヘボン式)"},
           {"ConvertRoma22", &TForm1::ConvertRoma2, "ローマ字に変換(訓令式)"},
           {"ConvertRoma31", &TForm1::ConvertRoma3, "ローマ字に変換(日本式)"}})
    addItem(Convert1, def, true);

  S1 = addMenu("S1", "設定(&S)", "");
  QAction* n24 = S1->addAction(QString::fromUtf8("設定"));
  n24->setObjectName(QStringLiteral("N24"));
  connect(n24, &QAction::triggered, this, [this, n24] { RunGuarded(this, [&] { N24Click(n24); }); });

  Help1 = addMenu("Help1", "ヘルプ(&H)", "ヘルプトピック");
  QAction* help = Help1->addAction(QString::fromUtf8("Sorvelanヘルプ(&H)"));
  help->setObjectName(QStringLiteral("SorvelanHelp"));
  connect(help, &QAction::triggered, this, [this, help] { RunGuarded(this, [&] { SorvelanHelpClick(help); }); });
  addItem(Help1, ItemDef{"HelpAboutItem", &TForm1::HelpAbout1, nullptr}, true);

  // The edit pane's pop-up menu: no images, no separators.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  for (const ItemDef& def : std::initializer_list<ItemDef>{
           {"Copy1", &TForm1::EditCopy1, nullptr},
           {"Cut1", &TForm1::EditCut1, nullptr},
           {"Paste1", &TForm1::EditPaste1, nullptr},
           {"N21", &TForm1::EditUndo1, nullptr},
           {"N22", &TForm1::EditRedo1, nullptr},
           {"Delete2", &TForm1::EditDel1, nullptr},
           {"SelectAll1", &TForm1::EditSelectAll1, nullptr},
           {"N25", &TForm1::ConvertSetting, nullptr},
           {"N13", &TForm1::ConvertFurigana1, nullptr},
           {"N14", &TForm1::ConvertFurigana2, nullptr},
           {"N15", &TForm1::ConvertHiragana1, nullptr},
           {"N16", &TForm1::ConvertKatakana1, nullptr},
           {"N17", &TForm1::ConvertHankaku1, nullptr},
           {"N18", &TForm1::ConvertZenkaku1, nullptr},
           {"N19", &TForm1::ConvertUppercase1, nullptr},
           {"N20", &TForm1::ConvertLowercase1, nullptr},
           {"ConvertRoma11", &TForm1::ConvertRoma1, "ローマ字に変換(ヘボン式)"},
           {"ConvertRoma21", &TForm1::ConvertRoma2, "ローマ字に変換(訓令式)"},
           {"ConvertRoma32", &TForm1::ConvertRoma3, "ローマ字に変換(日本式)"}})
    addItem(PopupMenu1, def, false);
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
  OldEditWndProc(Message);
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
