// The about box: the program's name, version and credit.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Label1;
  QLabel* Version;
  QLabel* Label2;
  QLabel* Copyright;
  QLabel* Label3;
  QPushButton* OKButton;

 protected:
  void showEvent(QShowEvent* event) override;
};

// The one about box, from start-up to exit.
extern TAboutBox* AboutBox;
