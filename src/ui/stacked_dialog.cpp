#include "ui/stacked_dialog.h"

#include "operations/operation_request.h"

namespace ui {

bool TStackedPage::CollectInput() { return UpdateData(true); }

bool TStackedPage::RefreshPage() {
  UpdateData(false);
  return true;
}

void TStackedPage::EnableWhenConnected(std::initializer_list<int> ids) {
  const bool connected = request_->printerMissing != 1;
  for (const int id : ids) EnableItem(id, connected);
}

void TStackedPage::AttachRequest(operations::OperationRequest& request) {
  request_ = &request;
  RefreshPage();
}

TStackedDialog::TStackedDialog(int placeholderId, int templateId, UiServices& ui)
    : CDialog(templateId, ui), placeholderId_(placeholderId) {}

TStackedDialog::TStackedDialog(int placeholderId, const DialogTemplate& dialogTemplate,
                               UiServices& ui)
    : CDialog(dialogTemplate, ui), placeholderId_(placeholderId) {}

TStackedDialog::~TStackedDialog() { RemoveAllPages(); }

bool TStackedDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  maximizeBox_ = true;
  return true;
}

PageEntry* TStackedDialog::AddPage(int templateId, int user1, int user2, int user3) {
  std::unique_ptr<TStackedPage> page = CreatePage(templateId);
  if (!page) return nullptr;
  PageEntry& entry = pages_.emplace_back();
  entry.templateId = templateId;
  entry.userValues = {user1, user2, user3};
  entry.owner = this;
  entry.page = std::move(page);
  entry.page->Create();
  const DialogRect& anchor = Item(placeholderId_).rect;
  const DialogTemplate& pageTemplate = entry.page->Template();
  // The page stands at its placeholder, on screen and in the order of Tab.
  entry.page->SetPlacement({anchor.x, anchor.y, pageTemplate.width, pageTemplate.height},
                           placeholderId_);
  entry.created = 1;
  NotifyChildAdded(*entry.page);
  return &entry;
}

std::vector<CDialog*> TStackedDialog::ChildWindows() const {
  std::vector<CDialog*> children;
  for (const PageEntry& entry : pages_)
    if (entry.created != 0) children.push_back(entry.page.get());
  return children;
}

void TStackedDialog::ShowPage(int templateId) {
  for (PageEntry& entry : pages_) {
    if (entry.visible != 0) {
      entry.page->ShowWindow(false);
      entry.visible = 0;
      break;
    }
  }
  if (templateId == 0) return;
  for (PageEntry& entry : pages_) {
    if (entry.templateId == templateId) {
      entry.page->ShowWindow(true);
      entry.visible = 1;
      return;
    }
  }
}

void TStackedDialog::RemovePage(PageEntry* entry) {
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (&*it != entry) continue;
    if (it->created != 0) {
      it->page->DestroyWindow();
      NotifyChildRemoved(*it->page);
      it->page.reset();
      it->created = 0;
    }
    pages_.erase(it);
    return;
  }
}

void TStackedDialog::RemoveAllPages() {
  while (!pages_.empty()) RemovePage(&pages_.front());
}

}  // namespace ui
