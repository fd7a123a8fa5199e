#include "gui/screenshots.h"

#include <filesystem>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "gui/dialog_view.h"
#include "gui/qt_ui_services.h"
#include "platform/paths.h"
#include "ui/bin_print_dialog.h"
#include "ui/firmware_update_dialog.h"
#include "ui/message_dlg.h"
#include "ui/nvram_backup_dialog.h"
#include "ui/pages/bid_page.h"
#include "ui/pages/choice_status_page.h"
#include "ui/pages/cleaning_page.h"
#include "ui/pages/clock_page.h"
#include "ui/pages/counter_reset_page.h"
#include "ui/pages/head_id_page.h"
#include "ui/pages/mac_address_page.h"
#include "ui/pages/measured_values_page.h"
#include "ui/pages/nozzle_check_page.h"
#include "ui/pages/nvram_copy_page.h"
#include "ui/pages/service_record_page.h"
#include "ui/pages/text_input_page.h"
#include "ui/pages/unit_function_page.h"
#include "ui/picture_dlg.h"
#include "ui/start_screen.h"
#include "ui/svc_dlg_main.h"
#include "ui/template_ids.h"
#include "ui/wait_dialogs.h"

namespace gui {
namespace {

QImage Grab(QWidget& window) {
  window.show();
  QApplication::processEvents();
  return window.grab().toImage();
}

QImage GrabDialog(ui::CDialog& dialog) {
  if (!dialog.IsCreated()) dialog.Create();
  dialog.ShowWindow(true);
  DialogWindow window(dialog);
  return Grab(window);
}

// The start screen with its printer list open, drawn above the list as it opens at the foot of
// the window.
QImage StartScreenWithPrinters(ui::CSvcStartup& start) {
  start.Create();
  start.ShowWindow(true);
  DialogWindow window(start);
  QImage picture = Grab(window);
  auto* list = qobject_cast<QComboBox*>(window.View().Widget(ui::kStartPrinterListId));
  if (list == nullptr || !list->isVisible()) return picture;
  list->showPopup();
  QApplication::processEvents();
  const QImage popup = list->view()->window()->grab().toImage();
  list->hidePopup();
  const QPoint corner = list->mapTo(&window, QPoint(0, 0));
  QPainter painter(&picture);
  const QRect frame(corner.x(), corner.y() - popup.height(), popup.width(), popup.height());
  painter.fillRect(frame.translated(3, 3), QColor(0, 0, 0, 50));  // its shadow
  painter.drawImage(frame.topLeft(), popup);
  painter.setPen(QColor(90, 90, 90));
  painter.drawRect(frame.adjusted(-1, -1, 0, 0));
  return picture;
}

// A picture like the item pictures of the menu: 9 x 6 cm at 150 dots per inch.
std::string WriteSamplePicture(const QString& folder) {
  QImage picture(531, 354, QImage::Format_RGB32);
  picture.setDotsPerMeterX(5906);
  picture.setDotsPerMeterY(5906);
  picture.fill(QColor(246, 246, 240));
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(60, 60, 60), 3));
  painter.setBrush(QColor(210, 214, 220));
  painter.drawRoundedRect(40, 90, 450, 150, 12, 12);  // printer body
  painter.setBrush(QColor(240, 240, 240));
  painter.drawRect(70, 240, 390, 40);  // paper exit
  painter.setBrush(QColor(255, 230, 120));
  painter.drawRect(360, 120, 90, 40);  // serial label
  painter.setPen(QPen(QColor(200, 30, 30), 4));
  painter.drawLine(300, 60, 380, 118);
  painter.setFont(QFont("DejaVu Sans", 16));
  painter.setPen(QColor(200, 30, 30));
  painter.drawText(40, 50, "Serial number label");
  painter.end();
  const QString path = folder + "/sample.jpg";
  picture.save(path, "JPG");
  return path.toStdString();
}

// Selects the first tree item with this text, as a click on it does.
void SelectItem(ui::CDialog& dialog, const std::string& text) {
  const ui::TreeItems& tree = dialog.Item(ui::kMenuTreeId).tree;
  for (int handle = 1; handle <= static_cast<int>(tree.Size()); ++handle) {
    if (tree.Find(handle)->text == text) {
      dialog.SelectTreeItem(ui::kMenuTreeId, handle);
      return;
    }
  }
}

// The thermosensor adjustment as it asks for the measured temperature: the dialog drawn over the
// option unit's page at that moment, with a frame and a shadow. The messages before it are
// answered OK, the dialog Cancel.
QImage TemperatureDuringRun(QtUiServices& services, const ui::ServiceContext& context) {
  ui::CSvcDlgMain main(services, context, "Adjustment and Service", 90020);
  main.Create();
  SelectItem(main, "ILS unit");
  DialogWindow window(main);
  Grab(window);
  QImage picture;
  auto others = services.SetUnattended(nullptr);
  services.SetUnattended([&](QWidget& asked, int templateId) {
    if (templateId != ui::kTemperatureTemplate) {
      if (others) others(asked, templateId);
      return;
    }
    picture = window.grab().toImage();
    QPainter painter(&picture);
    const QImage dialog = asked.grab().toImage();
    const QRect frame((picture.width() - dialog.width()) / 2,
                      (picture.height() - dialog.height()) / 2, dialog.width(), dialog.height());
    painter.fillRect(frame.translated(4, 4), QColor(0, 0, 0, 60));  // its shadow
    painter.drawImage(frame.topLeft(), dialog);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(frame.adjusted(-1, -1, 0, 0));
  });
  main.SetFocus(ui::kExecuteButtonId);
  main.Click(ui::kExecuteButtonId);
  while (main.Request().workerRunning) QApplication::processEvents(QEventLoop::AllEvents, 50);
  main.WaitForOperation();
  services.SetUnattended(std::move(others));
  QApplication::processEvents();
  return picture;
}

// The guided walk on "CR motor" after Enter on Record asked its question and the technician
// answered it with Escape: nothing recorded, the step kept, the keyboard back on Record.
QImage GuidedAfterEscape(QtUiServices& services, const ui::ServiceContext& context) {
  ui::CSvcDlgMain guided(services, context, "Parts Exchange", ui::kGuidedFunction);
  guided.Create();
  SelectItem(guided, "CR motor");
  guided.SetFocus(ui::kInputButtonId);
  DialogWindow window(guided);
  Grab(window);
  // The question is answered by its own Escape key, which needs a box that really waits.
  auto unattended = services.SetUnattended(nullptr);
  QTimer escape;
  escape.callOnTimeout([] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || dynamic_cast<DialogWindow*>(box) != nullptr) return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : box, &press);
  });
  escape.start(10);
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(window.View().Widget(ui::kInputButtonId), &enter);
  while (guided.Request().workerRunning) QApplication::processEvents(QEventLoop::AllEvents, 50);
  guided.WaitForOperation();
  QApplication::processEvents();
  escape.stop();
  services.SetUnattended(std::move(unattended));
  QApplication::setActiveWindow(&window);
  return Grab(window);
}

std::string FileSendPrompt(const settings::AppSettings& s) {
  return s.strError[6] + "\n\nOK:" + s.strMessage[3] + "\nCANCEL:" + s.strMessage[4];
}

}  // namespace

std::vector<std::string> RenderScreenshots(const std::string& folder, QtUiServices& services,
                                           const settings::AppSettings& settings,
                                           const ui::ServiceContext& serviceContext) {
  QDir().mkpath(QString::fromStdString(folder));
  const ui::FontSpec& messageFont = services.MessageFont();
  std::vector<std::string> written;
  auto save = [&](const QImage& image, int id, const std::string& name) {
    const std::string path = folder + "/" + std::to_string(id) + "-" + name + ".png";
    if (image.save(QString::fromStdString(path))) written.push_back(path);
  };

  const std::pair<std::string, int> messages[] = {
      {"UNKNOWN STATUS", 0},
      {settings.strStatus[2] + "\n\nRETRY SEND", 1},
      {"This printer is Unknown model.\n Model = XY\nPlease check the printer model.", 2},
      {FileSendPrompt(settings), 3}};
  for (const auto& [text, mode] : messages) {
    ui::CMessageDlg dialog(services, messageFont);
    dialog.Prepare(text, mode);
    save(GrabDialog(dialog), ui::kMessageDialogTemplate, "message-mode" + std::to_string(mode));
  }

  ui::CSvcDlgTemp temperature(services, 23.0);
  save(GrabDialog(temperature), ui::kTemperatureTemplate, "temperature");

  ui::CSvcDlgWait wait(services);
  wait.Create();
  wait.SetText("Printing the nozzle check...");
  {
    DialogWindow window(wait);
    save(Grab(window), ui::kWaitTemplate, "wait");
  }

  ui::CSvcDlgProgress progress(services);
  progress.Create();
  progress.SetText("Backing up the NVRAM of the main board...");
  progress.SetBar(0x7EEA47, 0, 512);
  progress.SetPosition(200);
  {
    DialogWindow window(progress);
    save(Grab(window), ui::kProgressTemplate, "progress");
  }

  const std::string& programFolder = serviceContext.environment.folders.program;
  ui::CSvcStartup start(services, programFolder, nullptr, &serviceContext.environment);
  save(StartScreenWithPrinters(start), ui::kStartScreenTemplate, "start-screen");
  ui::CGreltDlgIniFill manuals(services, programFolder, "Manuals");
  save(GrabDialog(manuals), ui::kManualsTemplate, "manuals");

  // The main service dialog, in normal and in guided mode.
  const ui::ServiceContext& context = serviceContext;
  {
    ui::CSvcDlgMain main(services, context, "Adjustment and Service", 90020);
    main.Create();
    SelectItem(main, "MAC address");
    save(GrabDialog(main), ui::kMainDialogTemplate, "main-dialog");
  }
  {
    ui::CSvcDlgMain guided(services, context, "Parts Exchange", ui::kGuidedFunction);
    guided.Create();
    SelectItem(guided, "Switch off");
    guided.SetFocus(ui::kNextButtonId);
    guided.Click(ui::kNextButtonId);
    save(GrabDialog(guided), ui::kMainDialogTemplate, "main-dialog-guided");
  }
  save(GuidedAfterEscape(services, context), ui::kMainDialogTemplate, "main-dialog-guided-escape");

  // The item pages, each as its item shows it, with what a technician would have typed.
  struct PageShot {
    int top;
    const char* item;
    int templateId;
    const char* name;
    std::function<void(ui::CDialog& page, ui::CSvcDlgMain& main)> type;
  };
  const auto none = [](ui::CDialog&, ui::CSvcDlgMain&) {};
  const auto headId = [](bool mistyped) {
    return [mistyped](ui::CDialog& page, ui::CSvcDlgMain& main) {
      std::string id = main.Request().printerInfo.HeadId;
      if (mistyped && id.size() > 20) id[20] = id[20] == 'A' ? 'B' : 'A';
      for (std::size_t k = 0; k < 5 && k * 9 < id.size(); ++k) {
        page.SetFocus(ui::kHeadIdBoxIds[k]);
        page.EditText(ui::kHeadIdBoxIds[k], id.substr(k * 9, 9));
      }
    };
  };
  const PageShot pageShots[] = {
      {90020, "Bi-D adjustment", ui::kBidTemplate, "bid-page", none},
      {90020, "Head position", ui::kMeasuredTemplate, "position-page",
       [](ui::CDialog& page, ui::CSvcDlgMain&) {
         page.EditText(ui::kMeasuredEditIds[0], "15.5");
         page.EditText(ui::kMeasuredEditIds[1], "14.8");
       }},
      {90020, "Feed correction", ui::kMeasuredTemplate, "feed-page", none},
      {90020, "Head height", ui::kMeasuredTemplate, "height-page", none},
      {90020, "MAC address", ui::kMacTemplate, "mac-page",
       [](ui::CDialog& page, ui::CSvcDlgMain&) {
         page.SetFocus(ui::kMacEditIds[3]);
         page.EditText(ui::kMacEditIds[3], "2D");
         page.EditText(ui::kMacEditIds[4], "41");
       }},
      {90020, "Printer clock", ui::kClockTemplate, "clock-page", none},
      {90020, "Head ID", ui::kHeadIdTemplate, "head-id-page", headId(false)},
      {90020, "Head ID", ui::kHeadIdTemplate, "head-id-page-mistyped", headId(true)},
      {90020, "Serial number", ui::kTextInputTemplate, "serial-number-page",
       [](ui::CDialog& page, ui::CSvcDlgMain& main) {
         // Check first, so the page shows the number the printer holds.
         main.SetFocus(ui::kCheckButtonId);
         main.Click(ui::kCheckButtonId);
         main.WaitForOperation();
         QApplication::processEvents();
         page.EditText(ui::kTextInputEditId, "LW12345678");
       }},
      {90020, "Network nozzle check", ui::kTextInputTemplate, "network-address-page",
       [](ui::CDialog& page, ui::CSvcDlgMain&) {
         page.EditText(ui::kTextInputAddressId, "192.168.0.5");
       }},
      {90040, "Cleaning counters", ui::kCounterTemplate, "counter-page-20040", none},
      {90020, "Nozzle check", ui::kNozzleCheckTemplate, "nozzle-check-page", none},
      {90020, "Head cleaning", ui::kCleaningTemplate, "cleaning-page-LW", none},
      {90020, "Slot cleaning", ui::kCleaningTemplate, "slot-cleaning-page", none},
      {90020, "Service flag", ui::kChoiceStatusTemplate, "service-flag-page", none},
      {90020, "ILS unit", ui::kUnitFunctionTemplate, "unit-function-page",
       [](ui::CDialog& page, ui::CSvcDlgMain&) { page.SelectItem(ui::kUnitFunctionListId, 5); }},
  };
  const auto shoot = [&](const PageShot& shot) {
    ui::CSvcDlgMain main(services, context, "Adjustment and Service", shot.top);
    main.Create();
    SelectItem(main, shot.item);
    if (main.CurrentPage() != nullptr) shot.type(*main.CurrentPage()->page, main);
    save(GrabDialog(main), shot.templateId, shot.name);
  };
  for (const PageShot& shot : pageShots) shoot(shot);
  {
    // Item 20010 has no menu entry of its own in the shipped menus: its page alone.
    operations::OperationRequest request;
    request.itemNumber = 20010;
    request.shownValues[0] = 2400000;
    request.pageText.text[0] = "Current";
    request.pageText.text[1] = "Life";
    request.pageText.text[2] = "Rate";
    const auto page = ui::ProgramPages().MakePage(ui::kCounterTemplate,
                                                  {services, context.environment.catalogue});
    page->Create();
    page->AttachRequest(request);
    save(GrabDialog(*page), ui::kCounterTemplate, "counter-page-20010");
  }
  {
    // The cleaning page of a printer with eight head rows: no orange and green pair.
    operations::OperationRequest request;
    request.itemNumber = 10100;
    request.romVersion = "NN06B1";
    request.pageText.text[0] = "Cleaning strength";
    const auto page = ui::ProgramPages().MakePage(ui::kCleaningTemplate,
                                                  {services, context.environment.catalogue});
    page->Create();
    page->AttachRequest(request);
    save(GrabDialog(*page), ui::kCleaningTemplate, "cleaning-page-NN");
  }

  save(TemperatureDuringRun(services, context), ui::kTemperatureTemplate, "temperature-during-run");

  // The board exchange page, and the backup utility after a backup (its save dialog is
  // answered as cancelled, so nothing is written).
  shoot({90020, "Board exchange", ui::kNvramCopyTemplate, "board-exchange-page", none});
  {
    ui::CSvcDlgNvramBackup backup(services, context.environment);
    backup.Create();
    backup.Click(ui::kNvramBackupButtonId);
    save(GrabDialog(backup), ui::kNvramBackupTemplate, "nvram-backup");
  }

  // The firmware update and print-file dialogs as the start screen opens them.
  {
    ui::CSvc_FW_Update firmware(services, context.environment, "Firmware Update", nullptr);
    firmware.Create();
    firmware.EditText(ui::kFirmwarePathId, programFolder + "/Firmware/LW07A0.UPG");
    save(GrabDialog(firmware), ui::kFirmwareTemplate, "firmware-update");
    ui::CSvcDlgBinPrint print(services, context.environment);
    save(GrabDialog(print), ui::kBinPrintTemplate, "print-file");
  }

  // The service record, with the runs above in it.
  shoot({90020, "Service record", ui::kServiceRecordTemplate, "service-record-page", none});

  QTemporaryDir scratch;

  const auto showPicture = [&](const std::string& file, const std::string& caption,
                               const char* name, ui::PictureFit fit) {
    ui::CSvcDlgPicture picture(services);
    if (picture.Open(file, caption, fit)) {
      if (DialogWindow* window = services.WindowOf(picture))
        save(Grab(*window), ui::kPictureTemplate, name);
      picture.EndDialog(ui::IDOK);
    }
    QApplication::processEvents();
  };
  showPicture(WriteSamplePicture(scratch.path()), "Serial number", "picture",
              ui::PictureFit::PhysicalSize);

  // Runs an item's Execute; its messages are answered on this thread while it runs.
  const auto execute = [&](int top, const char* item) {
    ui::CSvcDlgMain main(services, context, "Adjustment and Service", top);
    main.Create();
    SelectItem(main, item);
    main.SetFocus(ui::kExecuteButtonId);
    main.Click(ui::kExecuteButtonId);
    while (main.Request().workerRunning) QApplication::processEvents(QEventLoop::AllEvents, 50);
    main.WaitForOperation();
    QApplication::processEvents();
    return main.Request().itemNumber;
  };
  // A nozzle check, and its page as the program sent it.
  const auto pages = context.environment.printed.Draw(execute(90020, "Nozzle check"),
                                                      scratch.path().toStdString(), nullptr);
  if (!pages.empty())
    showPicture(pages[0], "Nozzle check: page as sent", "printed-page",
                ui::PictureFit::WholeInWindow);
  // A carriage motor measurement, and the chart it saved beside the service record.
  execute(90040, "CR motor load");
  std::string newest;
  for (const auto& file : std::filesystem::directory_iterator(context.environment.folders.csv))
    if (const std::string name = file.path().string(); name.ends_with("_210060.png"))
      newest = std::max(newest, name);
  if (!newest.empty())
    showPicture(newest, "CR motor load", "motor-chart", ui::PictureFit::WholeInWindow);

  // Templates without a sample of their own are drawn as their template stands.
  for (int id : ui::TemplateIds()) {
    const std::string prefix = folder + "/" + std::to_string(id) + "-";
    const bool drawn = std::any_of(written.begin(), written.end(), [&prefix](const std::string& f) {
      return f.rfind(prefix, 0) == 0;
    });
    if (drawn) continue;
    ui::CDialog dialog(id, services);
    save(GrabDialog(dialog), id, "template");
  }
  return written;
}

}  // namespace gui
