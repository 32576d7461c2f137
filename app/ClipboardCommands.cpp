// The clipboard and selection commands of the main window; the edit
// commands act on the edit pane whichever pane has the focus.
#include "app/Unit1.h"
#include "platform/qt/Clipboard.h"
#include "platform/qt/Controls.h"

void TForm1::ShowClipboardTextLoss() {
  const TClipboardTextLoss loss = Clipboard()->LastReadLoss();
  Clipboard()->ForgetLastReadLoss();
  if (!loss.Any()) return;
  QStringList lines;
  if (loss.Replaced > 0)
    lines << QString::fromUtf8("クリップボードのテキストの %1 文字はコードページ 932 (Shift-JIS) にないため「?」になりました")
                 .arg(loss.Replaced);
  // Worded as for a file that holds a NUL.
  if (loss.KeptBeforeNul == 0)
    lines << QString::fromUtf8("クリップボードのテキストは取り込まれていません (先頭が NUL 文字です)");
  else if (loss.KeptBeforeNul > 0)
    lines << QString::fromUtf8("クリップボードの %1 バイト目より後のテキストは取り込まれていません (NUL 文字があります)")
                 .arg(loss.KeptBeforeNul);
  TNormalCursor normal;  // also inside a command's hourglass
  ShowMessage(this, lines.join(QLatin1Char('\n')));
}

void TForm1::ClipboardOpen1Execute(QObject*) {
  if (!SavePrompt()) return;
  Clipboard()->ForgetLastReadLoss();
  {
    THourGlass hourglass;
    // One read for both panes: a clipboard that cannot be read ends the
    // command here, before either pane is emptied, and one that changes
    // meanwhile cannot give the panes different texts.
    const AnsiString text = Clipboard()->GetAsText();
    // Both panes were just emptied, so the text goes in at their top.
    AFEdit1->Clear();
    AFEdit2->Clear();
    AFEdit1->ClipInsert(text);
    AFEdit2->ClipInsert(text);
  }
  SetCaption(QStringLiteral("Sorvelan - (Clipboard) ->") + FileNameToQt(OutputFileName));
  ProgressBar1->SetPosition(0);
  // Both panes read the same text; it is told once.
  ShowClipboardTextLoss();
}

void TForm1::ClipboardSave1Execute(QObject*) {
  // The whole edit pane goes to the clipboard whatever is selected: a point
  // selection would take precedence over the rows, so it is set aside, and
  // both of the user's selections come back afterwards, also on failure.
  TSelArea* sel = AFEdit2->FSelArea;
  struct SelectionKeeper {
    TSelArea* Sel;
    TPoint StartPoint, EndPoint;
    int StartRow, EndRow;
    ~SelectionKeeper() {
      Sel->PutStartPoint(StartPoint);
      Sel->PutEndPoint(EndPoint);
      Sel->PutStartRow(StartRow);
      Sel->PutEndRow(EndRow);
    }
  } keeper{sel, sel->FStartPoint, sel->FEndPoint, sel->FStartRow, sel->FEndRow};
  sel->PointReset();
  sel->PutStartRow(0);
  sel->PutEndRow(AFEdit2->GetLinesCount() - 1);
  {
    THourGlass hourglass;
    AFEdit2->SelectAreaCopy(false);
  }
  SetCaption(QStringLiteral("Sorvelan - ") + FileNameToQt(InputFileName) + QStringLiteral(" -> (Clipboard)"));
}

void TForm1::EditCut1Execute(QObject*) {
  THourGlass hourglass;
  SendMessageA(AFEdit2->GetHandle(), WM_CUT, 0, 0);
}

void TForm1::EditCopy1Execute(QObject*) {
  THourGlass hourglass;
  SendMessageA(AFEdit2->GetHandle(), WM_COPY, 0, 0);
}

void TForm1::EditPaste1Execute(QObject*) {
  THourGlass hourglass;
  SendMessageA(AFEdit2->GetHandle(), WM_PASTE, 0, 0);
}

void TForm1::EditDel1Execute(QObject*) {
  THourGlass hourglass;
  AFEdit2->SelectAreaDel();
}

void TForm1::EditSelectAll1Execute(QObject*) {
  THourGlass hourglass;
  AFEdit2->SelectAll();
}
