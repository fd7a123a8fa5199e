#include "ui/dialog.h"

#include <stdexcept>

#include "ui/data_exchange.h"
#include "ui_services/ui_services.h"

namespace ui {

int TreeItems::Insert(int parent, std::string text, std::intptr_t data) {
  items_.push_back(Item{parent, std::move(text), data, -1, -1, {}});
  const int handle = static_cast<int>(items_.size());
  if (Item* p = Find(parent)) {
    p->children.push_back(handle);
  } else {
    roots_.push_back(handle);
  }
  return handle;
}

void TreeItems::Clear() {
  items_.clear();
  roots_.clear();
  selected_ = kNoTreeItem;
}

const TreeItems::Item* TreeItems::Find(int handle) const {
  if (handle < 1 || handle > static_cast<int>(items_.size())) return nullptr;
  return &items_[handle - 1];
}

TreeItems::Item* TreeItems::Find(int handle) {
  return const_cast<Item*>(static_cast<const TreeItems*>(this)->Find(handle));
}

const std::vector<int>& TreeItems::Children(int handle) const {
  const Item* item = Find(handle);
  return item == nullptr ? roots_ : item->children;
}

int TreeItems::NextSibling(int handle) const {
  const Item* item = Find(handle);
  if (item == nullptr) return kNoTreeItem;
  const std::vector<int>& siblings = Children(item->parent);
  for (std::size_t i = 0; i + 1 < siblings.size(); ++i) {
    if (siblings[i] == handle) return siblings[i + 1];
  }
  return kNoTreeItem;
}

namespace {

const DialogTemplate& TemplateOrThrow(int templateId) {
  const DialogTemplate* found = FindTemplate(templateId);
  if (found == nullptr) {
    throw std::invalid_argument("no dialog template " + std::to_string(templateId));
  }
  return *found;
}

}  // namespace

CDialog::CDialog(int templateId, UiServices& ui) : CDialog(TemplateOrThrow(templateId), ui) {}

CDialog::CDialog(const DialogTemplate& dialogTemplate, UiServices& ui)
    : templateId_(dialogTemplate.id),
      template_(&dialogTemplate),
      ui_(ui),
      self_(std::make_shared<CDialog*>(this)),
      weakSelf_(self_) {}

CDialog::~CDialog() = default;

bool CDialog::Create() {
  controls_.clear();
  index_.clear();
  for (const ControlTemplate& t : template_->controls) {
    ControlState control;
    control.id = t.id;
    control.kind = t.kind;
    control.style = t.style;
    control.rect = t.rect;
    control.text = t.text;
    control.visible = (t.style & kHidden) == 0;
    control.enabled = (t.style & kDisabled) == 0;
    control.readOnly = (t.style & kReadOnly) != 0;
    index_[t.id] = controls_.size();
    controls_.push_back(std::move(control));
  }
  caption_ = template_->caption;
  created_ = true;
  ended_ = false;
  result_ = 0;
  focus_ = 0;
  for (const ControlState& control : controls_) {
    if (TakesFocus(control)) {
      focus_ = control.id;
      break;
    }
  }
  if (!OnInitDialog()) return false;
  return true;
}

void CDialog::DestroyWindow() {
  if (!created_) return;
  OnDestroy();
  created_ = false;
  visible_ = false;
  WindowChanged();
}

int CDialog::DoModal() { return ui_.RunModal(*this); }

bool CDialog::CreateModeless() { return ui_.ShowModeless(*this); }

void CDialog::EndDialog(int result) {
  ended_ = true;
  result_ = result;
  if (observer_ != nullptr) observer_->Ended(result);
}

void CDialog::SetWindowText(std::string caption) {
  caption_ = std::move(caption);
  WindowChanged();
}

void CDialog::ShowWindow(bool show) {
  visible_ = show;
  WindowChanged();
}

void CDialog::MoveWindow(PixelRect rect) {
  windowRect_ = rect;
  WindowChanged();
}

void CDialog::SetPlacement(DialogRect rect, int placedAfter) {
  placement_ = rect;
  placedAfter_ = placedAfter;
  WindowChanged();
}

const ControlState& CDialog::Item(int id) const {
  const auto found = index_.find(id);
  if (found == index_.end()) {
    throw std::out_of_range("dialog " + std::to_string(templateId_) + " has no control " +
                            std::to_string(id));
  }
  return controls_[found->second];
}

ControlState& CDialog::MutableItem(int id) { return const_cast<ControlState&>(Item(id)); }

bool CDialog::HasItem(int id) const { return index_.count(id) != 0; }

std::vector<int> CDialog::RadioGroup(int id) const {
  // The group starts at the last group start up to id and runs to the next group start.
  std::size_t first = 0;
  const std::size_t at = index_.at(id);
  for (std::size_t i = 0; i <= at; ++i) {
    if ((controls_[i].style & kGroupStart) != 0) first = i;
  }
  std::vector<int> group;
  for (std::size_t i = first; i < controls_.size(); ++i) {
    if (i > first && (controls_[i].style & kGroupStart) != 0) break;
    if (controls_[i].kind == ControlKind::RadioButton) group.push_back(controls_[i].id);
  }
  return group;
}

std::vector<int> CDialog::ItemIds() const {
  std::vector<int> ids;
  for (const ControlState& control : controls_) ids.push_back(control.id);
  return ids;
}

void CDialog::ChangeItem(int id, const std::function<void(ControlState&)>& change) {
  change(MutableItem(id));
  Changed(id);
}

void CDialog::SetDlgItemText(int id, std::string text) {
  ChangeItem(id, [&text](ControlState& c) { c.text = std::move(text); });
}

void CDialog::ShowItem(int id, bool show) {
  ChangeItem(id, [show](ControlState& c) { c.visible = show; });
}

void CDialog::EnableItem(int id, bool enable) {
  ChangeItem(id, [enable](ControlState& c) { c.enabled = enable; });
}

void CDialog::CheckDlgButton(int id, int checked) {
  ChangeItem(id, [checked](ControlState& c) { c.checked = checked; });
}

void CDialog::SetItemFont(int id, const FontSpec& font) {
  ChangeItem(id, [&font](ControlState& c) { c.font = font; });
}

bool CDialog::TakesFocus(const ControlState& control) const {
  switch (control.kind) {
    case ControlKind::Static:
    case ControlKind::GroupBox:
    case ControlKind::ProgressBar:
    case ControlKind::Picture: return false;
    case ControlKind::Edit: return control.visible && control.enabled && !control.readOnly;
    default: return control.visible && control.enabled;
  }
}

void CDialog::SetFocus(int id) {
  focus_ = id;
  if (observer_ != nullptr) observer_->FocusChanged(id);
}

void CDialog::NextDlgCtrl() {
  if (controls_.empty()) return;
  std::size_t start = 0;
  if (const auto found = index_.find(focus_); found != index_.end()) start = found->second + 1;
  for (std::size_t n = 0; n < controls_.size(); ++n) {
    const ControlState& control = controls_[(start + n) % controls_.size()];
    if (TakesFocus(control)) {
      SetFocus(control.id);
      return;
    }
  }
}

bool CDialog::UpdateData(bool saveAndValidate) {
  DataExchange dx(*this, saveAndValidate);
  DoDataExchange(dx);
  return !dx.Failed();
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(DataExchange&) {}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::Bind(Event event, int id, std::function<void(int)> call) {
  handlers_.push_back(Handler{event, id, std::move(call)});
}

bool CDialog::Dispatch(Event event, int id, int argument) {
  for (const Handler& handler : handlers_) {
    if (handler.event == event && handler.id == id) {
      handler.call(argument);
      return true;
    }
  }
  return false;
}

void CDialog::Command(int id) {
  if (Dispatch(Event::Command, id)) return;
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void CDialog::Click(int id) {
  const ControlState& control = Item(id);
  if (!control.enabled || !control.visible) return;
  if (control.kind == ControlKind::CheckBox) {
    CheckDlgButton(id, control.checked != 0 ? 0 : 1);
  } else if (control.kind == ControlKind::RadioButton) {
    for (int other : RadioGroup(id)) CheckDlgButton(other, other == id ? 1 : 0);
  }
  focus_ = id;
  Command(id);
}

void CDialog::EditText(int id, std::string text) {
  ChangeItem(id, [&text](ControlState& c) {
    c.text = std::move(text);
    if (c.limit > 0 && static_cast<int>(c.text.size()) > c.limit) c.text.resize(c.limit);
  });
  Dispatch(Event::Change, id);
}

void CDialog::SelectItem(int id, int index) {
  ChangeItem(id, [index](ControlState& c) { c.selection = index; });
  Dispatch(Event::SelChange, id);
}

void CDialog::SelectTreeItem(int id, int handle) {
  ChangeItem(id, [handle](ControlState& c) { c.tree.Select(handle); });
  Dispatch(Event::SelChange, id);
}

void CDialog::SetDateTime(int id, DateTime value) {
  ChangeItem(id, [&value](ControlState& c) { c.dateTime = value; });
  Dispatch(Event::Change, id);
}

int CDialog::DefaultButton() const {
  for (const ControlState& control : controls_) {
    if ((control.style & kDefaultButton) != 0) return control.id;
  }
  return HasItem(IDOK) ? IDOK : 0;
}

bool CDialog::KeyDown(int key) {
  keyUsed_ = false;
  if (Dispatch(Event::KeyDown, 0, key) && keyUsed_) return true;
  if (key == kKeyTab) {
    NextDlgCtrl();
  } else if (key == kKeyEnter) {
    // A focused push button takes Enter itself; otherwise the default button does. A dialog
    // without one (the service menu) takes the key and does nothing: Enter in its tree or in a
    // page's box must not close it.
    const auto found = index_.find(focus_);
    const bool onButton =
        found != index_.end() && controls_[found->second].kind == ControlKind::Button;
    const int pressed = onButton ? focus_ : DefaultButton();
    if (pressed != 0 && Item(pressed).enabled && Item(pressed).visible) Command(pressed);
  } else if (key == kKeyEscape) {
    Command(IDCANCEL);
  } else {
    return false;
  }
  return true;
}

void CDialog::CloseBox() { Command(IDCANCEL); }

void CDialog::SendMessage(unsigned message) { Dispatch(Event::Message, static_cast<int>(message)); }

void CDialog::PostMessage(unsigned message) {
  ui_.PostToUi([weak = weakSelf_, message] {
    if (const auto self = weak.lock()) (*self)->SendMessage(message);
  });
}

void CDialog::Changed(int id) {
  if (observer_ != nullptr) observer_->ControlChanged(id);
}

void CDialog::WindowChanged() {
  if (observer_ != nullptr) observer_->WindowChanged();
}

void CDialog::NotifyChildAdded(CDialog& child) {
  if (observer_ != nullptr) observer_->ChildAdded(child);
}

void CDialog::NotifyChildRemoved(CDialog& child) {
  if (observer_ != nullptr) observer_->ChildRemoved(child);
}

std::string AsSentence(std::string_view note) {
  std::string sentence(note);
  if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z') sentence[0] -= 'a' - 'A';
  return sentence;
}

}  // namespace ui
