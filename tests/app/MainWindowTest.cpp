#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <set>
#include <span>

#include "app/About.h"
#include "app/Commands.h"
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

// The long part of a hint (the status line), and the short part (the tool
// tip); a hint without a bar is both.
std::string LongHint(const TCommandDef& def) { return QString::fromUtf8(def.Hint).section('|', -1).toStdString(); }
std::string ShortHint(const TCommandDef& def) { return QString::fromUtf8(def.Hint).section('|', 0, 0).toStdString(); }

std::string ItemCaption(const TCommandDef& def) { return def.ItemCaption ? def.ItemCaption : def.Caption; }

TEST(CommandTable, NamesEachCommandOnceAndEveryPlaceNamesAKnownCommand) {
  std::set<std::string> names;
  std::set<std::string> captions;
  for (const TCommandDef& def : CommandDefs()) {
    EXPECT_TRUE(names.insert(def.Name).second) << def.Name;
    EXPECT_EQ(FindCommandDef(def.Action), &def) << def.Name << " shares its field with another row";
    EXPECT_NE(def.OnExecute, nullptr) << def.Name;
    EXPECT_TRUE(captions.insert(ItemCaption(def)).second) << def.Name << ": two menu items would read alike";
  }
  const TCommandPlaces& places = CommandPlaces();
  std::set<std::string> placeNames;
  for (auto list : {places.FileMenu, places.EditMenu, places.ConvertMenu, places.HelpMenu, places.PopupMenu,
                    places.ToolBar}) {
    for (const TPlaceDef& place : list) {
      EXPECT_TRUE(placeNames.insert(place.Name).second) << place.Name;
      if (place.Action) {
        EXPECT_NE(FindCommandDef(place.Action), nullptr) << place.Name;
      }
    }
  }
  // Every command can be reached from the menu bar.
  for (const TCommandDef& def : CommandDefs()) {
    bool inMenu = false;
    for (auto list : {places.FileMenu, places.EditMenu, places.ConvertMenu, places.HelpMenu})
      for (const TPlaceDef& place : list) inMenu = inMenu || place.Action == def.Action;
    EXPECT_TRUE(inMenu) << def.Name;
  }
}

TEST(CommandTable, EveryImageNameIsBuiltIntoTheProgramAndEveryImageIsUsed) {
  TestApp();
  std::set<QString> used;
  for (const TCommandDef& def : CommandDefs()) {
    if (!def.Icon) {
      EXPECT_FALSE(def.ActionIcon) << def.Name;
      continue;
    }
    used.insert(QString::fromUtf8(def.Icon) + QStringLiteral(".png"));
    EXPECT_TRUE(QFile::exists(CommandIconPath(def.Icon))) << def.Name << " " << def.Icon;
    EXPECT_FALSE(QIcon(CommandIconPath(def.Icon)).pixmap(16, 16).isNull()) << def.Icon;
  }
  for (const QString& file : QDir(QStringLiteral(":/app")).entryList(QDir::Files)) {
    if (file.startsWith(QStringLiteral("sorvelan"))) continue;  // the program's own icon
    EXPECT_TRUE(used.count(file)) << file.toStdString() << " is used by no command";
  }
}

TEST_F(MainWindow, ActionsCarryTheirCommandsCaptionsShortcutsHintsAndImages) {
  for (const TCommandDef& def : CommandDefs()) {
    SCOPED_TRACE(def.Name);
    QAction* action = form.get()->*def.Action;
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->parent(), form->ActionList1);
    EXPECT_EQ(action->objectName().toStdString(), def.Name);
    EXPECT_EQ(action->property("Category").toString().toStdString(), def.Category);
    EXPECT_EQ(action->text().toStdString(), def.Caption);
    EXPECT_EQ(action->shortcut().toString().toStdString(), def.ShortCut);
    EXPECT_EQ(action->statusTip().toStdString(), LongHint(def));
    if (*def.Hint) {
      EXPECT_EQ(action->toolTip().toStdString(), ShortHint(def));
    }
    EXPECT_EQ(!action->icon().isNull(), def.Icon && def.ActionIcon);
    EXPECT_TRUE(action->isEnabled());
  }
  EXPECT_EQ(form->ActionList1->findChildren<QAction*>().size(), static_cast<qsizetype>(CommandDefs().size()));

  // The three shapes of a hint: both parts, one text for both, none (the tip
  // falls back to the caption).
  struct Hint {
    QAction* Action;
    const char* Tip;
    const char* Status;
  };
  const Hint hints[] = {
      {form->FileSaveAs1, "別名保存", "現在のファイルに別の名前をつけて保存"},
      {form->EditRedo1, "やり直しのやり直し", "やり直しのやり直し"},
      {form->EditSelectAll1, "すべて選択", ""},
      {form->ConvertRoma2, "ローマ字に変換します(訓令式)", "ローマ字に変換します(訓令式)"},
  };
  for (const Hint& h : hints) {
    SCOPED_TRACE(h.Action->objectName().toStdString());
    EXPECT_EQ(h.Action->toolTip().toStdString(), h.Tip);
    EXPECT_EQ(h.Action->statusTip().toStdString(), h.Status);
  }
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
  EXPECT_EQ(Items(form->S1), std::vector<std::string>{"設定"});
  ASSERT_FALSE(form->Help1->actions().isEmpty());
  EXPECT_EQ(form->Help1->actions()[0]->text().toStdString(), "Sorvelanヘルプ(&H)");

  // Each item shows its command's item caption, its shortcut in a column of
  // its own, its long hint and, but in the pop-up, its image.
  struct Placed {
    QMenu* Control;
    std::span<const TPlaceDef> Places;
    int First;  // items above the command items
    bool Images;
  };
  const TCommandPlaces& places = CommandPlaces();
  const Placed placed[] = {
      {form->File1, places.FileMenu, 0, true},       {form->Edit1, places.EditMenu, 0, true},
      {form->Convert1, places.ConvertMenu, 0, true}, {form->Help1, places.HelpMenu, 1, true},
      {form->PopupMenu1, places.PopupMenu, 0, false},
  };
  for (const Placed& p : placed) {
    const QList<QAction*> items = p.Control->actions();
    ASSERT_EQ(items.size(), p.First + static_cast<qsizetype>(p.Places.size())) << p.Control->objectName().toStdString();
    for (size_t i = 0; i < p.Places.size(); ++i) {
      const TPlaceDef& place = p.Places[i];
      QAction* item = items[p.First + static_cast<qsizetype>(i)];
      SCOPED_TRACE(place.Name);
      EXPECT_EQ(item->objectName().toStdString(), place.Name);
      EXPECT_EQ(item->isSeparator(), place.Action == nullptr);
      if (!place.Action) continue;
      const TCommandDef& def = *FindCommandDef(place.Action);
      EXPECT_EQ(item->text().section(QLatin1Char('\t'), 0, 0).toStdString(), ItemCaption(def));
      EXPECT_EQ(item->text().section(QLatin1Char('\t'), 1).toStdString(), def.ShortCut);
      EXPECT_EQ(item->statusTip().toStdString(), LongHint(def));
      EXPECT_EQ(!item->icon().isNull(), p.Images && def.ActionIcon);
    }
  }
  // The pop-up has no separators.
  for (const TPlaceDef& place : places.PopupMenu) EXPECT_NE(place.Action, nullptr) << place.Name;

  // An item whose caption differs from its action's; an item runs its action.
  EXPECT_EQ(Items(form->Convert1).back(), "ローマ字に変換(日本式)");
  auto* item = form->findChild<QAction*>("FileNewItem");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text().section(QLatin1Char('\t'), 1).toStdString(), "Ctrl+N");
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
  std::vector<std::string> expected;
  for (const TPlaceDef& place : CommandPlaces().ToolBar) expected.push_back(place.Name);
  expected.push_back("ProgressBar1");
  EXPECT_EQ(names, expected);

  // A button runs its command and always shows the command's image, even
  // where the action and its menu items show none.
  for (const TPlaceDef& place : CommandPlaces().ToolBar) {
    if (!place.Action) continue;
    SCOPED_TRACE(place.Name);
    auto* button = form->findChild<QToolButton*>(place.Name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->defaultAction(), form.get()->*place.Action);
    EXPECT_FALSE(button->icon().isNull());
  }
  auto* undo = form->findChild<QToolButton*>("ToolButton10");
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(undo->defaultAction(), form->EditUndo1);
  EXPECT_TRUE(form->EditUndo1->icon().isNull());
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
