#pragma once
// Draws any dialog of the ui layer with Qt widgets at its template's positions, keeps widgets and
// model in step both ways, and routes user input to the dialog's message table. One view per
// dialog; a stacked dialog's pages get child views at their placeholder.

#include <QDialog>
#include <QIcon>
#include <QTableWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "gui/dialog_units.h"
#include "ui/dialog.h"

namespace gui {

class DialogView : public QWidget, public ui::DialogObserver {
public:
  DialogView(ui::CDialog& dialog, QWidget* parent);
  ~DialogView() override;

  ui::CDialog& Dialog() const { return dialog_; }
  // Stops watching the dialog (and its pages), so that either may go first.
  void Detach();
  BaseUnits Units() const { return units_; }
  // The widget of a control, or nullptr.
  QWidget* Widget(int id) const;
  DialogView* ChildView(const ui::CDialog* child) const;
  // Called when the dialog's window properties or its end change (for the top-level window).
  void SetWindowCallbacks(std::function<void()> windowChanged, std::function<void(int)> ended);
  QSize TemplateSize() const;

  void ControlChanged(int id) override;
  void FocusChanged(int id) override;
  void WindowChanged() override;
  void ChildAdded(ui::CDialog& child) override;
  void ChildRemoved(ui::CDialog& child) override;
  void Ended(int result) override;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  QWidget* MakeWidget(const ui::ControlState& control);
  void Apply(const ui::ControlState& control);
  void ApplyTree(QWidget* widget, const ui::ControlState& control);
  static void ApplyTable(QTableWidget* table, const ui::ControlState& control);
  static QIcon TreeBitmap(int resource);
  void PlaceInTabOrder(DialogView& page, int placedAfter);
  // Tells the dialog which of its controls holds the keyboard; the id, 0 when a page holds it.
  int SyncFocusToModel();

  ui::CDialog& dialog_;
  QFont font_;
  BaseUnits units_;
  std::map<int, QWidget*> widgets_;
  std::map<const ui::CDialog*, DialogView*> children_;
  bool applying_ = false;
  bool detached_ = false;
  std::function<void()> windowChanged_;
  std::function<void(int)> ended_;
};

// A top-level window for a dialog: run modally with exec(), or shown modeless.
class DialogWindow : public QDialog {
public:
  explicit DialogWindow(ui::CDialog& dialog, QWidget* parent = nullptr);
  DialogView& View() { return *view_; }
  // Called once when the dialog has ended, after the window was closed.
  void OnEnded(std::function<void(int)> ended) { onEnded_ = std::move(ended); }

protected:
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void ApplyWindow();

  DialogView* view_;
  std::function<void(int)> onEnded_;
};

}  // namespace gui
