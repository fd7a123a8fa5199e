#include "ui/scripted_ui_services.h"

namespace ui {

void ScriptedUiServices::QueueAnswer(int answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

int ScriptedUiServices::MessageBox(const std::string& text, const std::string& caption,
                                   unsigned style) {
  std::lock_guard lock(mutex_);
  shown_.push_back({text, caption, style});
  if (!answers_.empty()) {
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return (style & kButtonMask) == kYesNo ? kAnswerYes : kAnswerOk;
}

std::vector<ShownMessage> ScriptedUiServices::Shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

}  // namespace ui
