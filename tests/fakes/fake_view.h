// The window's controls as plain state, with a scripted save dialog.
#pragma once

#include <functional>
#include <vector>

#include "app/main_form.h"

namespace fakes {

class FakeView : public app::MainFormView {
 public:
  syscode::Text shown;
  int max_length = -1;
  bool save_enabled = true;
  bool closed = false;
  struct Message {
    syscode::Text caption, text;
  };
  std::vector<Message> messages;
  std::vector<syscode::Text> dialog_offers;  // the file name offered at each opening
  // The dialog's answer: empty = cancelled.
  std::function<syscode::Text()> dialog_answer = [] { return syscode::Text(); };

  void ShowCodeField(const syscode::Text& text, int limit) override {
    shown = text;
    max_length = limit;
  }
  void SetSaveButtonEnabled(bool enabled) override { save_enabled = enabled; }
  bool ExecuteSaveDialog(const syscode::Text& file_name, syscode::Text* chosen) override {
    dialog_offers.push_back(file_name);
    *chosen = dialog_answer();
    return !chosen->empty();
  }
  void ShowErrorMessage(const syscode::Text& caption, const syscode::Text& text) override {
    messages.push_back({caption, text});
  }
  void CloseWindow() override { closed = true; }
};

}  // namespace fakes
