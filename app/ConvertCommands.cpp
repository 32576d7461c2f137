// The conversion commands: each rewrites the edit pane row by row through
// the conversion engine; one undo step per replaced row.
#include <QCheckBox>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "app/SettingsDlg.h"
#include "app/Unit1.h"
#include "engine/ImeReader.h"
#include "engine/MapText.h"
#include "engine/TextBuf.h"
#include "platform/text/LocaleMap.h"

namespace {

// Half width alone leaves hiragana as they are; the half-width conversion
// turns them into half-width katakana as well.
constexpr int kHalfWidthKatakana = LCMAP_HALFWIDTH | LCMAP_KATAKANA;

struct FreeDeleter {
  void operator()(char* p) const { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

// A row that the row and reading passes leave alone.
bool SkippedRow(const AnsiString& row) { return row.empty() || row == "\r"; }

// Converts a row whose text may hold NUL bytes: the engine takes
// NUL-terminated text, so each piece between NULs is converted on its own
// and the NULs are kept. False (and the row left alone) when the engine gave
// no result for a piece.
bool ConvertPieces(const AnsiString& row, const std::function<char*(const char*)>& convert, AnsiString& out) {
  if (!row.empty() && row.find('\0') == AnsiString::npos) {
    // The usual row, one piece: no copy of it is needed.
    HeapText result(convert(row.c_str()));
    if (!result) return false;
    out.assign(result.get());
    return true;
  }
  out.clear();
  size_t start = 0;
  for (;;) {
    size_t nul = row.find('\0', start);
    const AnsiString piece = row.substr(start, nul == AnsiString::npos ? AnsiString::npos : nul - start);
    if (!piece.empty()) {
      HeapText result(convert(piece.c_str()));
      if (!result) return false;
      out += result.get();
    }
    if (nul == AnsiString::npos) return true;
    out += '\0';
    start = nul + 1;
  }
}

// Closes the reader however the pass ends.
struct OpenReader {
  ImeReader Reader{};
  bool Opened = false;
  ~OpenReader() {
    if (Opened) ImeReaderClose(&Reader);
  }
};

// One row's reading buffer, freed however the row ends.
struct RowBuffer {
  TextBuf Buf;
  RowBuffer() { TextBufInit(&Buf); }
  ~RowBuffer() { TextBufFree(&Buf); }
};

}  // namespace

int TForm1::SettingsMapFlags(const TOKBottomDlg& dlg) {
  // The first ticked item of each pair.
  int flags = 0;
  if (dlg.Checked(cvHiragana)) flags |= LCMAP_HIRAGANA;
  else if (dlg.Checked(cvKatakana)) flags |= LCMAP_KATAKANA;
  if (dlg.Checked(cvHankaku)) flags |= kHalfWidthKatakana;
  else if (dlg.Checked(cvZenkaku)) flags |= LCMAP_FULLWIDTH;
  if (dlg.Checked(cvUppercase)) flags |= LCMAP_UPPERCASE;
  else if (dlg.Checked(cvLowercase)) flags |= LCMAP_LOWERCASE;
  return flags;
}

HepburnOptions TForm1::SettingsHepburnOptions(const TOKBottomDlg& dlg) {
  HepburnOptions options = 0;
  if (dlg.CheckBox1->isChecked()) options |= HepburnOh;
  if (dlg.CheckBox2->isChecked()) options |= HepburnWo;
  if (dlg.CheckBox3->isChecked()) options |= HepburnOo;
  if (dlg.CheckBox4->isChecked()) options |= HepburnWoSp;
  if (dlg.CheckBox5->isChecked()) options |= HepburnNbmp;
  if (dlg.CheckBox6->isChecked()) options |= HepburnVa;
  if (dlg.CheckBox7->isChecked()) options |= HepburnWi;
  if (dlg.CheckBox8->isChecked()) options |= HepburnQu;
  return options;
}

void TForm1::RowPass(const std::function<char*(const char*)>& convert) {
  THourGlass hourglass;
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(AFEdit2->GetLinesCount());
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetStep(1);
  AnsiString converted;
  for (int i = 0; i < AFEdit2->GetLinesCount(); ++i) {
    ProgressBar1->StepIt();
    const AnsiString row = AFEdit2->GetLine(i);
    if (SkippedRow(row)) continue;
    // A row the engine could not convert keeps its text.
    if (ConvertPieces(row, convert, converted)) AFEdit2->SetLine(i, std::move(converted));
  }
  AFEdit2->Paint();
}

void TForm1::ReadingPass(bool wholeRow) {
  THourGlass hourglass;
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(AFEdit2->GetLinesCount());
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetStep(1);

  int wanted = 0;
  for (int i = 0; i < AFEdit2->GetLinesCount(); ++i) {
    ProgressBar1->StepIt();
    if (!SkippedRow(AFEdit2->GetLine(i))) ++wanted;
  }

  if (wanted > 0) {
    OpenReader reader;
    reader.Opened = ImeReaderOpen(&reader.Reader) != 0;
    if (!reader.Opened) {
      TNormalCursor normal;
      ShowMessage(this, QString::fromUtf8("変換にはMS-IME98 (以降) が必要となります"));
    } else {
      // The second run of the bar starts over from its minimum.
      AnsiString converted;
      for (int i = 0; i < AFEdit2->GetLinesCount(); ++i) {
        ProgressBar1->StepIt();
        const AnsiString row = AFEdit2->GetLine(i);
        if (SkippedRow(row)) continue;
        auto read = [&](const char* piece) -> char* {
          RowBuffer out;
          if (wholeRow) {
            LineToReading(&reader.Reader, &out.Buf, piece);
          } else {
            std::vector<char> text(piece, piece + std::strlen(piece) + 1);
            KanjiRunsToReading(&reader.Reader, &out.Buf, text.data());
          }
          const char* result = TextBufGet(&out.Buf);
          return result ? strdup(result) : nullptr;
        };
        if (ConvertPieces(row, read, converted)) AFEdit2->SetLine(i, std::move(converted));
      }
    }
  }
  AFEdit2->Paint();
}

void TForm1::ConvertSettingExecute(QObject* Sender) {
  if (!OKBottomDlg) return;
  const TOKBottomDlg& dlg = *OKBottomDlg;
  if (dlg.Checked(cvFurigana1)) ConvertFurigana1Execute(Sender);
  else if (dlg.Checked(cvFurigana2)) ConvertFurigana2Execute(Sender);

  // All mappings in one call per row; a lone CR row is mapped (and recorded)
  // too, only empty rows are left out.
  const int flags = SettingsMapFlags(dlg);
  if (flags != 0) {
    THourGlass hourglass;
    AnsiString converted;
    for (int i = 0; i < AFEdit2->GetLinesCount(); ++i) {
      const AnsiString row = AFEdit2->GetLine(i);
      if (row.empty()) continue;
      if (ConvertPieces(row, [flags](const char* t) { return MapText(t, flags); }, converted))
        AFEdit2->SetLine(i, std::move(converted));
    }
    AFEdit2->Paint();
  }

  if (dlg.Checked(cvRoma1)) ConvertRoma1Execute(Sender);
  if (dlg.Checked(cvRoma2)) ConvertRoma2Execute(Sender);
  if (dlg.Checked(cvRoma3)) ConvertRoma3Execute(Sender);
}

void TForm1::ConvertFurigana1Execute(QObject*) { ReadingPass(false); }

void TForm1::ConvertFurigana2Execute(QObject*) { ReadingPass(true); }

void TForm1::ConvertHiragana1Execute(QObject*) {
  RowPass([](const char* t) { return MapText(t, LCMAP_HIRAGANA); });
}

void TForm1::ConvertKatakana1Execute(QObject*) {
  RowPass([](const char* t) { return MapText(t, LCMAP_KATAKANA); });
}

void TForm1::ConvertHankaku1Execute(QObject*) {
  RowPass([](const char* t) { return MapText(t, kHalfWidthKatakana); });
}

void TForm1::ConvertZenkaku1Execute(QObject*) {
  RowPass([](const char* t) { return MapText(t, LCMAP_FULLWIDTH); });
}

void TForm1::ConvertUppercase1Execute(QObject*) {
  RowPass([](const char* t) { return MapText(t, LCMAP_UPPERCASE); });
}

void TForm1::ConvertLowercase1Execute(QObject*) {
  RowPass([](const char* t) { return MapText(t, LCMAP_LOWERCASE); });
}

void TForm1::ConvertRoma1Execute(QObject*) {
  // The options are taken before anything else.
  const HepburnOptions options = OKBottomDlg ? SettingsHepburnOptions(*OKBottomDlg) : 0;
  RowPass([options](const char* t) { return KanaToHepburn(options, t); });
}

void TForm1::ConvertRoma2Execute(QObject*) { RowPass([](const char* t) { return KanaToKunrei(t); }); }

void TForm1::ConvertRoma3Execute(QObject*) { RowPass([](const char* t) { return KanaToNihonShiki(t); }); }
