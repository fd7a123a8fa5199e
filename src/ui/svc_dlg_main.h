#pragma once
// The main service dialog: the menu tree of one main-menu function, the selected item's page with
// the values read from the printer, and the action buttons that run operations on a worker.

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "menu/menu_files.h"
#include "operations/dispatcher.h"
#include "ui/pages/page_table.h"
#include "ui/stacked_dialog.h"

namespace ui {

// What the dialog reaches the printers and the operations with.
struct ServiceContext {
  const operations::ServiceEnvironment& environment;
  const operations::OperationTable& operations;
  const PageTable& pages = ProgramPages();
};

// What the status line says of a button whose function has no operation.
inline constexpr const char* kNoOperationText =
    "No operation is available for this function on this printer series.";

// The main-menu function whose tree walks through the parts exchange step by step.
inline constexpr int kGuidedFunction = 90030;
// Where "Picture" draws the pages an item's last print sent, in the CSV folder.
inline constexpr const char* kPrintedFolder = "Printed";

class CSvcDlgMain : public TStackedDialog {
public:
  CSvcDlgMain(UiServices& ui, ServiceContext context, std::string title, int topFunction);
  ~CSvcDlgMain() override;

  bool GuidedMode() const { return guided_; }
  const operations::OperationRequest& Request() const { return request_; }
  operations::OperationRequest& Request() { return request_; }
  // The tree item of a node of the tree file, or kNoTreeItem when the node is not shown.
  int ItemOfNode(int node) const { return nodeItems_[static_cast<std::size_t>(node)]; }
  int PageTemplate() const { return pageTemplate_; }
  const PageEntry* CurrentPage() const { return currentPage_; }
  // Waits until the running operation, if any, has ended (its done message may still be queued).
  void WaitForOperation();

protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;
  std::unique_ptr<TStackedPage> CreatePage(int templateId) override;
  void OnCancel() override;
  void OnDestroy() override;

private:
  void BuildTree();
  void OnTreeSelection();
  void SetActionButtons();
  void OnAction();
  void ShowPictureButton();
  void OnPicture();
  void OnNext();
  bool OnHotKey(int key);
  void OnOperationDone();
  bool Running() const { return request_.workerRunning; }
  // Starts the run of the request's button, or of a hot key (F11, F12), and says so on the
  // status line.
  void StartRun(const std::string& caption, int hotKey = 0);

  ServiceContext context_;
  std::string windowTitle_;
  int topFunction_;
  bool guided_ = false;
  std::string topName_;
  std::string pictureName_;
  std::string itemTitle_;
  std::string itemExplanation_;
  std::string executeCaption_ = "Execute";
  std::string checkCaption_ = "Check";
  std::string inputCaption_ = "Input";
  std::string optionCaption_ = "Option";
  std::string nextCaption_;
  std::string lastNextCaption_;
  std::string runCaption_;  // the button (or hot key) of the run under way or last ended
  int runButton_ = 0;       // the button that started it, which has the keyboard back after it
  int selectedItem_ = kNoTreeItem;
  int nextSibling_ = kNoTreeItem;
  bool hasChildren_ = false;
  int pageTemplate_ = -1;
  std::array<int, menu::kTreeNodeCount> nodeItems_{};
  PageEntry* currentPage_ = nullptr;
  operations::OperationRequest request_;
  std::unique_ptr<menu::MenuFiles> files_;
  std::unique_ptr<operations::OperationWorker> worker_;
};

}  // namespace ui
