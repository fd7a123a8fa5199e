#include "ui/scripted_ui_services.h"

#include <filesystem>

#include "ui/dialog.h"

namespace ui {

void ScriptedUiServices::QueueAnswer(int answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

void ScriptedUiServices::QueueFile(std::optional<std::string> path) {
  std::lock_guard lock(mutex_);
  files_.push_back(std::move(path));
}

void ScriptedUiServices::QueueTemperature(std::optional<double> celsius) {
  std::lock_guard lock(mutex_);
  temperatures_.push_back(celsius);
}

void ScriptedUiServices::QueueDialogAction(std::function<void(CDialog&)> action) {
  std::lock_guard lock(mutex_);
  dialogActions_.push_back(std::move(action));
}

void ScriptedUiServices::SetPictureSize(const std::string& path, PictureSize size) {
  std::lock_guard lock(mutex_);
  pictures_[path] = size;
}

void ScriptedUiServices::SetScreen(ScreenMetrics screen) {
  std::lock_guard lock(mutex_);
  screen_ = screen;
}

void ScriptedUiServices::SetStartProcessFailure(std::string systemText) {
  std::lock_guard lock(mutex_);
  startFailure_ = std::move(systemText);
}

void ScriptedUiServices::SetShellOpenResult(int result) {
  std::lock_guard lock(mutex_);
  shellOpenResult_ = result;
}

const char* KindName(UiCallKind kind) {
  static constexpr const char* kNames[] = {
      "message-box",     "message-dialog", "open-file",   "save-file",     "wait-cursor",
      "normal-cursor",   "wait",           "wait-closed", "progress",      "progress-position",
      "progress-closed", "picture",        "shell-open",  "start-process", "temperature",
      "dialog",          "modeless",       "chart"};
  return kNames[static_cast<std::size_t>(kind)];
}

std::vector<UiCall> ScriptedUiServices::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<UiCall> ScriptedUiServices::Calls(UiCallKind kind) const {
  std::vector<UiCall> matching;
  for (const UiCall& call : Calls()) {
    if (call.kind == kind) matching.push_back(call);
  }
  return matching;
}

int ScriptedUiServices::RunPosted() {
  int ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (posted_.empty()) return ran;
      task = std::move(posted_.front());
      posted_.pop_front();
    }
    task();
    ++ran;
  }
}

void ScriptedUiServices::SetDeclineByDefault(bool decline) {
  std::lock_guard lock(mutex_);
  decline_ = decline;
}

void ScriptedUiServices::SetObserver(std::function<void(const UiCall&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

int ScriptedUiServices::Record(UiCallKind kind, std::string text, unsigned style, int answer,
                               std::string caption) {
  UiCall call{kind, std::move(text), style, answer, std::move(caption)};
  std::function<void(const UiCall&)> observer;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
    observer = observer_;
  }
  if (observer) observer(call);
  return answer;
}

bool ScriptedUiServices::Declining() const {
  std::lock_guard lock(mutex_);
  return decline_;
}

std::optional<int> ScriptedUiServices::NextAnswer() {
  std::lock_guard lock(mutex_);
  if (answers_.empty()) return std::nullopt;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

int ScriptedUiServices::MessageBox(const std::string& text, const std::string& caption,
                                   unsigned style) {
  const unsigned buttons = style & kButtonMask;
  int fallback = buttons == kYesNo ? kAnswerYes : kAnswerOk;
  if (Declining())
    fallback = buttons == kYesNo ? kAnswerNo : buttons == kOkCancel ? kAnswerCancel : kAnswerOk;
  return Record(UiCallKind::MessageBox, text, style, NextAnswer().value_or(fallback), caption);
}

int ScriptedUiServices::ShowMessageDialog(const std::string& text, int mode) {
  // Mode 2 has only its "NG" button, which is a Cancel.
  const int fallback = mode == 2 || (Declining() && mode != 0) ? IDCANCEL : IDOK;
  return Record(UiCallKind::MessageDialog, text, static_cast<unsigned>(mode),
                NextAnswer().value_or(fallback));
}

std::optional<std::string> ScriptedUiServices::NextFile(UiCallKind kind,
                                                        const FileDialogRequest& request) {
  std::optional<std::string> path;
  {
    std::lock_guard lock(mutex_);
    if (!files_.empty()) {
      path = files_.front();
      files_.pop_front();
    }
  }
  Record(kind, request.initialName + " | " + request.filter, 0, path ? IDOK : IDCANCEL,
         request.folder);
  return path;
}

std::optional<std::string> ScriptedUiServices::OpenFileDialog(const FileDialogRequest& request) {
  return NextFile(UiCallKind::OpenFile, request);
}

std::optional<std::string> ScriptedUiServices::SaveFileDialog(const FileDialogRequest& request) {
  return NextFile(UiCallKind::SaveFile, request);
}

void ScriptedUiServices::SetWaitCursor(bool waiting) {
  Record(waiting ? UiCallKind::WaitCursor : UiCallKind::NormalCursor, "", 0, 0);
}

void ScriptedUiServices::ShowWaitDialog(const std::string& text) {
  Record(UiCallKind::Wait, text, 0, 0);
}

void ScriptedUiServices::CloseWaitDialog() { Record(UiCallKind::WaitClosed, "", 0, 0); }

void ScriptedUiServices::ShowProgressDialog(const std::string& text, std::uint32_t barColour,
                                            int minimum, int maximum) {
  Record(UiCallKind::Progress, text, barColour, maximum - minimum);
}

void ScriptedUiServices::SetProgress(int position) {
  Record(UiCallKind::ProgressPosition, "", 0, position);
}

void ScriptedUiServices::CloseProgressDialog() { Record(UiCallKind::ProgressClosed, "", 0, 0); }

void ScriptedUiServices::ShowPicture(const std::string& path, const std::string& caption,
                                     PictureFit fit) {
  Record(UiCallKind::Picture, caption + " | " + path, static_cast<unsigned>(fit), 0);
}

bool ScriptedUiServices::SaveChart(const Chart& chart, const std::string& path,
                                   std::string* error) {
  Record(UiCallKind::Chart, chart.title + " | " + path, 0, 0);
  if (!std::filesystem::is_directory(std::filesystem::path(path).parent_path())) {
    if (error != nullptr) *error = "No such folder: " + path;
    return false;
  }
  std::lock_guard lock(mutex_);
  charts_.emplace_back(path, chart);
  return true;
}

std::vector<std::pair<std::string, Chart>> ScriptedUiServices::Charts() const {
  std::lock_guard lock(mutex_);
  return charts_;
}

std::optional<PictureSize> ScriptedUiServices::LoadPictureSize(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = pictures_.find(path);
  if (found == pictures_.end()) return std::nullopt;
  return found->second;
}

ScreenMetrics ScriptedUiServices::Screen() {
  std::lock_guard lock(mutex_);
  return screen_;
}

int ScriptedUiServices::ShellOpen(const std::string& path) {
  int result = 0;
  {
    std::lock_guard lock(mutex_);
    result = shellOpenResult_;
  }
  return Record(UiCallKind::ShellOpen, path, 0, result);
}

bool ScriptedUiServices::StartProcess(const std::string& program,
                                      const std::vector<std::string>& args, std::string* error) {
  std::string line = program;
  for (const std::string& arg : args) line += " " + arg;
  std::string failure;
  {
    std::lock_guard lock(mutex_);
    failure = startFailure_;
  }
  if (!failure.empty() && error != nullptr) *error = failure;
  return Record(UiCallKind::StartProcess, line, 0, failure.empty() ? 1 : 0) != 0;
}

bool ScriptedUiServices::AskTemperature(double& celsius) {
  std::optional<double> answer;
  {
    std::lock_guard lock(mutex_);
    if (!temperatures_.empty()) {
      answer = temperatures_.front();
      temperatures_.pop_front();
    }
  }
  if (answer) celsius = *answer;
  return Record(UiCallKind::Temperature, answer ? std::to_string(*answer) : "", 0,
                answer ? IDOK : IDCANCEL) == IDOK;
}

int ScriptedUiServices::RunModal(CDialog& dialog) {
  std::function<void(CDialog&)> action;
  {
    std::lock_guard lock(mutex_);
    if (!dialogActions_.empty()) {
      action = std::move(dialogActions_.front());
      dialogActions_.pop_front();
    }
  }
  if (dialog.Create()) {
    dialog.ShowWindow(true);
    if (action) action(dialog);
    if (!dialog.IsEnded()) dialog.EndDialog(IDCANCEL);
  } else {
    dialog.EndDialog(IDCANCEL);
  }
  dialog.DestroyWindow();
  return Record(UiCallKind::Dialog, "", static_cast<unsigned>(dialog.TemplateId()), dialog.Result(),
                dialog.Caption());
}

bool ScriptedUiServices::ShowModeless(CDialog& dialog) {
  const bool created = dialog.Create();
  if (created) dialog.ShowWindow(true);
  Record(UiCallKind::Modeless, dialog.Caption(), static_cast<unsigned>(dialog.TemplateId()),
         created);
  return created;
}

void ScriptedUiServices::PostToUi(std::function<void()> task) {
  std::lock_guard lock(mutex_);
  posted_.push_back(std::move(task));
}

}  // namespace ui
