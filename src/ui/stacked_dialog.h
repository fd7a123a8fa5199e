#pragma once
// Stacked dialogs: a host dialog with a placeholder control at whose top-left corner child
// dialogs, the pages, are created, shown one at a time and destroyed.

#include <array>
#include <initializer_list>
#include <list>
#include <memory>
#include <utility>

#include "ui/dialog.h"

namespace operations {
struct OperationRequest;
}

namespace ui {

// The base of every page.
class TStackedPage : public CDialog {
public:
  using CDialog::CDialog;

  // Takes the page's input from its controls before an operation runs; false stops the run.
  virtual bool CollectInput();
  // Shows the request's values again, after a run or when the request is attached.
  virtual bool RefreshPage();
  virtual void AttachRequest(operations::OperationRequest& request);
  // Called by a page's own handlers when a watched check box or radio button changes.
  virtual void OnControlChanged() {}

protected:
  // Enter and Escape inside a page end neither the page nor its host.
  void OnOK() override {}
  void OnCancel() override {}

  operations::OperationRequest* Request() const { return request_; }
  // True only on the refresh that attaches the request: the moment for the page's one-time
  // work over it (captions from the item's texts, controls shown or hidden for the item).
  bool FirstRefresh() { return !std::exchange(refreshed_, true); }
  // Enables the controls exactly when the last run or selection found the printer.
  void EnableWhenConnected(std::initializer_list<int> ids);

private:
  operations::OperationRequest* request_ = nullptr;
  bool refreshed_ = false;
};

class TStackedDialog;

struct PageEntry {
  int created = 0;
  int visible = 0;
  int templateId = 0;
  std::unique_ptr<TStackedPage> page;
  TStackedDialog* owner = nullptr;
  std::array<int, 3> userValues{};
};

class TStackedDialog : public CDialog {
public:
  TStackedDialog(int placeholderId, int templateId, UiServices& ui);
  TStackedDialog(int placeholderId, const DialogTemplate& dialogTemplate, UiServices& ui);
  ~TStackedDialog() override;

  // Creates the page of a template, hidden, at the placeholder. Nothing when CreatePage knows
  // no page for the template.
  PageEntry* AddPage(int templateId, int user1 = 0, int user2 = 0, int user3 = 0);
  // Hides the visible page, then shows the first page of the template (0: none).
  void ShowPage(int templateId);
  void RemovePage(PageEntry* entry);
  void RemoveAllPages();

  const std::list<PageEntry>& Pages() const { return pages_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  std::vector<CDialog*> ChildWindows() const override;
  bool HasMaximizeBox() const { return maximizeBox_; }

protected:
  // The page object for a template, not yet created as a window, or nullptr.
  virtual std::unique_ptr<TStackedPage> CreatePage(int templateId) = 0;
  bool OnInitDialog() override;
  void OnDestroy() override { RemoveAllPages(); }

private:
  int placeholderId_;
  std::list<PageEntry> pages_;
  bool maximizeBox_ = false;
};

}  // namespace ui
