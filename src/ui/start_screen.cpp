#include "ui/start_screen.h"

#include "platform/paths.h"
#include "ui/data_exchange.h"
#include "ui/template_ids.h"

namespace ui {
namespace {

// A point font of the given size in tenths of a point, on a 96-dpi screen.
FontSpec PointFont(int tenths, int weight, std::string face) {
  FontSpec font;
  font.height = -(tenths * 96 + 360) / 720;
  font.weight = weight;
  font.faceName = std::move(face);
  return font;
}

}  // namespace

CSvcStartup::CSvcStartup(UiServices& ui, std::string programFolder, FunctionDialogFactory dialogs,
                         const operations::ServiceEnvironment* environment)
    : CDialog(kStartScreenTemplate, ui),
      programFolder_(std::move(programFolder)),
      dialogs_(std::move(dialogs)),
      environment_(environment) {
  for (const int id : kMainMenuButtonIds) OnCommand(id, &CSvcStartup::OnMainMenu);
  OnSelChange(kStartPrinterListId, &CSvcStartup::OnPrinterChosen);
}

bool CSvcStartup::OnInitDialog() {
  CDialog::OnInitDialog();
  files_ = std::make_unique<menu::MenuFiles>(Services(), platform::ServiceFolder(programFolder_));
  files_->ReadMainMenus();
  const std::string title = files_->ReadMenuKey(menu::kFuncDataFile, "Main", "Title");
  version_ = files_->ReadMenuKey(menu::kFuncDataFile, "Main", "Version");
  const std::string exitCaption = files_->ReadMenuKey(menu::kFuncDataFile, "Main", "Button1");
  SetWindowText("Service Program Ver." + version_);
  SetDlgItemText(kStartHeadingId, title);
  const bool problem = environment_ != nullptr && !environment_->startupProblems.empty();
  SetDlgItemText(kStartNoteId, problem ? AsSentence(environment_->startupProblems[0]) : "");
  SetDlgItemText(IDCANCEL, exitCaption);
  const FontSpec heading = PointFont(120, 700, "Verdana");
  for (const int id : kMainMenuButtonIds) SetItemFont(id, heading);
  SetItemFont(kStartHeadingId, heading);
  SetItemFont(kStartNoteId, PointFont(100, 700, "Verdana"));
  for (int n = 0; n < 7; ++n) {
    const menu::MenuNode& entry = files_->MainMenus()[static_cast<std::size_t>(n)];
    const int button = kMainMenuButtonIds[n];
    if (entry.title.empty()) {
      ShowItem(button, false);
      ShowItem(kMainMenuTextBase + n + 1, false);
      ShowItem(kMainMenuFrameBase + n + 1, false);
    } else {
      SetDlgItemText(button, entry.title);
      SetDlgItemText(kMainMenuTextBase + n + 1, entry.exText);
    }
  }
  ListPrinters();
  return true;
}

void CSvcStartup::ListPrinters() {
  if (environment_ == nullptr) return;
  const ScopedWaitCursor waitCursor(Services());
  printers_ = operations::AttachedPrinters(*environment_);
  const bool several = printers_.size() > 1;
  ShowItem(kStartPrinterLabelId, several);
  ShowItem(kStartPrinterListId, several);
  const int chosen = environment_->ConfiguredPort();
  ChangeItem(kStartPrinterListId, [&](ControlState& c) {
    c.items.clear();
    c.selection = -1;
    for (const operations::AttachedPrinter& printer : printers_) {
      if (printer.port == chosen) c.selection = static_cast<int>(c.items.size());
      c.items.push_back("USB " + std::to_string(printer.port) + "    " +
                        (printer.model.empty() ? "??" : printer.model) + "    " +
                        (printer.serial.empty() ? "(no serial number)" : printer.serial) + "    " +
                        printer.status);
    }
  });
}

void CSvcStartup::OnPrinterChosen() {
  const int index = Item(kStartPrinterListId).selection;
  if (environment_ == nullptr || index < 0 || index >= static_cast<int>(printers_.size())) return;
  environment_->ChoosePort(printers_[static_cast<std::size_t>(index)].port);
}

void CSvcStartup::OnMainMenu() {
  // The pressed button is the one with the focus.
  for (int n = 0; n < 7; ++n) {
    if (Focus() != kMainMenuButtonIds[n]) continue;
    const menu::MenuNode& entry = files_->MainMenus()[static_cast<std::size_t>(n)];
    if (entry.function == kManualsFunction) {
      CGreltDlgIniFill manuals(Services(), programFolder_, entry.title);
      Services().RunModal(manuals);
    } else if (dialogs_) {
      if (const std::unique_ptr<CDialog> dialog = dialogs_(entry.function, entry.title))
        Services().RunModal(*dialog);
    }
    ListPrinters();  // printers may have come or gone meanwhile
    return;
  }
}

CGreltDlgIniFill::CGreltDlgIniFill(UiServices& ui, std::string programFolder, std::string title)
    : TStackedPage(kManualsTemplate, ui),
      programFolder_(std::move(programFolder)),
      title_(std::move(title)) {
  OnCommand(IDOK, &CGreltDlgIniFill::OnOpen);
  OnCommand(IDCANCEL, &CGreltDlgIniFill::OnFinish);
}

bool CGreltDlgIniFill::OnInitDialog() {
  CDialog::OnInitDialog();
  const menu::MenuFiles files(Services(), platform::ServiceFolder(programFolder_));
  const menu::FunctionPageText page = files.ReadFunctionPageText(kManualsFunction);
  SetWindowText(title_);
  ShowItem(kManualsLabelId, false);
  SetDlgItemText(kManualsSetId, page.text[0]);
  SetDlgItemText(kManualsResetId, page.text[1]);
  SetDlgItemText(IDOK, page.button[0]);
  SetDlgItemText(IDCANCEL, page.button[1]);
  UpdateData(false);
  return true;
}

void CGreltDlgIniFill::DoDataExchange(DataExchange& dx) { dx.Radio(kManualsSetId, option_); }

void CGreltDlgIniFill::OnOpen() {
  UpdateData(true);
  const char* manual = option_ == 0   ? "Panel_Menu_Maps.pdf"
                       : option_ == 1 ? "Wiring_Diagrams.pdf"
                                      : nullptr;
  if (manual == nullptr) {
    Services().MessageBox("Unknown Setting", kApplicationTitle, kOk);
    return;
  }
  // The shell reports failure with a result of 32 or less.
  if (Services().ShellOpen(platform::ServiceFolder(programFolder_) + "/" + manual) <= 32)
    Services().MessageBox("Please Install Adobe Reader.", kApplicationTitle, kOk);
}

}  // namespace ui
