// The file, edit, help and settings commands of the main window.
#include <QApplication>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "app/About.h"
#include "app/HelpViewer.h"
#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "platform/core/Classes.h"
#include "platform/text/EncodingCheck.h"

namespace {

// The opened file as the load reads it: the opening the check read, from
// memory, then the rest from the same open file. Each byte is read once,
// and the check and the load see the same file even if its name is given
// to another meanwhile.
class TCheckedFileStream : public TStream {
 public:
  TCheckedFileStream(TFileStream& file, std::string opening) : FFile(file), FOpening(std::move(opening)) {}

  int Read(void* buffer, int count) override {
    if (count <= 0) return 0;
    int done = 0;
    if (FPosition < static_cast<int64_t>(FOpening.size())) {
      done = static_cast<int>(std::min<int64_t>(count, static_cast<int64_t>(FOpening.size()) - FPosition));
      std::memcpy(buffer, FOpening.data() + FPosition, static_cast<size_t>(done));
    }
    if (done < count) {
      FFile.Seek(FPosition + done, soBeginning);
      const int n = FFile.Read(static_cast<char*>(buffer) + done, count - done);
      if (n < 0) return -1;
      done += n;
    }
    FPosition += done;
    return done;
  }
  int Write(const void*, int) override { return -1; }
  int64_t Seek(int64_t offset, int origin) override {
    if (origin == soCurrent) offset += FPosition;
    else if (origin == soEnd) offset += FFile.Size();
    if (offset >= 0) FPosition = offset;
    return FPosition;
  }
  int64_t GetSize() override { return FFile.Size(); }

 private:
  TFileStream& FFile;
  std::string FOpening;
  int64_t FPosition = 0;
};

// Reads the opening of `in` and judges it: a file whose opening does not
// look like code page 932 text is named by what it looks like, and the
// user opens it as it is or leaves it; true to load it. The opening is
// kept in `opening`. A file whose opening cannot be read passes, so that
// the load reports why.
bool FileEncodingAccepted(QWidget* parent, const AnsiString& name, TFileStream& in, std::string& opening) {
  opening.assign(cp932::kEncodingCheckBytes, '\0');
  const int read = in.Read(opening.data(), static_cast<int>(opening.size()));
  opening.resize(read < 0 ? 0 : static_cast<size_t>(read));
  if (read < 0) return true;
  const std::string looks = cp932::ForeignEncoding(opening, opening.size() < cp932::kEncodingCheckBytes);
  if (looks.empty()) return true;
  QString text;
  if (looks == cp932::kBinaryData)
    text = QString::fromUtf8("ファイル %1 はテキストではなくバイナリデータのようです。\n"
                             "このまま開くと文字化けし、NUL 文字があればその手前までしか読み込まれません。\n\n"
                             "このまま開きますか?")
               .arg(FileNameToQt(name));
  else
    text = QString::fromUtf8("ファイル %1 は Shift-JIS (コードページ 932) ではなく %2 のテキストのようです。\n"
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
    } else {
      // Opened once, read once: the check reads the opening, the load goes
      // on from it. A failure leaves both panes as they were, and the edit
      // pane takes the rows the reference pane read, sharing them.
      TFileStream file(name, fmOpenRead);
      std::string opening;
      if (FileEncodingAccepted(this, name, file, opening)) {
        TCheckedFileStream stream(file, std::move(opening));
        AFEdit1->LoadFromStream(&stream, TConvMode());
        AFEdit2->LoadFromEdit(AFEdit1);
        // Named only once both panes hold the file.
        InputFileName = name;
        ShowInputOutputCaption();
        // Rows cannot hold a NUL: the text ends there, and the user is told.
        const std::int64_t read = AFEdit1->LoadStoppedAtNul();
        if (read == 0)
          ShowMessage(this, QString::fromUtf8("ファイル %1 のテキストは読み込まれていません (先頭が NUL 文字です)")
                                .arg(FileNameToQt(name)));
        else if (read > 0)
          ShowMessage(this, QString::fromUtf8("ファイル %1 の %2 バイト目より後のテキストは読み込まれていません "
                                              "(NUL 文字があります)")
                                .arg(FileNameToQt(name))
                                .arg(read));
      }
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
