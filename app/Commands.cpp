#include "app/Commands.h"

#include <algorithm>
#include <iterator>

#include "app/Unit1.h"

namespace {

constexpr TCommandAction kSeparator = nullptr;

// The action list: file, clipboard, edit and help commands, then the
// conversions. A tool button always shows its command's image; the action
// (and so its menu items) shows it only where ActionIcon says so.
const TCommandDef kCommands[] = {
    {&TForm1::FileNew1, "FileNew1", "ファイル", "新規作成(&N)", nullptr, "Ctrl+N", "新規|新規ファイルの作成", "new",
     true, &TForm1::FileNew1Execute},
    {&TForm1::FileOpen1, "FileOpen1", "ファイル", "開く(&O)...", nullptr, "Ctrl+O", "開く|ファイルを開く", "open",
     true, &TForm1::FileOpen1Execute},
    {&TForm1::FileSave1, "FileSave1", "ファイル", "上書き保存(&S)", nullptr, "Ctrl+S", "保存|現在のファイルを保存",
     "save", true, &TForm1::FileSave1Execute},
    {&TForm1::FileSaveAs1, "FileSaveAs1", "ファイル", "名前をつけて保存(&A)...", nullptr, "",
     "別名保存|現在のファイルに別の名前をつけて保存", nullptr, false, &TForm1::FileSaveAs1Execute},
    {&TForm1::ClipboardOpen1, "ClipboardOpen1", "ファイル", "クリップボードから新規", nullptr, "",
     "クリップボードから新規|クリップボードから新規に作成します", "from-clipboard", false,
     &TForm1::ClipboardOpen1Execute},
    {&TForm1::ClipboardSave1, "ClipboardSave1", "ファイル", "クリップボードに保存", nullptr, "",
     "右画面をクリップボードに保存|クリップボードに保存します", "to-clipboard", false,
     &TForm1::ClipboardSave1Execute},
    {&TForm1::FileExit1, "FileExit1", "ファイル", "終了(&X)", nullptr, "", "終了|アプリケーション終了", nullptr, false,
     &TForm1::FileExit1Execute},
    {&TForm1::EditCut1, "EditCut1", "編集", "切り取り(&T)", nullptr, "Ctrl+X",
     "切り取り|選択部分を切り取りクリップボードに送る", "cut", true, &TForm1::EditCut1Execute},
    {&TForm1::EditCopy1, "EditCopy1", "編集", "コピー(&C)", nullptr, "Ctrl+C",
     "コピー|選択部分をコピーしクリップボードに送る", "copy", true, &TForm1::EditCopy1Execute},
    {&TForm1::EditPaste1, "EditPaste1", "編集", "貼り付け(&P)", nullptr, "Ctrl+V",
     "貼り付け|クリップボードの内容を貼り付け", "paste", true, &TForm1::EditPaste1Execute},
    {&TForm1::EditDel1, "EditDel1", "編集", "削除", nullptr, "", "削除|選択部分を削除します", "delete", false,
     &TForm1::EditDel1Execute},
    {&TForm1::EditUndo1, "EditUndo1", "編集", "アンドゥ", nullptr, "Ctrl+Z", "アンドゥ|やり直し", "undo", false,
     &TForm1::EditUndo1Execute},
    {&TForm1::EditRedo1, "EditRedo1", "編集", "リドゥ", nullptr, "Ctrl+Y", "やり直しのやり直し", "redo", false,
     &TForm1::EditRedo1Execute},
    {&TForm1::EditSelectAll1, "EditSelectAll1", "編集", "すべて選択", nullptr, "Ctrl+A", "", nullptr, false,
     &TForm1::EditSelectAll1Execute},
    {&TForm1::HelpAbout1, "HelpAbout1", "ヘルプ", "バージョン情報(&A)...", nullptr, "",
     "バージョン情報|バージョンなど固有の情報を表示", nullptr, false, &TForm1::HelpAbout1Execute},
    {&TForm1::ConvertSetting, "ConvertSetting", "変換", "設定値で変換", nullptr, "", "設定値で変換|設定値で変換します",
     "convert-setting", true, &TForm1::ConvertSettingExecute},
    {&TForm1::ConvertFurigana1, "ConvertFurigana1", "変換", "ふりがなに変換", nullptr, "",
     "ふりがなに変換|ふりがなに変換します", "reading", true, &TForm1::ConvertFurigana1Execute},
    {&TForm1::ConvertFurigana2, "ConvertFurigana2", "変換", "ふりがなに変換(行全体)", nullptr, "",
     "ふりがなに変換(行全体)|ふりがなに変換します(行全体)", "reading-row", true, &TForm1::ConvertFurigana2Execute},
    {&TForm1::ConvertHiragana1, "ConvertHiragana1", "変換", "ひらがなに変換", nullptr, "",
     "ひらがなに変換|ひらがなに変換します", "hiragana", true, &TForm1::ConvertHiragana1Execute},
    {&TForm1::ConvertKatakana1, "ConvertKatakana1", "変換", "カタカナに変換", nullptr, "",
     "カタカナに変換|カタカナに変換します", "katakana", true, &TForm1::ConvertKatakana1Execute},
    {&TForm1::ConvertHankaku1, "ConvertHankaku1", "変換", "半角に変換", nullptr, "", "半角に変換|半角に変換します",
     "half-width", true, &TForm1::ConvertHankaku1Execute},
    {&TForm1::ConvertZenkaku1, "ConvertZenkaku1", "変換", "全角に変換", nullptr, "", "全角に変換|全角に変換します",
     "full-width", true, &TForm1::ConvertZenkaku1Execute},
    {&TForm1::ConvertUppercase1, "ConvertUppercase1", "変換", "英大文字に変換", nullptr, "",
     "英大文字に変換|英大文字に変換します", "uppercase", true, &TForm1::ConvertUppercase1Execute},
    {&TForm1::ConvertLowercase1, "ConvertLowercase1", "変換", "英小文字に変換", nullptr, "",
     "英小文字に変換|英小文字に変換します", "lowercase", true, &TForm1::ConvertLowercase1Execute},
    {&TForm1::ConvertRoma1, "ConvertRoma1", "変換", "ローマ字に変換", "ローマ字に変換(ヘボン式)", "",
     "ローマ字に変換します(ヘボン式)", "hepburn", true, &TForm1::ConvertRoma1Execute},
    {&TForm1::ConvertRoma2, "ConvertRoma2", "変換", "", "ローマ字に変換(訓令式)", "", "ローマ字に変換します(訓令式)",
     "kunrei", true, &TForm1::ConvertRoma2Execute},
    {&TForm1::ConvertRoma3, "ConvertRoma3", "変換", "", "ローマ字に変換(日本式)", "", "ローマ字に変換します(日本式)",
     "nihon-shiki", true, &TForm1::ConvertRoma3Execute},
};

const TPlaceDef kFileMenu[] = {
    {"FileNewItem", &TForm1::FileNew1},
    {"FileOpenItem", &TForm1::FileOpen1},
    {"FileSaveItem", &TForm1::FileSave1},
    {"FileSaveAsItem", &TForm1::FileSaveAs1},
    {"N10", &TForm1::ClipboardOpen1},
    {"N11", &TForm1::ClipboardSave1},
    {"N1", kSeparator},
    {"FileExitItem", &TForm1::FileExit1},
};

const TPlaceDef kEditMenu[] = {
    {"CutItem", &TForm1::EditCut1},
    {"CopyItem", &TForm1::EditCopy1},
    {"PasteItem", &TForm1::EditPaste1},
    {"Delete1", &TForm1::EditDel1},
    {"Repeat1", &TForm1::EditUndo1},
    {"N12", &TForm1::EditRedo1},
    {"EditSelectAll11", &TForm1::EditSelectAll1},
};

const TPlaceDef kConvertMenu[] = {
    {"N23", &TForm1::ConvertSetting},
    {"N26", kSeparator},
    {"N2", &TForm1::ConvertFurigana1},
    {"N3", &TForm1::ConvertFurigana2},
    {"N4", &TForm1::ConvertHiragana1},
    {"N5", &TForm1::ConvertKatakana1},
    {"N6", &TForm1::ConvertHankaku1},
    {"N7", &TForm1::ConvertZenkaku1},
    {"N8", &TForm1::ConvertUppercase1},
    {"N9", &TForm1::ConvertLowercase1},
    {"N27", &TForm1::ConvertRoma1},
    {"ConvertRoma22", &TForm1::ConvertRoma2},
    {"ConvertRoma31", &TForm1::ConvertRoma3},
};

const TPlaceDef kHelpMenu[] = {
    {"HelpAboutItem", &TForm1::HelpAbout1},
};

const TPlaceDef kPopupMenu[] = {
    {"Copy1", &TForm1::EditCopy1},
    {"Cut1", &TForm1::EditCut1},
    {"Paste1", &TForm1::EditPaste1},
    {"N21", &TForm1::EditUndo1},
    {"N22", &TForm1::EditRedo1},
    {"Delete2", &TForm1::EditDel1},
    {"SelectAll1", &TForm1::EditSelectAll1},
    {"N25", &TForm1::ConvertSetting},
    {"N13", &TForm1::ConvertFurigana1},
    {"N14", &TForm1::ConvertFurigana2},
    {"N15", &TForm1::ConvertHiragana1},
    {"N16", &TForm1::ConvertKatakana1},
    {"N17", &TForm1::ConvertHankaku1},
    {"N18", &TForm1::ConvertZenkaku1},
    {"N19", &TForm1::ConvertUppercase1},
    {"N20", &TForm1::ConvertLowercase1},
    {"ConvertRoma11", &TForm1::ConvertRoma1},
    {"ConvertRoma21", &TForm1::ConvertRoma2},
    {"ConvertRoma32", &TForm1::ConvertRoma3},
};

const TPlaceDef kToolBar[] = {
    {"ToolButton9", &TForm1::FileNew1},
    {"ToolButton1", &TForm1::FileOpen1},
    {"ToolButton2", &TForm1::FileSave1},
    {"ToolButton7", &TForm1::ClipboardOpen1},
    {"ToolButton8", &TForm1::ClipboardSave1},
    {"ToolButton3", kSeparator},
    {"ToolButton4", &TForm1::EditCut1},
    {"ToolButton5", &TForm1::EditCopy1},
    {"ToolButton6", &TForm1::EditPaste1},
    {"ToolButton10", &TForm1::EditUndo1},
    {"ToolButton12", &TForm1::EditRedo1},
    {"ToolButton13", &TForm1::EditDel1},
    {"ToolButton11", kSeparator},
    {"ToolButton14", &TForm1::ConvertSetting},
    {"ToolButton23", kSeparator},
    {"ToolButton15", &TForm1::ConvertFurigana1},
    {"ToolButton16", &TForm1::ConvertFurigana2},
    {"ToolButton17", &TForm1::ConvertHiragana1},
    {"ToolButton18", &TForm1::ConvertKatakana1},
    {"ToolButton19", &TForm1::ConvertHankaku1},
    {"ToolButton20", &TForm1::ConvertZenkaku1},
    {"ToolButton22", &TForm1::ConvertUppercase1},
    {"ToolButton21", &TForm1::ConvertLowercase1},
    {"ToolButton24", &TForm1::ConvertRoma1},
    {"ToolButton26", &TForm1::ConvertRoma2},
    {"ToolButton27", &TForm1::ConvertRoma3},
    {"ToolButton25", kSeparator},
};

}  // namespace

std::span<const TCommandDef> CommandDefs() { return kCommands; }

const TCommandDef* FindCommandDef(TCommandAction action) {
  auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                         [action](const TCommandDef& def) { return def.Action == action; });
  return it == std::end(kCommands) ? nullptr : &*it;
}

const TCommandPlaces& CommandPlaces() {
  static const TCommandPlaces places{kFileMenu, kEditMenu, kConvertMenu, kHelpMenu, kPopupMenu, kToolBar};
  return places;
}
