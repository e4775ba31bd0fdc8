// The window's controls as plain state: records what the logic does to
// them; the save dialog answers from a script of replies (no reply left:
// cancel).
#pragma once

#include <deque>
#include <vector>

#include "app/main_form.h"

namespace fakes {

class FakeView : public app::MainFormView {
 public:
  using Text = syscode::Text;
  struct Reply {
    bool confirm;
    Text path;
  };

  Text field;
  int field_max_length = -1;
  bool save_enabled = true;  // the logic must disable it itself
  std::deque<Reply> dialog_replies;
  std::vector<Text> dialog_offers;  // the file name offered at each opening
  std::vector<Text> message_captions;
  std::vector<Text> messages;
  int close_calls = 0;

  void ShowCodeField(const Text& shown, int max_length) override {
    field = shown;
    field_max_length = max_length;
  }
  void SetSaveButtonEnabled(bool enabled) override { save_enabled = enabled; }
  bool ExecuteSaveDialog(const Text& file_name, Text* chosen_path) override {
    dialog_offers.push_back(file_name);
    if (dialog_replies.empty()) return false;
    const Reply reply = dialog_replies.front();
    dialog_replies.pop_front();
    if (reply.confirm) *chosen_path = reply.path;
    return reply.confirm;
  }
  void ShowErrorMessage(const Text& caption, const Text& message) override {
    message_captions.push_back(caption);
    messages.push_back(message);
  }
  void CloseWindow() override { ++close_calls; }
};

}  // namespace fakes
