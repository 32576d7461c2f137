// The application tests' stand-in for the user at a message box.
#pragma once

#include <string>
#include <vector>

#include "app/AppSupport.h"

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
