#pragma once
// A UiServices without a screen: records what the program showed and answers from a queue.

#include <deque>
#include <mutex>
#include <vector>

#include "ui/ui_services.h"

namespace ui {

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

class ScriptedUiServices final : public UiServices {
public:
  // Answers the next message boxes in this order; when none is queued the box's first button
  // (OK or Yes) is taken.
  void QueueAnswer(int answer);

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;

  std::vector<ShownMessage> Shown() const;

private:
  mutable std::mutex mutex_;
  std::deque<int> answers_;
  std::vector<ShownMessage> shown_;
};

}  // namespace ui
