#include "app/main_form.h"

#include <utility>

#include "base/errors.h"
#include "base/text_file.h"

namespace app {

Text ApplicationTitleFromPath(const Text& program_path) {
  size_t start = program_path.find_last_of(u"\\/");
  start = start == Text::npos ? 0 : start + 1;
  Text name = program_path.substr(start);
  const size_t dot = name.find(u'.');
  if (dot != Text::npos) name.resize(dot);
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] >= u'A' && name[i] <= u'Z') name[i] = static_cast<char16_t>(name[i] + 32);
  }
  return name;
}

void MaskedField::SetEditMask(const Text& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  Format();
}

void MaskedField::SetValue(const Text& value) {
  value_ = value;
  Format();
}

int MaskedField::MaxLength() const {
  const size_t end = mask_.find(u';');
  return static_cast<int>(end == Text::npos ? mask_.size() : end);
}

void MaskedField::Format() {
  if (mask_.empty()) {
    shown_ = value_;
    return;
  }
  // Mask text: pattern ; save-literals flag ; blank character.
  const size_t first = mask_.find(u';');
  const Text pattern = mask_.substr(0, first);
  char16_t blank = u' ';
  if (first != Text::npos) {
    const size_t second = mask_.find(u';', first + 1);
    if (second != Text::npos && second + 1 < mask_.size()) blank = mask_[second + 1];
  }
  shown_.clear();
  size_t next = 0;
  for (char16_t p : pattern) {
    if (p == u'-') {
      shown_.push_back(u'-');
    } else if (next < value_.size()) {
      shown_.push_back(value_[next++]);
    } else {
      shown_.push_back(blank);
    }
  }
}

TMainForm::TMainForm(MainFormView& view, syscode::HardwareSources& sources, syscode::LogSink& log,
                     syscode::FileSystem& files, Text application_title)
    : view_(view), files_(files), assembly_(sources, log), title_(std::move(application_title)) {}

void TMainForm::FormCreate() {
  // ExistItem starts at 0 with the CodeAssembly.
  save_enabled_ = false;
  view_.SetSaveButtonEnabled(false);
  edit1_.SetEditMask(Text());
  ShowEdit1();
}

void TMainForm::Button1Click() {
  edit1_.SetEditMask(kCodeEditMask);
  ShowEdit1();
  Text code = assembly_.GetSystemCode();
  computer_id_ = std::move(code);
  edit1_.SetValue(computer_id_);
  ShowEdit1();
  save_enabled_ = true;
  view_.SetSaveButtonEnabled(true);
}

void TMainForm::BitBtn2Click() {
  Text chosen;
  if (!view_.ExecuteSaveDialog(save_file_name_, &chosen)) return;
  save_file_name_ = chosen;
  // The path must fit a file name of 259 characters; a longer one is
  // refused whole rather than cut.
  if (save_file_name_.size() > kMaxPathLength) {
    throw syscode::Exception(u"The file name is longer than 259 characters");
  }
  syscode::WriteSingleLineFile(files_, save_file_name_, computer_id_);
}

void TMainForm::BitBtn3Click() { view_.CloseWindow(); }

void TMainForm::HandleException(const std::exception_ptr& failure) {
  view_.ShowErrorMessage(title_, syscode::ErrorDisplayText(syscode::MessageOf(failure)));
}

void TMainForm::ShowEdit1() { view_.ShowCodeField(edit1_.Shown(), edit1_.MaxLength()); }

}  // namespace app
