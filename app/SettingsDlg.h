// The conversion settings dialog: which conversions "設定値で変換" runs and
// the Hepburn options. Its controls are the live settings; the settings file
// beside the program keeps them between runs.
#pragma once

#include <QDialog>

#include "platform/text/AnsiString.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QListWidget;
class QPushButton;

// The conversions of the check list, in its order: the settings sequence
// reads the ticks by these names.
enum TConversion : int {
  cvFurigana1,  // readings of kanji runs
  cvFurigana2,  // readings of whole rows
  cvHiragana,
  cvKatakana,
  cvHankaku,  // half width
  cvZenkaku,  // full width
  cvUppercase,
  cvLowercase,
  cvRoma1,  // Hepburn
  cvRoma2,  // Kunrei
  cvRoma3,  // Nihon-shiki
  cvConversionCount
};

class TOKBottomDlg : public QDialog {
  Q_OBJECT
 public:
  // iniPath: the settings file; empty means the program's path with ".ini".
  explicit TOKBottomDlg(QWidget* parent = nullptr, const AnsiString& iniPath = AnsiString());

  QFrame* Panel1;
  QListWidget* CheckListBox1;
  QGroupBox* GroupBox1;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox6;
  QCheckBox* CheckBox7;
  QCheckBox* CheckBox8;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

  // Item states of CheckListBox1 by index (a TConversion).
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);

  const AnsiString& IniFileName() const { return FIniFileName; }

  void FormCreate(QObject* Sender);      // loads the file into the controls
  void OKBtnClick(QObject* Sender);      // writes the controls to the file
  void CancelBtnClick(QObject* Sender);  // loads the file again

  static constexpr int kItemCount = cvConversionCount;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void LoadSettings();
  QCheckBox* OptionBox(int n) const;  // CheckBox1 .. CheckBox8
  AnsiString FIniFileName;
};

// The one settings dialog, from start-up to exit.
extern TOKBottomDlg* OKBottomDlg;
