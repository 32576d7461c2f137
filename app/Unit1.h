// The main window: the read-only reference pane on the left, the edit pane
// on the right, tool bar with progress bar, menus, pop-up menu and status
// line, and every command of the program.
#pragma once

#include <QMainWindow>
#include <functional>

#include "app/AppSupport.h"
#include "editor/Afedit.h"
#include "engine/Roma.h"
#include "platform/core/Messages.h"
#include "platform/text/AnsiString.h"

class QAction;
class QMenu;
class QStatusBar;
class QToolBar;
class QToolButton;
class TForm;
class THelpViewer;
class TOKBottomDlg;
class TPaneSplitter;

// Path of the file last opened with Open (the reference file), and the path
// last chosen with Save As (the output file); file-system bytes. Only Open
// and Save As change them.
extern AnsiString InputFileName;
extern AnsiString OutputFileName;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // --- Components -----------------------------------------------------------
  TFileDialog* OpenDialog1;
  TFileDialog* SaveDialog1;
  QObject* ActionList1;  // parent of the 27 actions
  QToolBar* ToolBar1;
  TProgressBar* ProgressBar1;
  QStatusBar* StatusBar1;
  TForm* Panel1;  // panel of the reference pane
  TPaneSplitter* Splitter1;
  TForm* Panel2;  // panel of the edit pane
  TAFEdit* AFEdit1;
  TAFEdit* AFEdit2;
  QMenu* PopupMenu1 = nullptr;
  QMenu* File1;
  QMenu* Edit1;
  QMenu* Convert1;
  QMenu* S1;
  QMenu* Help1;

  // Actions: file, clipboard, edit, help.
  QAction* FileNew1;
  QAction* FileOpen1;
  QAction* FileSave1;
  QAction* FileSaveAs1;
  QAction* ClipboardOpen1;
  QAction* ClipboardSave1;
  QAction* FileExit1;
  QAction* EditCut1;
  QAction* EditCopy1;
  QAction* EditPaste1;
  QAction* EditDel1;
  QAction* EditUndo1;
  QAction* EditRedo1;
  QAction* EditSelectAll1;
  QAction* HelpAbout1;
  // Actions: conversions.
  QAction* ConvertSetting;
  QAction* ConvertFurigana1;
  QAction* ConvertFurigana2;
  QAction* ConvertHiragana1;
  QAction* ConvertKatakana1;
  QAction* ConvertHankaku1;
  QAction* ConvertZenkaku1;
  QAction* ConvertUppercase1;
  QAction* ConvertLowercase1;
  QAction* ConvertRoma1;
  QAction* ConvertRoma2;
  QAction* ConvertRoma3;

  // --- Handlers -------------------------------------------------------------
  void FormCreate(QObject* Sender);
  void FormResize(QObject* Sender);
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  void FileNew1Execute(QObject* Sender);
  void FileOpen1Execute(QObject* Sender);
  void FileSave1Execute(QObject* Sender);
  void FileSaveAs1Execute(QObject* Sender);
  void ClipboardOpen1Execute(QObject* Sender);
  void ClipboardSave1Execute(QObject* Sender);
  void FileExit1Execute(QObject* Sender);
  void EditCut1Execute(QObject* Sender);
  void EditCopy1Execute(QObject* Sender);
  void EditPaste1Execute(QObject* Sender);
  void EditDel1Execute(QObject* Sender);
  void EditUndo1Execute(QObject* Sender);
  void EditRedo1Execute(QObject* Sender);
  void EditSelectAll1Execute(QObject* Sender);
  void HelpAbout1Execute(QObject* Sender);
  void N24Click(QObject* Sender);
  void SorvelanHelpClick(QObject* Sender);

  void ConvertSettingExecute(QObject* Sender);
  void ConvertFurigana1Execute(QObject* Sender);
  void ConvertFurigana2Execute(QObject* Sender);
  void ConvertHiragana1Execute(QObject* Sender);
  void ConvertKatakana1Execute(QObject* Sender);
  void ConvertHankaku1Execute(QObject* Sender);
  void ConvertZenkaku1Execute(QObject* Sender);
  void ConvertUppercase1Execute(QObject* Sender);
  void ConvertLowercase1Execute(QObject* Sender);
  void ConvertRoma1Execute(QObject* Sender);
  void ConvertRoma2Execute(QObject* Sender);
  void ConvertRoma3Execute(QObject* Sender);

  // --- For the commands and their tests -------------------------------------
  // The window title as one text.
  void SetCaption(const QString& caption);
  QString GetCaption() const;
  // Width of the reference pane's panel (set by FormResize and the splitter).
  int Panel1Width() const { return FPanel1Width; }
  void SetPanel1Width(int width);
  // Outer width of the window, frame included when the window has one.
  int FormWidth() const;
  THelpViewer* HelpViewer() const { return FHelpViewer; }

  // The mapping flags and the Hepburn options the settings dialog gives.
  static int SettingsMapFlags(const TOKBottomDlg& dlg);
  static HepburnOptions SettingsHepburnOptions(const TOKBottomDlg& dlg);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreatePanes();
  void LayoutPanes();
  // The edit pane's window procedure: the pane handles every message first,
  // then line and thumb scrolling and the end of scrolling go on to the
  // reference pane.
  void EditWndProc(TMessage& Message);
  // After clipboard text went into the panes: what of it could not be kept
  // (characters code page 932 lacks, the rest after a NUL), in one box.
  void ShowClipboardTextLoss();

  // The save question of New, Open and new from clipboard: true to go on.
  bool SavePrompt();
  // Save and Save As; true when the text was written.
  bool DoSave();
  bool DoSaveAs();
  // Sets "Sorvelan - <input> -> <output>".
  void ShowInputOutputCaption();

  // One pass over the edit pane's rows with a converter that returns a new
  // heap string (or null: the row is kept).
  void RowPass(const std::function<char*(const char*)>& convert);
  // The two reading commands: kanji runs or whole rows.
  void ReadingPass(bool wholeRow);

  std::function<void(TMessage&)> OldEditWndProc;
  THelpViewer* FHelpViewer = nullptr;
  QWidget* FPaneHost = nullptr;
  int FPanel1Width = 392;
};

// The main window, from start-up to exit.
extern TForm1* Form1;
