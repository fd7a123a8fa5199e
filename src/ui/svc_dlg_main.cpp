#include "ui/svc_dlg_main.h"

#include <algorithm>
#include <iterator>

#include "menu/menu_tree.h"
#include "operations/prefetch.h"
#include "ui/data_exchange.h"
#include "ui/service_items.h"
#include "ui/template_ids.h"

namespace ui {
namespace {

constexpr int kToDoImage = 1;
constexpr int kFinishedImage = 2;

constexpr int kActionButtonIds[4] = {kExecuteButtonId, kCheckButtonId, kInputButtonId,
                                     kOptionButtonId};
constexpr unsigned kActionBits[4] = {kActionExecute, kActionCheck, kActionInput, kActionOption};

std::string FirstLine(const std::string& text) {
  const std::string line = text.substr(0, text.find_first_of("\r\n"));
  return line.empty() ? text : line;
}

// The status line after a run: what ran, how it ended and the last thing it told the technician.
// A run the technician stopped at its question was cancelled, not failed.
std::string OutcomeText(const std::string& caption, const operations::OperationRequest& request,
                        const ui::MessageRecorder& messages) {
  const std::vector<std::string> shown = messages.Shown();
  const std::string told = shown.empty() ? "" : FirstLine(shown.back());
  if (request.operationRan.empty())
    return caption + " did not run" + (told.empty() ? "" : ": " + told);
  if (request.operationSucceeded) return caption + " finished" + (told.empty() ? "" : ": " + told);
  if (messages.StoppedByAnswer()) return caption + " cancelled";
  if (!told.empty()) return caption + " failed: " + told;
  return caption + " failed (error " + std::to_string(request.lastError) + ")";
}

}  // namespace

CSvcDlgMain::CSvcDlgMain(UiServices& ui, ServiceContext context, std::string title, int topFunction)
    : TStackedDialog(kPagePlaceholderId, kMainDialogTemplate, ui),
      context_(std::move(context)),
      windowTitle_(std::move(title)),
      topFunction_(topFunction) {
  OnSelChange(kMenuTreeId, &CSvcDlgMain::OnTreeSelection);
  for (const int id : kActionButtonIds) OnCommand(id, &CSvcDlgMain::OnAction);
  OnCommand(kPictureButtonId, &CSvcDlgMain::OnPicture);
  OnCommand(kNextButtonId, &CSvcDlgMain::OnNext);
  OnKeyDown(&CSvcDlgMain::OnHotKey);
  OnMessage(kOperationDoneMessage, &CSvcDlgMain::OnOperationDone);
}

CSvcDlgMain::~CSvcDlgMain() { WaitForOperation(); }

void CSvcDlgMain::WaitForOperation() {
  if (worker_) worker_->Join();
}

bool CSvcDlgMain::OnInitDialog() {
  files_ = std::make_unique<menu::MenuFiles>(Services(), context_.environment.folders.service);
  TStackedDialog::OnInitDialog();
  for (const int id : {kNextButtonId, kExecuteButtonId, kPictureButtonId, kInputButtonId,
                       kCheckButtonId, kOptionButtonId})
    ShowItem(id, false);
  guided_ = topFunction_ == kGuidedFunction;
  SetWindowText(windowTitle_);
  const std::string top = std::to_string(topFunction_);
  topName_ = files_->ReadMenuKey(menu::kFuncDataFile, top, "TreeTop");
  files_->ReadTree();
  BuildTree();
  if (guided_) {
    ChangeItem(kMenuTreeId, [](ControlState& c) {
      c.treeImages.assign(std::begin(kTreeBitmaps), std::end(kTreeBitmaps));
      for (int handle = 1; handle <= static_cast<int>(c.tree.Size()); ++handle) {
        TreeItems::Item* item = c.tree.Find(handle);
        if (item->children.empty()) item->image = item->selectedImage = kToDoImage;
      }
    });
    ShowItem(kNextButtonId, true);
    nextCaption_ = files_->ReadMenuKey(menu::kFuncDataFile, top, "Button2");
    lastNextCaption_ = files_->ReadMenuKey(menu::kFuncDataFile, top, "Button3");
    SetDlgItemText(kNextButtonId, nextCaption_);
  }
  const std::vector<std::string>& problems = context_.environment.startupProblems;
  SetDlgItemText(kStatusLineId, problems.empty()
                                    ? files_->ReadMenuKey(menu::kFuncDataFile, top, "Text1")
                                    : AsSentence(problems[0]));
  request_.workerRunning = false;
  worker_ = std::make_unique<operations::OperationWorker>(operations::Dispatch{
      context_.environment, context_.operations, [this] { PostMessage(kOperationDoneMessage); }});
  return true;
}

void CSvcDlgMain::BuildTree() {
  nodeItems_.fill(kNoTreeItem);
  const auto& nodes = files_->Nodes();
  ChangeItem(kMenuTreeId, [&](ControlState& c) {
    c.tree.Clear();
    for (const menu::TreeInsertion& insertion : menu::PlanMenuTree(nodes, topName_)) {
      const int parent = insertion.parent == menu::kTreeRoot
                             ? kNoTreeItem
                             : nodeItems_[static_cast<std::size_t>(insertion.parent)];
      nodeItems_[static_cast<std::size_t>(insertion.node)] = c.tree.Insert(
          parent, nodes[static_cast<std::size_t>(insertion.node)].title, insertion.node);
    }
  });
}

void CSvcDlgMain::DoDataExchange(DataExchange& dx) {
  dx.Text(kItemTitleId, itemTitle_);
  dx.Text(kItemExplanationId, itemExplanation_);
  dx.Text(kExecuteButtonId, executeCaption_);
  dx.Text(kCheckButtonId, checkCaption_);
  dx.Text(kInputButtonId, inputCaption_);
  dx.Text(kOptionButtonId, optionCaption_);
}

std::unique_ptr<TStackedPage> CSvcDlgMain::CreatePage(int templateId) {
  return context_.pages.MakePage(templateId, {Services(), context_.environment.catalogue});
}

void CSvcDlgMain::OnTreeSelection() {
  const int handle = Item(kMenuTreeId).tree.Selected();
  if (Running()) {
    // The selection stays on the item whose operation runs.
    ChangeItem(kMenuTreeId, [this](ControlState& c) { c.tree.Select(selectedItem_); });
    return;
  }
  const TreeItems::Item* item = Item(kMenuTreeId).tree.Find(handle);
  if (item == nullptr) return;
  const ScopedWaitCursor waitCursor(Services());
  if (currentPage_ != nullptr) {
    RemovePage(currentPage_);
    currentPage_ = nullptr;
  }
  const menu::MenuNode& node = files_->Nodes()[static_cast<std::size_t>(item->data)];
  request_.done = 0;
  request_.noPrefetch = 0;
  request_.itemNumber = node.function;
  request_.itemTitle = node.title;
  request_.pageText = files_->ReadFunctionPageText(node.function);

  selectedItem_ = handle;
  hasChildren_ = !item->children.empty();
  if (guided_) {
    nextSibling_ = Item(kMenuTreeId).tree.NextSibling(handle);
    EnableItem(kNextButtonId, !hasChildren_);
    SetDlgItemText(kNextButtonId, nextSibling_ == kNoTreeItem ? lastNextCaption_ : nextCaption_);
  }
  pictureName_ = node.pictureName;
  ShowPictureButton();

  const ItemPage page = PageOfItem(node.function, guided_, hasChildren_);
  pageTemplate_ = page.templateId;
  request_.noPrefetch = page.noPrefetch ? 1 : 0;
  if (page.finished) request_.done = 1;
  operations::PrefetchItemValues(request_, context_.environment, context_.operations);
  SetActionButtons();

  if (pageTemplate_ == kUnknownItem) {
    ShowPage(kNoPage);
    itemTitle_.clear();
    itemExplanation_.clear();
  } else {
    if (pageTemplate_ != kNoPage) {
      currentPage_ = AddPage(pageTemplate_);
      if (currentPage_ != nullptr) currentPage_->page->AttachRequest(request_);
    }
    ShowPage(pageTemplate_);
    itemTitle_ = node.title;
    itemExplanation_ = node.exText;
  }
  UpdateData(false);
}

void CSvcDlgMain::SetActionButtons() {
  for (const int id : kActionButtonIds) ShowItem(id, false);
  if (pageTemplate_ == kUnknownItem) return;
  executeCaption_ = request_.pageText.button[0];
  checkCaption_ = request_.pageText.button[1];
  inputCaption_ = request_.pageText.button[2];
  optionCaption_ = request_.pageText.button[3];
  const bool printerThere = request_.printerMissing == 0;
  const ItemButtons buttons = ButtonsOfItem(request_.itemNumber);
  for (int k = 0; k < 4; ++k) {
    const int id = kActionButtonIds[k];
    const unsigned bit = kActionBits[k];
    // A missing printer disables Execute, Input and Option; Check keeps its state.
    const bool byPrinter = id == kCheckButtonId || printerThere;
    EnableItem(id,
               (buttons.disabled & bit) == 0 && ((buttons.alwaysEnabled & bit) != 0 || byPrinter));
    ShowItem(id, (buttons.shown & bit) != 0);
  }
}

void CSvcDlgMain::OnAction() {
  if (Running()) return;
  int base = 0;
  switch (Focus()) {
    case kInputButtonId: base = operations::kInputBase; break;
    case kExecuteButtonId: base = operations::kExecuteBase; break;
    case kCheckButtonId:
    case kOptionButtonId: base = operations::kCheckBase; break;
    default: return;
  }
  const int number = operations::FunctionNumber(base, request_.itemNumber);
  if (!operations::IsNetworkFunction(number) && context_.operations.Find(number) == nullptr) {
    SetDlgItemText(kStatusLineId, kNoOperationText);
    return;
  }
  if (currentPage_ != nullptr && currentPage_->visible != 0 && !currentPage_->page->CollectInput())
    return;
  // A hot-key run that could not start (no printer, unknown model) must not swallow this press.
  request_.hotKeyRun = 0;
  request_.buttonBase = base;
  // The caption the technician pressed names the run; a menu file without one, the button's role.
  const std::string caption = GetDlgItemText(Focus());
  constexpr const char* kRoles[4] = {"Execute", "Check", "Input", "Option"};
  const auto* role = std::find(std::begin(kActionButtonIds), std::end(kActionButtonIds), Focus());
  StartRun(caption.empty() ? kRoles[role - std::begin(kActionButtonIds)] : caption);
}

void CSvcDlgMain::StartRun(const std::string& caption, int hotKey) {
  runCaption_ = caption;
  runButton_ = Focus();
  SetDlgItemText(kStatusLineId, caption + " running...");
  if (hotKey != 0) {
    worker_->StartHotKey(request_, hotKey);
  } else {
    worker_->Start(request_);
  }
}

bool CSvcDlgMain::OnHotKey(int key) {
  if (key != kKeyF11 && key != kKeyF12) return false;
  if (Running()) return true;
  StartRun(key == kKeyF11 ? "F11" : "F12", key);
  return true;
}

void CSvcDlgMain::OnOperationDone() {
  if (currentPage_ != nullptr) currentPage_->page->RefreshPage();
  SetActionButtons();
  ShowPictureButton();
  SetDlgItemText(kStatusLineId, OutcomeText(runCaption_, request_, context_.environment.messages));
  UpdateData(false);
  // The keyboard goes back where it was: a question answered (or refused with Escape) must not
  // leave it on Next, where the next Enter would walk on past a step not done.
  if (HasItem(runButton_) && Item(runButton_).visible && Item(runButton_).enabled)
    SetFocus(runButton_);
}

// The item's own picture, and the pages its last print put on paper.
void CSvcDlgMain::ShowPictureButton() {
  ShowItem(kPictureButtonId,
           !pictureName_.empty() || context_.environment.printed.Has(request_.itemNumber));
}

void CSvcDlgMain::OnPicture() {
  const operations::ServiceEnvironment& env = context_.environment;
  if (!pictureName_.empty())
    Services().ShowPicture(env.folders.service + "/images/" + pictureName_ + ".jpg", itemTitle_);
  if (!env.printed.Has(request_.itemNumber)) return;
  const ScopedWaitCursor waitCursor(Services());
  std::string error;
  const std::vector<std::string> files =
      env.printed.Draw(request_.itemNumber, env.folders.csv + "/" + kPrintedFolder, &error);
  if (files.empty()) {
    Services().MessageBox("The printed page could not be drawn.\n" + error, kApplicationTitle,
                          kOk | kIconWarning);
    return;
  }
  for (std::size_t page = 0; page < files.size(); ++page) {
    const std::string number = files.size() > 1 ? " " + std::to_string(page + 1) : "";
    Services().ShowPicture(files[page], itemTitle_ + ": page" + number + " as sent",
                           PictureFit::WholeInWindow);
  }
}

void CSvcDlgMain::OnNext() {
  if (Running() || selectedItem_ == kNoTreeItem) return;
  if (request_.done == 1) {
    ChangeItem(kMenuTreeId, [this](ControlState& c) {
      if (TreeItems::Item* item = c.tree.Find(selectedItem_))
        item->image = item->selectedImage = kFinishedImage;
    });
  }
  int next = nextSibling_;
  if (next == kNoTreeItem) next = Item(kMenuTreeId).tree.Find(selectedItem_)->parent;
  if (next != kNoTreeItem) SelectTreeItem(kMenuTreeId, next);
}

void CSvcDlgMain::OnCancel() {
  // The run works on this dialog's request and reports to it: the dialog stays until it ends.
  if (Running()) return;
  TStackedDialog::OnCancel();
}

void CSvcDlgMain::OnDestroy() {
  WaitForOperation();
  currentPage_ = nullptr;
  TStackedDialog::OnDestroy();
}

}  // namespace ui
