// The Qt front end, offscreen: dialogs drawn from templates, input routed to the model, and the
// ui services answered across threads.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <atomic>
#include <optional>
#include <thread>

#include "gui/chart_painter.h"
#include "gui/dialog_view.h"
#include "gui/focus_frame.h"
#include "gui/program_icon.h"
#include "gui/qt_ui_services.h"
#include "gui/runtime_folder.h"
#include "info_window.h"
#include "menu/menu_files.h"
#include "operations/operation_request.h"
#include "support/temp_folder.h"
#include "ui/message_dlg.h"
#include "ui/pages/mac_address_page.h"
#include "ui/pages/measured_values_page.h"
#include "ui/pages/page_table.h"
#include "ui/stacked_dialog.h"
#include "ui/template_ids.h"

namespace {

using ui::ControlKind;

const ui::DialogTemplate kPanel{
    910,
    "Panel",
    200,
    100,
    {
        {10, ControlKind::Static, "Name", {5, 8, 40, 10}},
        {11, ControlKind::Edit, "", {50, 6, 100, 14}},
        {12, ControlKind::CheckBox, "Twice", {50, 26, 60, 10}},
        {13, ControlKind::Button, "Run", {50, 44, 50, 14}},
        {ui::IDOK, ControlKind::Button, "OK", {90, 80, 50, 14}, ui::kDefaultButton},
        {ui::IDCANCEL, ControlKind::Button, "Cancel", {145, 80, 50, 14}},
    }};

class Panel : public ui::CDialog {
public:
  explicit Panel(ui::UiServices& services) : CDialog(kPanel, services) {
    OnCommand(13, &Panel::OnRun);
  }
  int runs = 0;

private:
  void OnRun() { runs += IsDlgButtonChecked(12) != 0 ? 2 : 1; }
};

// The panel in its window, shown and active, as a person finds it before the first key; with
// `focus`, the panel put the keyboard there before its window opened.
class ShownPanel {
public:
  explicit ShownPanel(int focus = 0) {
    panel.Create();
    if (focus != 0) panel.SetFocus(focus);
    window_.emplace(panel);
    window_->show();
    QApplication::setActiveWindow(&*window_);
    QApplication::processEvents();
  }
  gui::DialogWindow& Window() { return *window_; }
  QWidget* Widget(int id) { return window_->View().Widget(id); }

  gui::QtUiServices services{{}};
  Panel panel{services};

private:
  std::optional<gui::DialogWindow> window_;
};

// Runs the event loop until done() holds or five seconds passed.
bool SpinUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

// Presses the given button of the next message box that opens.
void AnswerNextMessageBox(QMessageBox::StandardButton button) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, button] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      poll->stop();
      poll->deleteLater();
      box->button(button)->click();
    }
  });
  poll->start(5);
}

TEST(GuiDialog, ControlsStandWhereTheTemplatePutsThem) {
  gui::QtUiServices services({});
  Panel panel(services);
  panel.Create();
  gui::DialogWindow window(panel);
  const gui::BaseUnits units = window.View().Units();
  EXPECT_GT(units.x, 3);
  EXPECT_GT(units.y, 8);
  for (const ui::ControlTemplate& control : kPanel.controls) {
    QWidget* widget = window.View().Widget(control.id);
    ASSERT_NE(widget, nullptr) << control.id;
    EXPECT_EQ(widget->geometry(), gui::ToPixels(control.rect, units)) << control.id;
  }
  EXPECT_EQ(window.View().size(), gui::ToPixels({0, 0, 200, 100}, units).size());
  EXPECT_EQ(window.windowTitle(), "Panel");
}

TEST(GuiDialog, InputReachesTheModelAndTheModelRedrawsTheWidgets) {
  gui::QtUiServices services({});
  Panel panel(services);
  panel.Create();
  gui::DialogWindow window(panel);
  window.show();
  auto* run = qobject_cast<QPushButton*>(window.View().Widget(13));
  auto* twice = qobject_cast<QCheckBox*>(window.View().Widget(12));
  auto* name = qobject_cast<QLineEdit*>(window.View().Widget(11));
  run->click();
  EXPECT_EQ(panel.runs, 1);
  twice->click();
  EXPECT_EQ(panel.IsDlgButtonChecked(12), 1);
  run->click();
  EXPECT_EQ(panel.runs, 3);
  name->setText("typed");
  emit name->textEdited("typed");
  EXPECT_EQ(panel.GetDlgItemText(11), "typed");
  panel.SetDlgItemText(11, "from the model");
  panel.ShowItem(13, false);
  EXPECT_EQ(name->text(), "from the model");
  EXPECT_TRUE(run->isHidden());
}

TEST(GuiDialog, EveryWindowCarriesTheProgramIcon) {
  testing_support::TempFolder empty;
  EXPECT_FALSE(gui::InstallProgramIcon(empty.Path()));  // no icon file: the desktop's default
  ASSERT_TRUE(gui::InstallProgramIcon(GRELT_DATA_DIR));
  gui::QtUiServices services({});
  Panel panel(services);
  panel.Create();
  gui::DialogWindow window(panel);
  const QIcon icon = window.windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.cacheKey(), QApplication::windowIcon().cacheKey());
  EXPECT_EQ(icon.availableSizes().value(0), QSize(256, 256));
  QMessageBox box;
  EXPECT_EQ(box.windowIcon().cacheKey(), icon.cacheKey());
}

TEST(GuiDialog, TheDialogMovesTheKeyboardFocus) {
  ShownPanel shown(13);  // focus put before the window opens: it opens with the keyboard there
  EXPECT_TRUE(shown.Widget(13)->hasFocus());
  shown.panel.SetFocus(11);
  EXPECT_TRUE(shown.Widget(11)->hasFocus());
  shown.panel.NextDlgCtrl();  // what the pages do instead of injecting Tab
  EXPECT_TRUE(shown.Widget(12)->hasFocus());
}

// Sends a key press where a person's key goes: to the widget that has the keyboard focus.
void PressKeyOnFocus(int key) {
  QWidget* target = QApplication::focusWidget();
  ASSERT_NE(target, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QApplication::processEvents();
}

TEST(GuiDialog, EnterPressesTheFocusedButtonOrElseTheDefaultOne) {
  ShownPanel shown;
  Panel& panel = shown.panel;
  auto* ok = qobject_cast<QPushButton*>(shown.Widget(ui::IDOK));
  auto* run = qobject_cast<QPushButton*>(shown.Widget(13));
  EXPECT_TRUE(ok->isDefault());  // drawn as the one Enter presses
  EXPECT_FALSE(run->isDefault());
  panel.SetFocus(13);
  PressKeyOnFocus(Qt::Key_Return);
  EXPECT_EQ(panel.runs, 1);
  EXPECT_FALSE(panel.IsEnded());
  panel.SetFocus(11);
  PressKeyOnFocus(Qt::Key_Enter);
  EXPECT_EQ(panel.runs, 1);
  EXPECT_TRUE(panel.IsEnded());
  EXPECT_EQ(panel.Result(), ui::IDOK);
}

// True when the window, as drawn, has the focus colour all round this control, just outside it.
bool FramedInPicture(QWidget& window, const QWidget& control) {
  const QImage picture = window.grab().toImage();
  const QRect box(control.mapTo(&window, QPoint(0, 0)), control.size());
  const QRect ring = box.adjusted(-1, -1, 1, 1);  // the pixels next to the control's edges
  const QPoint middle = box.center();
  for (const QPoint& at : {QPoint(ring.left(), middle.y()), QPoint(ring.right(), middle.y()),
                           QPoint(middle.x(), ring.top()), QPoint(middle.x(), ring.bottom())}) {
    if (picture.pixelColor(at) != gui::kFocusFrameColour) return false;
  }
  return true;
}

TEST(GuiDialog, AFrameShowsWhereTheKeyboardIsAndFollowsTab) {
  ShownPanel shown(11);
  const std::vector<int> tabOrder{11, 12, 13, ui::IDOK, ui::IDCANCEL};
  for (std::size_t step = 0; step < tabOrder.size(); ++step) {
    for (const int id : tabOrder) {
      EXPECT_EQ(FramedInPicture(shown.Window(), *shown.Widget(id)), id == tabOrder[step])
          << "step " << step << ", control " << id;
    }
    PressKeyOnFocus(Qt::Key_Tab);
  }
}

// The information tool's window: the keyboard starts in the bytes, framed; Enter presses Close
// and Escape closes it.
TEST(GuiInfoTool, TheKeyboardAloneReadsAndClosesTheWindow) {
  nvram_files::ImageSummary summary;
  summary.fileSize = 65536;
  summary.serialNumber = "LVXR998350";
  const std::vector<std::uint8_t> image(65536, 0xFF);
  for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
    nvram_info::InfoWindow window("/tmp/old.bin", summary, image);
    window.show();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
    QWidget* hex = window.findChild<QWidget*>("hex-view");
    ASSERT_NE(hex, nullptr);
    EXPECT_TRUE(hex->hasFocus());
    EXPECT_TRUE(FramedInPicture(window, *hex));
    PressKeyOnFocus(Qt::Key_PageDown);  // the bytes scroll and the window stays
    EXPECT_TRUE(window.isVisible());
    PressKeyOnFocus(key);
    EXPECT_FALSE(window.isVisible()) << key;
    EXPECT_EQ(window.result(), key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted);
  }
}

// Typing into a page's widgets: a full MAC field hands the keyboard focus on, and a row that a
// page moves up stands where the page put it.
TEST(GuiDialog, PagesMoveTheFocusAndTheirRowsInTheWindow) {
  gui::QtUiServices services({});
  const menu::MenuFiles catalogue(services, std::string(GRELT_DATA_DIR) + "/Service");
  operations::OperationRequest request;
  request.itemNumber = 10220;
  auto mac = ui::ProgramPages().MakePage(ui::kMacTemplate, {services, catalogue});
  mac->Create();
  mac->AttachRequest(request);
  gui::DialogWindow window(*mac);
  window.show();
  QApplication::setActiveWindow(&window);
  QApplication::processEvents();
  // Typing on runs on through the fields, and stops at the last: nothing typed is lost.
  mac->SetFocus(ui::kMacEditIds[3]);
  for (const char key : std::string("2D2005AB")) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key(QChar(key).unicode()), Qt::NoModifier,
                    QString(QChar(key)));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
  }
  EXPECT_EQ(mac->GetDlgItemText(ui::kMacEditIds[3]), "2D");
  EXPECT_EQ(mac->GetDlgItemText(ui::kMacEditIds[4]), "20");
  EXPECT_EQ(mac->GetDlgItemText(ui::kMacEditIds[5]), "05");  // "AB" finds the last field full
  EXPECT_TRUE(window.View().Widget(ui::kMacEditIds[5])->hasFocus());
  // The fixed prefix is no tab stop: Tab from the last field and back never lands in it.
  for (int id : {ui::kMacEditIds[0], ui::kMacEditIds[1], ui::kMacEditIds[2]})
    EXPECT_EQ(window.View().Widget(id)->focusPolicy(), Qt::ClickFocus) << id;
  EXPECT_EQ(window.View().Widget(ui::kMacEditIds[3])->focusPolicy(), Qt::StrongFocus);

  request.itemNumber = 10340;
  auto heights = ui::ProgramPages().MakePage(ui::kMeasuredTemplate, {services, catalogue});
  heights->Create();
  gui::DialogWindow heightWindow(*heights);
  heightWindow.show();
  heights->AttachRequest(request);
  QApplication::processEvents();
  EXPECT_EQ(heightWindow.View().Widget(ui::kMeasuredEditIds[3])->y(),
            gui::ToPixels(heights->Item(ui::kMeasuredEditIds[1]).rect, heightWindow.View().Units()).y());
}

TEST(GuiDialog, ARunModalDialogEndsWhenTheModelEnds) {
  gui::QtUiServices services({});
  ui::CMessageDlg dialog(services, {});
  QTimer::singleShot(20, [&dialog] { dialog.KeyDown(ui::kKeyEnter); });
  EXPECT_EQ(dialog.Show("Done.", 0), ui::IDOK);
  QTimer::singleShot(20, [&dialog] {
    dialog.KeyDown(ui::kKeyEnter);  // ignored in mode 2
    QTimer::singleShot(20, [&dialog] { dialog.Click(ui::IDCANCEL); });
  });
  EXPECT_EQ(dialog.Show("Paper jam.", 2), ui::IDCANCEL);
}

TEST(GuiDialog, EnterNeverAnswersTheMessageDialogThatOnlyOffersNg) {
  gui::QtUiServices services({});
  ui::CMessageDlg dialog(services, {});
  bool endedByEnter = true;
  std::string focused;
  QTimer::singleShot(50, [&] {
    QWidget* window = QApplication::activeModalWidget();
    ASSERT_NE(window, nullptr);
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
    // The key goes where a person's key would: to the focused widget, the visible NG button.
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
    if (auto* button = qobject_cast<QPushButton*>(target)) focused = button->text().toStdString();
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(target, &press);
    }
    endedByEnter = dialog.IsEnded();
    dialog.Click(ui::IDCANCEL);
  });
  EXPECT_EQ(dialog.Show("Paper jam.", 2), ui::IDCANCEL);
  EXPECT_EQ(focused, "NG");
  EXPECT_FALSE(endedByEnter);
}

const ui::DialogTemplate kHost{
    911, "Host", 300, 200, {{6002, ControlKind::Static, "", {110, 60, 180, 1}, ui::kEtched}}};
const ui::DialogTemplate kPage{912, "", 120, 60, {{1, ControlKind::Edit, "", {5, 5, 60, 12}}}};

class Host : public ui::TStackedDialog {
public:
  explicit Host(ui::UiServices& services) : TStackedDialog(6002, kHost, services) {}

protected:
  std::unique_ptr<ui::TStackedPage> CreatePage(int templateId) override {
    return templateId == kPage.id ? std::make_unique<ui::TStackedPage>(kPage, Services()) : nullptr;
  }
};

TEST(GuiDialog, PagesAppearAtThePlaceholderWhenShown) {
  gui::QtUiServices services({});
  Host host(services);
  host.Create();
  gui::DialogWindow window(host);
  window.show();
  const ui::CDialog* pageDialog = host.AddPage(kPage.id)->page.get();
  gui::DialogView* page = window.View().ChildView(pageDialog);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->pos(), gui::ToPixels({110, 60, 0, 0}, window.View().Units()).topLeft());
  EXPECT_FALSE(page->isVisible());
  host.ShowPage(kPage.id);
  EXPECT_TRUE(page->isVisible());
  host.ShowPage(0);
  EXPECT_FALSE(page->isVisible());
  host.RemoveAllPages();
  EXPECT_EQ(window.View().ChildView(pageDialog), nullptr);
}

TEST(GuiDialog, APageMadeBeforeTheWindowIsShownInIt) {
  // As when a dialog selects its first item while it initialises, before it has a window.
  gui::QtUiServices services({});
  Host host(services);
  host.Create();
  const ui::CDialog* pageDialog = host.AddPage(kPage.id)->page.get();
  host.ShowPage(kPage.id);
  gui::DialogWindow window(host);
  window.show();
  gui::DialogView* page = window.View().ChildView(pageDialog);
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->isVisible());
}

// A table shows its headings and cells (line breaks of a cell kept), and shows them afresh when
// the dialog gives it fewer rows.
TEST(GuiDialog, ATableShowsTheRowsTheDialogGivesIt) {
  const ui::DialogTemplate layout{
      911, "Table", 200, 100, {{20, ControlKind::Table, "", {5, 5, 190, 90}}}};
  gui::QtUiServices services({});
  ui::CDialog dialog(layout, services);
  dialog.Create();
  gui::DialogWindow window(dialog);
  auto* table = qobject_cast<QTableWidget*>(window.View().Widget(20));
  ASSERT_NE(table, nullptr);
  dialog.ChangeItem(20, [](ui::ControlState& c) {
    c.items = {"Time", "Messages"};
    c.rows = {{"10:00", "First\r\nSecond"}, {"09:00", ""}};
  });
  ASSERT_EQ(table->columnCount(), 2);
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->horizontalHeaderItem(1)->text(), "Messages");
  EXPECT_EQ(table->item(0, 1)->text(), "First\nSecond");
  EXPECT_EQ(table->item(1, 0)->text(), "09:00");
  EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
  dialog.ChangeItem(20, [](ui::ControlState& c) { c.rows = {{"11:00", "Third"}}; });
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->item(0, 1)->text(), "Third");

  // A row of one cell spans the table; its long text wraps into a taller row.
  const std::string longText(40, 'x');
  dialog.ChangeItem(20, [&](ui::ControlState& c) {
    c.rows = {{"11:00", "Fourth"}, {longText + " " + longText + " " + longText}, {"Short"}};
  });
  ASSERT_EQ(table->rowCount(), 3);
  EXPECT_EQ(table->columnSpan(1, 0), 2);
  EXPECT_EQ(table->item(1, 0)->text().size(), 122);
  EXPECT_GT(table->rowHeight(1), 2 * table->rowHeight(2));
  EXPECT_EQ(table->columnSpan(0, 0), 1);
}

// Every bar is drawn in the colour of its own judgement, on a scale of its own: values a
// thousandfold apart, far outside or without an upper limit all show. The saved file is that
// picture.
TEST(GuiChart, EachBarTakesTheColourOfItsJudgement) {
  const ui::Chart chart{"CR motor load",
                        "Failed: -983",
                        {{"Current_H", 300, 250, 350, true},
                         {"aveTi_L", 3902, 2000, 2808, false},
                         {"Fuka_kc", -50000, 10, 20, false},
                         {"Run 2", 3771, 3556, std::nullopt, true},
                         {"Run 3", 1000, 3556, std::nullopt, false}}};
  const QImage image = gui::DrawChart(chart);
  for (int i = 0; i < static_cast<int>(chart.bars.size()); ++i) {
    const QColor expected =
        chart.bars[static_cast<std::size_t>(i)].passed ? gui::kPassedColour : gui::kFailedColour;
    EXPECT_EQ(image.pixelColor(gui::BarCentre(chart, i)), expected) << i;
  }
  gui::QtUiServices services({});
  testing_support::TempFolder folder;
  const std::string path = folder / "chart.png";
  std::string error;
  ASSERT_TRUE(services.SaveChart(chart, path, &error)) << error;
  EXPECT_EQ(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32), image);
  EXPECT_FALSE(services.SaveChart(chart, folder / "missing/chart.png", &error));
  EXPECT_NE(error.find("missing/chart.png"), std::string::npos) << error;
}

TEST(GuiServices, AWorkersMessageBoxIsAnsweredAndTheWorkerResumes) {
  gui::QtUiServices services({});
  std::atomic<int> answer{0};
  std::atomic<bool> finished{false};
  AnswerNextMessageBox(QMessageBox::No);
  std::thread worker([&] {
    answer = services.MessageBox("Go on?", ui::kApplicationTitle, ui::kYesNo | ui::kIconWarning);
    finished = true;
  });
  const bool resumed = SpinUntil([&] { return finished.load(); });
  worker.join();
  EXPECT_TRUE(resumed);
  EXPECT_EQ(answer, ui::kAnswerNo);
}

TEST(GuiServices, AMessageBoxOnTheGuiThreadDoesNotDeadlock) {
  gui::QtUiServices services({});
  AnswerNextMessageBox(QMessageBox::Ok);
  EXPECT_EQ(services.MessageBox("Done.", ui::kApplicationTitle, ui::kOk), ui::kAnswerOk);
}

TEST(GuiServices, WaitAndProgressDialogsFollowAWorker) {
  gui::QtUiServices services({});
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    services.ShowWaitDialog("Checking");
    services.ShowWaitDialog("Printing");
    services.CloseWaitDialog();
    services.ShowProgressDialog("Reading", 0x7EEA47, 0, 512);
    for (int position = 0; position <= 512; position += 128) services.SetProgress(position);
    services.CloseProgressDialog();
    finished = true;
  });
  EXPECT_TRUE(SpinUntil([&] { return finished.load(); }));
  worker.join();
  QApplication::processEvents();
  EXPECT_TRUE(QApplication::topLevelWidgets().empty() ||
              std::none_of(QApplication::topLevelWidgets().begin(),
                           QApplication::topLevelWidgets().end(),
                           [](QWidget* w) { return w->isVisible(); }));
}

TEST(GuiServices, FileDialogsStartInTheProgramsFolders) {
  EXPECT_EQ(gui::StartingPath({"", "A_1.bin", "", "/prog"}), "/prog/A_1.bin");
  EXPECT_EQ(gui::StartingPath({"*", "*.PRN", "", "/prog/Prnfile"}), "/prog/Prnfile/*.PRN");
  EXPECT_EQ(gui::StartingPath({"*", "", "", "/prog"}), "/prog");
}

TEST(GuiServices, FileFiltersReadAsTheProgramWritesThem) {
  EXPECT_EQ(gui::ToQtFilter("All Files (*.PRN) | *.PRN"), "All Files (*.PRN)");
  EXPECT_EQ(gui::ToQtFilter("All Files (*.*)|*.*||"), "All Files (*.*)");
  EXPECT_EQ(gui::ToQtFilter("Firmware|*.UPG|Any|*.*"), "Firmware (*.UPG);;Any (*.*)");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  gui::EnsureRuntimeFolder();
  QApplication application(argc, argv);
  gui::ShowKeyboardFocus(application);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
