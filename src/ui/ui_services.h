#pragma once
// What the program asks of its user interface from any thread: message boxes for now. The Qt
// host implements it for people, ScriptedUiServices for tests and the command line.

#include <string>

namespace ui {

// Caption of the program's own message boxes.
inline constexpr const char* kApplicationTitle = "GRELT02";

// Message box styles and answers, with the values the menu files and callers use.
enum MessageBoxStyle : unsigned {
  kOk = 0x0,
  kOkCancel = 0x1,
  kYesNo = 0x4,
  kIconError = 0x10,
  kIconInformation = 0x40,
  kButtonMask = 0xF,
  kIconMask = 0xF0,
};

enum MessageBoxAnswer : int {
  kAnswerOk = 1,
  kAnswerCancel = 2,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

class UiServices {
public:
  virtual ~UiServices() = default;
  // Shows a modal message box and returns the button pressed. Blocks the calling thread.
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
};

}  // namespace ui
