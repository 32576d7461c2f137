// The file, edit, help and settings commands of the main window.
#include <QApplication>

#include "app/About.h"
#include "app/HelpViewer.h"
#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "platform/core/Classes.h"
#include "platform/text/EncodingCheck.h"

namespace {

// Before a file is loaded: a file whose opening does not look like code page
// 932 text is named by what it looks like, and the user opens it as it is or
// leaves it; true to load it. A file that cannot be read passes, so that the
// load reports why.
bool FileEncodingAccepted(QWidget* parent, const AnsiString& name) {
  std::string head(cp932::kEncodingCheckBytes, '\0');
  int read = -1;
  try {
    TFileStream in(name, fmOpenRead);
    read = in.Read(head.data(), static_cast<int>(head.size()));
  } catch (const std::exception&) {
  }
  if (read < 0) return true;
  head.resize(static_cast<size_t>(read));
  const std::string looks = cp932::ForeignEncoding(head, head.size() < cp932::kEncodingCheckBytes);
  if (looks.empty()) return true;
  const QString text = QString::fromUtf8("ファイル %1 は Shift-JIS (コードページ 932) ではなく %2 のテキストのようです。\n"
                                         "このまま開くと文字化けし、変換するとテキストが壊れることがあります。\n\n"
                                         "このまま開きますか?")
                           .arg(FileNameToQt(name), QString::fromUtf8(looks));
  return MessageDlg(parent, text, mtWarning, MsgButtons({mbYes, mbNo})) == mrYes;
}

}  // namespace

bool TForm1::SavePrompt() {
  if (!AFEdit2->isEdited()) return true;
  const int answer = MessageDlg(this, QString::fromUtf8("編集中のテキストを保存しますか"), mtInformation,
                                MsgButtons({mbYes, mbNo, mbCancel}));
  // Yes always saves under a new name; when nothing was written (the dialog
  // cancelled) the command ends as with Cancel, so no edit is lost.
  if (answer == mrYes) return DoSaveAs();
  return answer == mrNo;
}

bool TForm1::DoSave() {
  if (OutputFileName.empty()) return DoSaveAs();
  // An exact comparison: names that differ in letter case are different.
  if (InputFileName != OutputFileName) {
    AFEdit2->SaveToFile(SaveDialog1->FileName, TConvMode());
    return true;
  }
  ShowMessage(this, QString::fromUtf8("出力ファイルは入力ファイルと同名にはできません"));
  return false;
}

bool TForm1::DoSaveAs() {
  if (!SaveDialog1->Execute()) return false;
  OutputFileName = SaveDialog1->FileName;
  ShowInputOutputCaption();
  // No same-name test here: Save As writes to whatever name was chosen.
  AFEdit2->SaveToFile(OutputFileName, TConvMode());
  return true;
}

void TForm1::FileNew1Execute(QObject*) {
  if (!SavePrompt()) return;
  {
    THourGlass hourglass;
    AFEdit1->Clear();
    AFEdit2->Clear();
  }
  SetCaption(QStringLiteral("Sorvelan - ->") + FileNameToQt(OutputFileName));
}

void TForm1::FileOpen1Execute(QObject*) {
  if (!SavePrompt()) return;
  if (OpenDialog1->Execute()) {
    const AnsiString name = OpenDialog1->FileName;
    if (!FileExists(name)) {
      ShowMessage(this, FileNameToQt(name) + QString::fromUtf8("は存在しません"));
    } else if (FileEncodingAccepted(this, name)) {
      // The file is read once: a failure leaves both panes as they were, and
      // the edit pane takes the rows the reference pane read, sharing them.
      AFEdit1->LoadFromFile(name, TConvMode());
      AFEdit2->LoadFromEdit(AFEdit1);
      // Named only once both panes hold the file.
      InputFileName = name;
      ShowInputOutputCaption();
      // Rows cannot hold a NUL: the text ends there, and the user is told.
      if (const std::int64_t read = AFEdit1->LoadStoppedAtNul(); read >= 0)
        ShowMessage(this, QString::fromUtf8("ファイル %1 の %2 バイト目より後のテキストは読み込まれていません "
                                            "(NUL 文字があります)")
                              .arg(FileNameToQt(name))
                              .arg(read));
    }
  }
  ProgressBar1->SetPosition(0);
}

void TForm1::FileSave1Execute(QObject*) { DoSave(); }

void TForm1::FileSaveAs1Execute(QObject*) { DoSaveAs(); }

void TForm1::FileExit1Execute(QObject*) { close(); }

void TForm1::EditUndo1Execute(QObject*) { AFEdit2->Undo(); }

void TForm1::EditRedo1Execute(QObject*) { AFEdit2->Redo(); }

void TForm1::HelpAbout1Execute(QObject*) {
  if (AboutBox) AboutBox->exec();
}

void TForm1::N24Click(QObject*) {
  if (OKBottomDlg) OKBottomDlg->exec();
}

void TForm1::SorvelanHelpClick(QObject*) {
  // The help file lies beside the program and has its name.
  if (!FHelpViewer) FHelpViewer = new THelpViewer(this);
  FHelpViewer->ShowContents(ChangeFileExt(ExeName(), ".hlp"));
}
