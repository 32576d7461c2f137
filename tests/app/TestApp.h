// Shared helpers of the application tests: temporary folders, file
// contents, and a recorder for message boxes.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppSupport.h"
#include "tests/common/TestApp.h"

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteAll(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

// Answers every message box in place of the user and keeps what each showed.
class BoxRecorder {
 public:
  struct Box {
    std::string Title;
    std::string Text;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
  };

  BoxRecorder() {
    MessageBoxHook = [this](const TMessageBoxRequest& r) {
      Boxes.push_back({r.Title.toStdString(), r.Text.toStdString(), r.Type, r.Buttons});
      if (!Answers.empty()) {
        int a = Answers.front();
        Answers.erase(Answers.begin());
        return a;
      }
      return DefaultAnswer;
    };
  }
  ~BoxRecorder() { MessageBoxHook = nullptr; }

  std::vector<Box> Boxes;
  std::vector<int> Answers;  // given in order; then DefaultAnswer
  int DefaultAnswer = mrOk;
};

// A temporary folder whose paths are file-system bytes.
class TempDir {
 public:
  std::string Path(const std::string& name) const { return FDir.path().toStdString() + "/" + name; }
  std::string Root() const { return FDir.path().toStdString(); }

 private:
  QTemporaryDir FDir;
};
