#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/About.h"
#include "platform/qt/Controls.h"
#include "platform/qt/ScrollBars.h"
#include "tests/app/FormFixture.h"

// The toolkit's key path through the shortcut map (what a real key press
// goes through before it reaches the focused widget).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace {

using MainWindow = FormFixture;

// Item texts of a menu ("-" for a separator), without the shortcut column.
std::vector<std::string> Items(QMenu* menu) {
  std::vector<std::string> texts;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) texts.push_back("-");
    else texts.push_back(a->text().section(QLatin1Char('\t'), 0, 0).toStdString());
  }
  return texts;
}

TEST_F(MainWindow, StartsWithItsTitleEmptyPanesAndTheBarAtZero) {
  EXPECT_EQ(Title(), "Sorvelan");
  EXPECT_EQ(Rows(form->AFEdit1), std::vector<std::string>{""});
  EXPECT_EQ(Rows(form->AFEdit2), std::vector<std::string>{""});
  EXPECT_TRUE(form->AFEdit1->GetReadOnly());
  EXPECT_FALSE(form->AFEdit2->GetReadOnly());
  EXPECT_FALSE(form->AFEdit2->isEdited());
  EXPECT_EQ(form->ProgressBar1->GetPosition(), 0);
  EXPECT_EQ(form->ProgressBar1->GetMax(), 100);
  EXPECT_EQ(form->AFEdit2->GetPopupMenu(), form->PopupMenu1);
  EXPECT_EQ(form->AFEdit1->GetPopupMenu(), nullptr);
  EXPECT_EQ(form->AFEdit1->GetHint(), "参照画面");
  EXPECT_EQ(form->AFEdit2->GetHint(), "編集画面");
  EXPECT_EQ(form->AFEdit2->GetDefWrapPos(), 80);
  EXPECT_EQ(form->AFEdit2->GetLeftMgn(), 36);
  EXPECT_EQ(form->AFEdit2->GetAccelRate(), 1);
  for (TAFEdit* pane : {form->AFEdit1, form->AFEdit2}) {
    EXPECT_EQ(pane->GetRowDspFmt(), "%5d:");
    EXPECT_EQ(pane->Font->GetName(), "ＭＳ ゴシック");
    EXPECT_EQ(pane->Font->GetHeight(), -12);
  }
}

TEST_F(MainWindow, PanesCarryTheirFormValues) {
  // Everything the form sets is the same for both panes but the read-only
  // flag, the hint and the pop-up menu (checked above).
  struct IntCase {
    const char* name;
    int (*get)(TAFEdit*);
    int expected;
  } ints[] = {
      {"DefWrapPos", [](TAFEdit* e) { return e->GetDefWrapPos(); }, 80},
      {"LeftMgn", [](TAFEdit* e) { return e->GetLeftMgn(); }, 36},
      {"TopMgn", [](TAFEdit* e) { return e->GetTopMgn(); }, 0},
      {"UndoMax", [](TAFEdit* e) { return e->GetUndoMax(); }, -1},
      {"WrapLeadBytes", [](TAFEdit* e) { return e->GetWrapLeadBytes(); }, 10},
      {"WrapTrailBytes", [](TAFEdit* e) { return e->GetWrapTrailBytes(); }, 4},
      {"AccelRate", [](TAFEdit* e) { return e->GetAccelRate(); }, 1},
      {"WheelAccumulator", [](TAFEdit* e) { return e->GetWheelAccumulator(); }, 0},
      {"Font.Height", [](TAFEdit* e) { return e->Font->GetHeight(); }, -12},
      {"Font.Color", [](TAFEdit* e) { return static_cast<int>(e->Font->GetColor()); }, clWindowText},
      {"Color", [](TAFEdit* e) { return static_cast<int>(e->GetColor()); }, clWindow},
      {"ColCr", [](TAFEdit* e) { return static_cast<int>(e->GetColCr()); }, clMaroon},
      {"ColLeftMgn", [](TAFEdit* e) { return static_cast<int>(e->GetColLeftMgn()); }, clWindow},
      {"ViewOpt", [](TAFEdit* e) { return static_cast<int>(e->GetViewOpt().ToBits()); }, 0x3FF},
      {"Options", [](TAFEdit* e) { return static_cast<int>(e->GetOptions().ToBits()); }, 1 << aoAutoFormat},
      {"KeywordStyle", [](TAFEdit* e) { return static_cast<int>(e->GetKeywordStyle().Empty()); }, 1},
      {"Edited", [](TAFEdit* e) { return static_cast<int>(e->isEdited()); }, 0},
  };
  for (TAFEdit* pane : {form->AFEdit1, form->AFEdit2}) {
    for (const IntCase& c : ints) EXPECT_EQ(c.get(pane), c.expected) << pane->GetName() << " " << c.name;
    EXPECT_EQ(pane->Font->FamilyName(), "IPAGothic") << pane->GetName();
    EXPECT_EQ(pane->GetRowDspFmt(), "%5d:") << pane->GetName();
    EXPECT_EQ(pane->GetWrapPos(0), 80) << pane->GetName();  // the first row follows DefWrapPos
    // The line-break sets and dependence characters stay the constructor's.
    TAFEdit fresh(form->Panel1);
    EXPECT_EQ(pane->GetBanHead(), fresh.GetBanHead()) << pane->GetName();
    EXPECT_EQ(pane->GetBanEnd(), fresh.GetBanEnd()) << pane->GetName();
    EXPECT_EQ(pane->GetDependenceChar(), fresh.GetDependenceChar()) << pane->GetName();
  }
}

TEST_F(MainWindow, ActionsCarryTheirCaptionsShortcutsAndHints) {
  // Tip: the tooltip (short part of the hint); Status: the status line (long
  // part); without a bar the whole hint is both.
  struct Case {
    QAction* Action;
    const char* Category;
    const char* Caption;
    const char* ShortCut;
    const char* Tip;
    const char* Status;
    bool Image;
  };
  const Case cases[] = {
      {form->FileNew1, "ファイル", "新規作成(&N)", "Ctrl+N", "新規", "新規ファイルの作成", true},
      {form->FileOpen1, "ファイル", "開く(&O)...", "Ctrl+O", "開く", "ファイルを開く", true},
      {form->FileSave1, "ファイル", "上書き保存(&S)", "Ctrl+S", "保存", "現在のファイルを保存", true},
      {form->FileSaveAs1, "ファイル", "名前をつけて保存(&A)...", "", "別名保存",
       "現在のファイルに別の名前をつけて保存", false},
      {form->ClipboardOpen1, "ファイル", "クリップボードから新規", "", "クリップボードから新規",
       "クリップボードから新規に作成します", false},
      {form->ClipboardSave1, "ファイル", "クリップボードに保存", "", "右画面をクリップボードに保存",
       "クリップボードに保存します", false},
      {form->FileExit1, "ファイル", "終了(&X)", "", "終了", "アプリケーション終了", false},
      {form->EditCut1, "編集", "切り取り(&T)", "Ctrl+X", "切り取り", "選択部分を切り取りクリップボードに送る", true},
      {form->EditCopy1, "編集", "コピー(&C)", "Ctrl+C", "コピー", "選択部分をコピーしクリップボードに送る", true},
      {form->EditPaste1, "編集", "貼り付け(&P)", "Ctrl+V", "貼り付け", "クリップボードの内容を貼り付け", true},
      {form->EditDel1, "編集", "削除", "", "削除", "選択部分を削除します", false},
      {form->EditUndo1, "編集", "アンドゥ", "Ctrl+Z", "アンドゥ", "やり直し", false},
      {form->EditRedo1, "編集", "リドゥ", "Ctrl+Y", "やり直しのやり直し", "やり直しのやり直し", false},
      {form->EditSelectAll1, "編集", "すべて選択", "Ctrl+A", "すべて選択", "", false},
      {form->HelpAbout1, "ヘルプ", "バージョン情報(&A)...", "", "バージョン情報", "バージョンなど固有の情報を表示",
       false},
      {form->ConvertSetting, "変換", "設定値で変換", "", "設定値で変換", "設定値で変換します", true},
      {form->ConvertFurigana1, "変換", "ふりがなに変換", "", "ふりがなに変換", "ふりがなに変換します", true},
      {form->ConvertFurigana2, "変換", "ふりがなに変換(行全体)", "", "ふりがなに変換(行全体)",
       "ふりがなに変換します(行全体)", true},
      {form->ConvertHiragana1, "変換", "ひらがなに変換", "", "ひらがなに変換", "ひらがなに変換します", true},
      {form->ConvertKatakana1, "変換", "カタカナに変換", "", "カタカナに変換", "カタカナに変換します", true},
      {form->ConvertHankaku1, "変換", "半角に変換", "", "半角に変換", "半角に変換します", true},
      {form->ConvertZenkaku1, "変換", "全角に変換", "", "全角に変換", "全角に変換します", true},
      {form->ConvertUppercase1, "変換", "英大文字に変換", "", "英大文字に変換", "英大文字に変換します", true},
      {form->ConvertLowercase1, "変換", "英小文字に変換", "", "英小文字に変換", "英小文字に変換します", true},
      {form->ConvertRoma1, "変換", "ローマ字に変換", "", "ローマ字に変換します(ヘボン式)",
       "ローマ字に変換します(ヘボン式)", true},
      {form->ConvertRoma2, "変換", "", "", "ローマ字に変換します(訓令式)", "ローマ字に変換します(訓令式)", true},
      {form->ConvertRoma3, "変換", "", "", "ローマ字に変換します(日本式)", "ローマ字に変換します(日本式)", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Action->objectName().toStdString());
    EXPECT_EQ(c.Action->property("Category").toString().toStdString(), c.Category);
    EXPECT_EQ(c.Action->text().toStdString(), c.Caption);
    EXPECT_EQ(c.Action->shortcut().toString().toStdString(), c.ShortCut);
    EXPECT_EQ(c.Action->toolTip().toStdString(), c.Tip);
    EXPECT_EQ(c.Action->statusTip().toStdString(), c.Status);
    EXPECT_EQ(!c.Action->icon().isNull(), c.Image);
    EXPECT_TRUE(c.Action->isEnabled());
  }
  EXPECT_EQ(form->ActionList1->findChildren<QAction*>().size(), 27);
  // Shortcuts belong to the window, whichever pane has the focus.
  EXPECT_TRUE(form->actions().contains(form->EditCopy1));
  EXPECT_EQ(form->EditCopy1->shortcutContext(), Qt::WindowShortcut);
}

TEST_F(MainWindow, MenusAndPopUpListTheirItemsInOrder) {
  struct Menu {
    QMenu* Control;
    const char* Caption;
    const char* Hint;
  };
  const Menu menus[] = {
      {form->File1, "ファイル(&F)", "ファイルに関連した機能"},
      {form->Edit1, "編集(&E)", "編集に関連した機能"},
      {form->Convert1, "変換(&C)", ""},
      {form->S1, "設定(&S)", ""},
      {form->Help1, "ヘルプ(&H)", "ヘルプトピック"},
  };
  const QList<QAction*> bar = form->menuBar()->actions();
  ASSERT_EQ(bar.size(), 5);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(menus[i].Caption);
    EXPECT_EQ(bar[i], menus[i].Control->menuAction());
    EXPECT_EQ(menus[i].Control->title().toStdString(), menus[i].Caption);
    EXPECT_EQ(menus[i].Control->menuAction()->statusTip().toStdString(), menus[i].Hint);
  }

  EXPECT_EQ(Items(form->File1), (std::vector<std::string>{"新規作成(&N)", "開く(&O)...", "上書き保存(&S)",
                                                          "名前をつけて保存(&A)...", "クリップボードから新規",
                                                          "クリップボードに保存", "-", "終了(&X)"}));
  EXPECT_EQ(Items(form->Edit1), (std::vector<std::string>{"切り取り(&T)", "コピー(&C)", "貼り付け(&P)", "削除",
                                                          "アンドゥ", "リドゥ", "すべて選択"}));
  EXPECT_EQ(Items(form->Convert1),
            (std::vector<std::string>{"設定値で変換", "-", "ふりがなに変換", "ふりがなに変換(行全体)",
                                      "ひらがなに変換", "カタカナに変換", "半角に変換", "全角に変換",
                                      "英大文字に変換", "英小文字に変換", "ローマ字に変換(ヘボン式)",
                                      "ローマ字に変換(訓令式)", "ローマ字に変換(日本式)"}));
  EXPECT_EQ(Items(form->S1), std::vector<std::string>{"設定"});
  EXPECT_EQ(Items(form->Help1), (std::vector<std::string>{"Sorvelanヘルプ(&H)", "バージョン情報(&A)..."}));
  EXPECT_EQ(Items(form->PopupMenu1),
            (std::vector<std::string>{"コピー(&C)", "切り取り(&T)", "貼り付け(&P)", "アンドゥ", "リドゥ", "削除",
                                      "すべて選択", "設定値で変換", "ふりがなに変換", "ふりがなに変換(行全体)",
                                      "ひらがなに変換", "カタカナに変換", "半角に変換", "全角に変換",
                                      "英大文字に変換", "英小文字に変換", "ローマ字に変換(ヘボン式)",
                                      "ローマ字に変換(訓令式)", "ローマ字に変換(日本式)"}));
  for (QAction* a : form->PopupMenu1->actions()) EXPECT_TRUE(a->icon().isNull());
  // An item shows its action's shortcut and long hint and runs its action.
  auto* item = form->findChild<QAction*>("FileNewItem");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text().section(QLatin1Char('\t'), 1).toStdString(), "Ctrl+N");
  EXPECT_EQ(item->statusTip().toStdString(), "新規ファイルの作成");
  int runs = 0;
  QObject::connect(form->ConvertRoma2, &QAction::triggered, [&] { ++runs; });
  form->findChild<QAction*>("ConvertRoma22")->trigger();
  form->findChild<QAction*>("ConvertRoma21")->trigger();
  EXPECT_EQ(runs, 2);
}

TEST_F(MainWindow, StatusLineShowsTheLongHintOfTheHighlightedMenuItem) {
  form->show();
  QApplication::processEvents();
  struct Case {
    QMenu* Menu;  // null: the menu bar
    const char* Item;
    const char* Status;
  };
  const Case cases[] = {
      {nullptr, "File1", "ファイルに関連した機能"},
      {form->File1, "FileNewItem", "新規ファイルの作成"},
      {form->Edit1, "Delete1", "選択部分を削除します"},
      {form->PopupMenu1, "Copy1", "選択部分をコピーしクリップボードに送る"},
      {form->PopupMenu1, "ConvertRoma21", "ローマ字に変換します(訓令式)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Item);
    form->StatusBar1->clearMessage();
    if (!c.Menu) {
      form->menuBar()->setActiveAction(form->File1->menuAction());
    } else {
      if (c.Menu == form->PopupMenu1) form->PopupMenu1->popup(form->mapToGlobal(QPoint(50, 50)));
      else form->menuBar()->setActiveAction(c.Menu->menuAction());
      QApplication::processEvents();
      c.Menu->setActiveAction(form->findChild<QAction*>(c.Item));
    }
    QApplication::processEvents();
    EXPECT_EQ(form->StatusBar1->currentMessage().toStdString(), c.Status);
    if (c.Menu) c.Menu->hide();
    form->menuBar()->setActiveAction(nullptr);
    QApplication::processEvents();
  }
}

TEST(AboutBoxForm, CarriesItsCaptionsAndButton) {
  TestApp();
  TAboutBox box;
  EXPECT_EQ(box.windowTitle().toStdString(), "バージョン情報");
  const std::pair<QLabel*, const char*> labels[] = {
      {box.ProductName, "プロダクト名"},
      {box.Label1, "Sorvelan"},
      {box.Version, "Version"},
      {box.Label2, "1.5"},
  };
  for (const auto& [label, text] : labels) EXPECT_EQ(label->text().toStdString(), text);
  EXPECT_EQ(box.OKButton->text().toStdString(), "OK");
  EXPECT_TRUE(box.OKButton->isDefault());
}

TEST_F(MainWindow, ToolBarShowsTheButtonsInOrderThenTheProgressBar) {
  std::vector<std::string> names;
  for (QAction* a : form->ToolBar1->actions()) {
    if (a->isSeparator()) names.push_back(a->objectName().toStdString());
    else if (QWidget* w = form->ToolBar1->widgetForAction(a); w && !w->objectName().isEmpty())
      names.push_back(w->objectName().toStdString());
  }
  EXPECT_EQ(names, (std::vector<std::string>{
                       "ToolButton9", "ToolButton1", "ToolButton2", "ToolButton7", "ToolButton8",
                       "ToolButton3", "ToolButton4", "ToolButton5", "ToolButton6", "ToolButton10",
                       "ToolButton12", "ToolButton13", "ToolButton11", "ToolButton14", "ToolButton23",
                       "ToolButton15", "ToolButton16", "ToolButton17", "ToolButton18", "ToolButton19",
                       "ToolButton20", "ToolButton22", "ToolButton21", "ToolButton24", "ToolButton26",
                       "ToolButton27", "ToolButton25", "ProgressBar1"}));
  auto* undo = form->findChild<QToolButton*>("ToolButton10");
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(undo->defaultAction(), form->EditUndo1);
  EXPECT_FALSE(undo->icon().isNull());
  EXPECT_EQ(undo->toolTip().toStdString(), "アンドゥ");
  EXPECT_EQ(form->ProgressBar1->width(), 211);
}

TEST_F(MainWindow, LeftPanelIsHalfTheWidthLessFourteen) {
  form->show();
  QApplication::processEvents();
  // The rule uses the outer width, frame included.
  const int frame = form->FormWidth() - form->width();
  const std::pair<int, int> cases[] = {{799, 392}, {600, 293}, {800, 393}, {1001, 493}};
  for (auto [width, expected] : cases) {
    form->resize(width - frame, 500);
    QApplication::processEvents();
    ASSERT_EQ(form->FormWidth(), width);
    EXPECT_EQ(form->Panel1Width(), expected) << width;
    EXPECT_EQ(form->Panel1->GetWidth(), expected) << width;
    // The edit pane takes the rest, right of the 8-pixel bar.
    EXPECT_EQ(form->Panel2->GetLeft(), expected + 8);
  }
  // A width set by the splitter lasts until the next resize.
  form->SetPanel1Width(200);
  EXPECT_EQ(form->Panel1->GetWidth(), 200);
  form->resize(700 - frame, 500);
  QApplication::processEvents();
  EXPECT_EQ(form->Panel1Width(), (700 - 14) / 2);
  form->hide();
}

TEST_F(MainWindow, CloseQuestionIsAskedEvenUnchanged) {
  struct Case {
    int Answer;
    bool Closes;
  };
  for (Case c : {Case{mrNo, true}, Case{mrCancel, false}}) {
    BoxRecorder boxes;
    boxes.Answers = {c.Answer};
    bool canClose = !c.Closes;
    form->FormCloseQuery(form.get(), canClose);
    EXPECT_EQ(canClose, c.Closes);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, "保存して終了しますか?");
    EXPECT_EQ(boxes.Boxes[0].Title, "確認");
    EXPECT_EQ(boxes.Boxes[0].Buttons, MsgButtons({mbYes, mbNo, mbCancel}));
  }
}

TEST_F(MainWindow, CloseWithYesClosesOnlyWhenTheTextWasWritten) {
  // Yes with no output name: Save As; cancelled, the window stays.
  {
    BoxRecorder boxes;
    boxes.Answers = {mrYes};
    SaveCancels();
    bool canClose = true;
    form->FormCloseQuery(form.get(), canClose);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(saveDialogRuns, 1);
  }
  // The same-name refusal keeps it open too.
  {
    const std::string name = dir.Path("same.txt");
    WriteAll(name, "a\r\n");
    InputFileName = OutputFileName = name;
    BoxRecorder boxes;
    boxes.Answers = {mrYes};
    bool canClose = true;
    form->FormCloseQuery(form.get(), canClose);
    EXPECT_FALSE(canClose);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Text, "出力ファイルは入力ファイルと同名にはできません");
  }
  // A write that fails shows the error and keeps the window.
  {
    InputFileName.clear();
    OutputFileName.clear();
    BoxRecorder boxes;
    boxes.Answers = {mrYes};
    SaveAnswers(dir.Path("no/such/folder/out.txt"));
    bool canClose = true;
    form->FormCloseQuery(form.get(), canClose);
    EXPECT_FALSE(canClose);
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[1].Title, "Sorvelan");
  }
  // Written: closes.
  {
    InputFileName.clear();
    OutputFileName.clear();
    BoxRecorder boxes;
    boxes.Answers = {mrYes};
    const std::string out = dir.Path("out.txt");
    SaveAnswers(out);
    form->AFEdit2->SetLine(0, "x");
    bool canClose = false;
    form->FormCloseQuery(form.get(), canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(ReadAll(out), "x");
  }
}

TEST_F(MainWindow, ClosingTheWindowAsksThroughCloseEvent) {
  form->show();
  BoxRecorder boxes;
  boxes.Answers = {mrCancel, mrNo};
  form->close();
  EXPECT_TRUE(form->isVisible());
  form->FileExit1->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(boxes.Boxes.size(), 2u);
}

// The first shown row of a pane, read through a member pointer (no cast).
struct TopLine : TAFEdit {
  static int Of(TAFEdit* pane) {
    constexpr int TCustomAFEdit::*top = &TopLine::FTopLine;
    return pane->*top;
  }
};

TEST_F(MainWindow, LineScrollingOfTheEditPaneMovesTheReferencePaneToo) {
  form->resize(799, 400);
  form->show();
  QApplication::processEvents();
  std::vector<std::string> rows;
  for (int i = 1; i <= 200; ++i) rows.push_back(std::to_string(i) + "\r");
  SetRows(form->AFEdit1, rows);
  SetRows(form->AFEdit2, rows);
  ASSERT_GT(form->AFEdit2->GetDspRowCount(), 3);

  // Three clicks on the down arrow: both panes three rows down.
  for (int i = 0; i < 3; ++i) {
    form->AFEdit2->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    form->AFEdit2->Perform(WM_VSCROLL, SB_ENDSCROLL, 0);
  }
  EXPECT_EQ(TopLine::Of(form->AFEdit2), 3);
  EXPECT_EQ(TopLine::Of(form->AFEdit1), 3);
  form->AFEdit2->Perform(WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(TopLine::Of(form->AFEdit1), 2);

  // Paging and jumps are not passed on.
  form->AFEdit2->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_GT(TopLine::Of(form->AFEdit2), 2);
  EXPECT_EQ(TopLine::Of(form->AFEdit1), 2);
  form->AFEdit2->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50), 0);
  EXPECT_EQ(TopLine::Of(form->AFEdit1), 2);

  // Scrolling the reference pane leaves the edit pane alone.
  const int edit = TopLine::Of(form->AFEdit2);
  form->AFEdit1->Perform(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(TopLine::Of(form->AFEdit1), 3);
  EXPECT_EQ(TopLine::Of(form->AFEdit2), edit);
  form->hide();
}

TEST_F(MainWindow, ShortcutsActOnTheEditPaneWhileTheReferencePaneHasTheFocus) {
  form->show();
  form->activateWindow();
  QApplication::processEvents();
  if (!form->isActiveWindow()) QApplication::setActiveWindow(form.get());
  form->AFEdit1->SetFocus();
  QApplication::processEvents();
  form->AFEdit2->SetLine(0, "abc");
  form->AFEdit1->SetLine(0, "ref");
  QWidget* focused = QApplication::focusWidget();
  ASSERT_EQ(focused, form->AFEdit1->GetWidget());
  EXPECT_TRUE(qt_sendShortcutOverrideEvent(focused, 0, Qt::Key_Z, Qt::ControlModifier, QString(), false, 1));
  EXPECT_EQ(form->AFEdit2->GetLine(0), "");
  EXPECT_EQ(form->AFEdit1->GetLine(0), "ref");
  EXPECT_TRUE(qt_sendShortcutOverrideEvent(focused, 0, Qt::Key_Y, Qt::ControlModifier, QString(), false, 1));
  EXPECT_EQ(form->AFEdit2->GetLine(0), "abc");
  form->hide();
}

TEST_F(MainWindow, UndoAndRedoActOnTheEditPane) {
  form->AFEdit2->SetLine(0, "abc");
  EXPECT_TRUE(form->AFEdit2->isEdited());
  form->EditUndo1->trigger();
  EXPECT_EQ(form->AFEdit2->GetLine(0), "");
  form->EditRedo1->trigger();
  EXPECT_EQ(form->AFEdit2->GetLine(0), "abc");
  EXPECT_EQ(form->AFEdit1->GetLine(0), "");
}

}  // namespace
