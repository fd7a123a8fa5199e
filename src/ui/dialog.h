#pragma once
// The dialog base: a window built from a template, whose controls are kept here by id. Dialog
// classes derive from it, bind handlers to (event, control id) in their constructor, exchange
// data with their members in DoDataExchange, and never touch a toolkit. A front end (or a test)
// feeds user input in through Click, EditText, SelectItem, KeyDown, and watches for changes.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control_state.h"
#include "ui/dialog_template.h"

namespace ui {

class UiServices;
class DataExchange;
class CDialog;

// Key codes that dialogs react to.
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyEnter = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyF11 = 0x7A;
inline constexpr int kKeyF12 = 0x7B;

// A note written for a log line ("the file ... cannot be read") as a line of a window: its first
// letter capitalised.
std::string AsSentence(std::string_view note);

// The message the operation worker posts to its dialog when it has finished.
inline constexpr unsigned kOperationDoneMessage = 1145;

// Told of every change a dialog makes, so the front end can redraw. Called on the thread that
// owns the dialog (the user-interface thread).
class DialogObserver {
public:
  virtual ~DialogObserver() = default;
  virtual void ControlChanged(int id) = 0;
  // The dialog moved the keyboard focus to a control.
  virtual void FocusChanged(int id) = 0;
  // Caption, visibility or the window rectangle changed.
  virtual void WindowChanged() = 0;
  virtual void ChildAdded(CDialog& child) = 0;
  virtual void ChildRemoved(CDialog& child) = 0;
  virtual void Ended(int result) = 0;
};

class CDialog {
public:
  CDialog(int templateId, UiServices& ui);
  // A dialog on a template of its own, which must outlive it.
  CDialog(const DialogTemplate& dialogTemplate, UiServices& ui);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  int TemplateId() const { return templateId_; }
  const DialogTemplate& Template() const { return *template_; }
  UiServices& Services() const { return ui_; }

  // Builds the controls from the template and runs OnInitDialog; false when it failed.
  bool Create();
  bool IsCreated() const { return created_; }
  // Destroys the window: the controls go, OnDestroy runs, the front end lets go of it.
  void DestroyWindow();
  // Runs the dialog modally through the user interface and returns how it ended.
  int DoModal();
  // Creates the dialog and shows it without waiting.
  bool CreateModeless();
  void EndDialog(int result);
  bool IsEnded() const { return ended_; }
  int Result() const { return result_; }

  // The window.
  const std::string& Caption() const { return caption_; }
  void SetWindowText(std::string caption);
  bool IsWindowVisible() const { return visible_; }
  void ShowWindow(bool show);
  const std::optional<PixelRect>& WindowRect() const { return windowRect_; }
  void MoveWindow(PixelRect rect);
  // Where a child page sits in its host, in dialog units of the host, and the host control it
  // follows in the keyboard's order (0: after all of them).
  DialogRect Placement() const { return placement_; }
  int PlacedAfter() const { return placedAfter_; }
  void SetPlacement(DialogRect rect, int placedAfter = 0);

  // Controls by id. Reading an id the template does not have throws std::out_of_range: that is a
  // programming error, not a user's.
  const ControlState& Item(int id) const;
  bool HasItem(int id) const;
  std::vector<int> ItemIds() const;  // in tab order
  // The radio buttons of the group that id belongs to, in tab order.
  std::vector<int> RadioGroup(int id) const;
  // Changes a control and tells the observer.
  void ChangeItem(int id, const std::function<void(ControlState&)>& change);
  void SetDlgItemText(int id, std::string text);
  const std::string& GetDlgItemText(int id) const { return Item(id).text; }
  void ShowItem(int id, bool show);
  void EnableItem(int id, bool enable);
  void CheckDlgButton(int id, int checked);
  int IsDlgButtonChecked(int id) const { return Item(id).checked; }
  void SetItemFont(int id, const FontSpec& font);

  // Focus and the tab order (template order, over visible and enabled controls that take input).
  int Focus() const { return focus_; }
  void SetFocus(int id);
  void NextDlgCtrl();

  // Data exchange between the controls and the members: false when a value was refused.
  bool UpdateData(bool saveAndValidate = true);

  // User input, as the front end or a test delivers it.
  void Click(int id);
  void EditText(int id, std::string text);
  void SelectItem(int id, int index);
  void SelectTreeItem(int id, int handle);
  void SetDateTime(int id, DateTime value);
  // Returns whether the dialog used the key.
  bool KeyDown(int key);
  // The window's close box: the same as CANCEL.
  void CloseBox();
  // Handles a message now; Post is the thread-safe way to deliver one later.
  void SendMessage(unsigned message);
  void PostMessage(unsigned message);

  void SetObserver(DialogObserver* observer) { observer_ = observer; }
  DialogObserver* Observer() const { return observer_; }
  // The child windows made so far (a stacked dialog's pages), for an observer that comes late.
  virtual std::vector<CDialog*> ChildWindows() const { return {}; }

protected:
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& dx);
  virtual void OnOK();
  virtual void OnCancel();
  virtual void OnDestroy() {}

  // The message table: (event, control id) to member function.
  template <typename D>
  void OnCommand(int id, void (D::*handler)()) {
    Bind(Event::Command, id, [this, handler](int) { (static_cast<D*>(this)->*handler)(); });
  }
  template <typename D>
  void OnChange(int id, void (D::*handler)()) {
    Bind(Event::Change, id, [this, handler](int) { (static_cast<D*>(this)->*handler)(); });
  }
  // A change handler that needs more than the dialog, such as which of several fields changed.
  void OnChange(int id, std::function<void()> handler) {
    Bind(Event::Change, id, [handler = std::move(handler)](int) { handler(); });
  }
  template <typename D>
  void OnSelChange(int id, void (D::*handler)()) {
    Bind(Event::SelChange, id, [this, handler](int) { (static_cast<D*>(this)->*handler)(); });
  }
  // Key-down seen anywhere in the dialog; the handler returns true when it used the key.
  template <typename D>
  void OnKeyDown(bool (D::*handler)(int key)) {
    Bind(Event::KeyDown, 0,
         [this, handler](int key) { keyUsed_ = (static_cast<D*>(this)->*handler)(key); });
  }
  template <typename D>
  void OnMessage(unsigned message, void (D::*handler)()) {
    Bind(Event::Message, static_cast<int>(message),
         [this, handler](int) { (static_cast<D*>(this)->*handler)(); });
  }

  // Tells the observer that a child window was added or removed (stacked pages).
  void NotifyChildAdded(CDialog& child);
  void NotifyChildRemoved(CDialog& child);

private:
  enum class Event { Command, Change, SelChange, KeyDown, Message };
  struct Handler {
    Event event;
    int id;
    std::function<void(int)> call;
  };

  void Bind(Event event, int id, std::function<void(int)> call);
  bool Dispatch(Event event, int id, int argument = 0);
  void Command(int id);
  ControlState& MutableItem(int id);
  void Changed(int id);
  void WindowChanged();
  bool TakesFocus(const ControlState& control) const;
  int DefaultButton() const;

  int templateId_;
  const DialogTemplate* template_;
  UiServices& ui_;
  std::vector<Handler> handlers_;
  std::vector<ControlState> controls_;
  std::map<int, std::size_t> index_;
  std::string caption_;
  bool created_ = false;
  bool visible_ = false;
  bool ended_ = false;
  int result_ = 0;
  int focus_ = 0;
  bool keyUsed_ = false;
  std::optional<PixelRect> windowRect_;
  int placedAfter_ = 0;
  DialogRect placement_;
  DialogObserver* observer_ = nullptr;
  // Lets a message posted from another thread find out that the dialog is gone. Neither is
  // changed after construction, so other threads may copy the weak one.
  std::shared_ptr<CDialog*> self_;
  std::weak_ptr<CDialog*> weakSelf_;
};

}  // namespace ui
