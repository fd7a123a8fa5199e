// The desktop program end to end, offscreen: the start screen opens the service menu, a click on
// a tree item reads the item's values from a virtual printer, and closing the windows ends it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

#include "app/grelt02_app.h"
#include "gui/dialog_view.h"
#include "gui/qt_ui_services.h"
#include "support/temp_folder.h"
#include "ui/svc_dlg_main.h"
#include "ui/template_ids.h"
#include "vprinter/attachment.h"
#include "vprinter/virtual_printer.h"

namespace {

// The visible top-level window of a dialog template, waiting up to five seconds for it.
gui::DialogWindow* WaitForWindow(int templateId) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < 5000) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* window = dynamic_cast<gui::DialogWindow*>(widget);
      if (window != nullptr && window->isVisible() &&
          window->View().Dialog().TemplateId() == templateId)
        return window;
    }
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return nullptr;
}

QPushButton* ButtonWithText(QWidget& window, const QString& text) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

// A program folder with the shipped files and a virtual printer on port 11, its MAC address
// 00 26 AB 01 02 03.
void PrepareProgramFolder(const testing_support::TempFolder& program) {
  std::filesystem::copy(GRELT_DATA_DIR, program.Path(), std::filesystem::copy_options::recursive);
  vprinter::RegisterVirtualPrinters();
  platform::Registry registry(platform::Registry::DefaultRoot(program.Path()));
  driver::DeviceDirectory devices(registry);
  std::string error;
  const auto info = vprinter::AttachVirtualPrinter(devices, program.Path(), "LW", "lw", 11,
                                                   platform::DefaultClock(), &error);
  ASSERT_TRUE(info) << error;
  std::static_pointer_cast<vprinter::VirtualPrinter>(devices.FindByLink(info->attachment.link))
      ->WriteNvram(114, {0x00, 0x26, 0xAB, 0x01, 0x02, 0x03});
  driver::DeviceDirectory::ForgetConnections();
}

TEST(GuiDesktop, TheStartScreenOpensTheServiceMenuWhichReadsThePrinter) {
  testing_support::TempFolder program;
  PrepareProgramFolder(program);

  gui::QtUiServices services({});
  app::CGrelt02App application(services, program.Path());
  std::vector<int> shown;
  QString title;
  bool startClosed = false;
  QTimer::singleShot(0, [&] {
    gui::DialogWindow* start = WaitForWindow(ui::kStartScreenTemplate);
    ASSERT_NE(start, nullptr);
    QPushButton* service = ButtonWithText(*start, "Adjustment and Service");
    ASSERT_NE(service, nullptr);
    // The main dialog runs modally inside the click; this looks at it while it is open.
    QTimer::singleShot(0, [&] {
      gui::DialogWindow* main = WaitForWindow(ui::kMainDialogTemplate);
      ASSERT_NE(main, nullptr);
      auto* tree = main->findChild<QTreeWidget*>();
      ASSERT_NE(tree, nullptr);
      const QList<QTreeWidgetItem*> found =
          tree->findItems("MAC address", Qt::MatchExactly | Qt::MatchRecursive);
      ASSERT_FALSE(found.empty());
      tree->setCurrentItem(found.front());
      QApplication::processEvents();
      const auto& dialog = dynamic_cast<const ui::CSvcDlgMain&>(main->View().Dialog());
      shown.assign(dialog.Request().shownValues.begin(), dialog.Request().shownValues.begin() + 6);
      title = static_cast<QLabel*>(main->View().Widget(ui::kItemTitleId))->text();
      main->close();
    });
    service->click();
    start->close();
    startClosed = true;
  });
  EXPECT_FALSE(application.InitInstance());
  EXPECT_TRUE(startClosed);
  EXPECT_EQ(shown, (std::vector<int>{0x00, 0x26, 0xAB, 0x01, 0x02, 0x03}));
  EXPECT_EQ(title, "MAC address");
  driver::DeviceDirectory::ForgetConnections();
}

// Opens the main-menu entry of the start screen on a prepared program folder and hands its
// service dialog, active, to `work`; then closes both windows and ends the program.
void InServiceMenu(const QString& entry, const std::function<void(gui::DialogWindow&)>& work) {
  testing_support::TempFolder program;
  PrepareProgramFolder(program);
  gui::QtUiServices services({});
  app::CGrelt02App application(services, program.Path());
  QTimer::singleShot(0, [&] {
    gui::DialogWindow* start = WaitForWindow(ui::kStartScreenTemplate);
    ASSERT_NE(start, nullptr);
    QTimer::singleShot(0, [&] {
      gui::DialogWindow* main = WaitForWindow(ui::kMainDialogTemplate);
      ASSERT_NE(main, nullptr);
      QApplication::setActiveWindow(main);
      work(*main);
      main->close();
    });
    ButtonWithText(*start, entry)->click();
    start->close();
  });
  application.InitInstance();
  driver::DeviceDirectory::ForgetConnections();
}

// The keyboard alone in the service menu: arrowing through the tree selects each item and keeps
// the keyboard in the tree, even onto an item whose page has an input box; Tab then goes into
// the page.
TEST(GuiDesktop, ArrowKeysWalkTheTreeAndTabEntersThePage) {
  std::vector<std::string> walked;
  bool treeKeptTheKeyboard = true;
  bool tabEnteredThePage = false;
  InServiceMenu("Adjustment and Service", [&](gui::DialogWindow& main) {
    auto* tree = main.findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0));  // the first group, "Identity"
    QApplication::processEvents();
    const auto& dialog = main.View().Dialog();
    for (int step = 0; step < 3; ++step) {
      QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
      QApplication::sendEvent(QApplication::focusWidget(), &down);
      QApplication::processEvents();
      walked.push_back(dialog.GetDlgItemText(ui::kItemTitleId));
      treeKeptTheKeyboard = treeKeptTheKeyboard && tree->hasFocus();
    }
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &tab);
    QApplication::processEvents();
    tabEnteredThePage = !tree->hasFocus() &&
                        main.View().Widget(ui::kPagePlaceholderId) != nullptr &&
                        QApplication::focusWidget() != nullptr;
  });
  EXPECT_EQ(walked, (std::vector<std::string>{"Serial number", "Head ID", "MAC address"}));
  EXPECT_TRUE(treeKeptTheKeyboard);
  EXPECT_TRUE(tabEnteredThePage);
}

// Presses a key where a person's key goes: at the focused widget of the active window.
void PressKey(int key) {
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) target = QApplication::activeWindow();
  ASSERT_NE(target, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

// The guided walk by keyboard: Enter on Record asks; Escape answers Cancel, records nothing,
// keeps the step and gives the keyboard back to Record, so that the next Enter asks again.
TEST(GuiDesktop, EscapeOnTheGuidedQuestionKeepsTheStepAndTheFocus) {
  std::vector<std::string> questions;
  std::string stepAfter;
  std::string focusAfter;
  InServiceMenu("Parts Exchange", [&](gui::DialogWindow& main) {
    auto* tree = main.findChild<QTreeWidget*>();
    const QList<QTreeWidgetItem*> found =
        tree->findItems("CR motor", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.empty());
    tree->setCurrentItem(found.front());
    QApplication::processEvents();
    auto& dialog = dynamic_cast<ui::CSvcDlgMain&>(main.View().Dialog());
    main.View().Widget(ui::kInputButtonId)->setFocus();
    for (int round = 0; round < 2; ++round) {
      // Answers the question by Escape once it is up (inside the box's own event loop).
      auto* poll = new QTimer(qApp);
      QObject::connect(poll, &QTimer::timeout, [poll, &questions] {
        // The service dialog is modal itself: wait for the question's own box.
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        poll->stop();
        poll->deleteLater();
        questions.push_back(box->windowTitle().toStdString());
        QApplication::setActiveWindow(box);
        PressKey(Qt::Key_Escape);
      });
      poll->start(5);
      PressKey(Qt::Key_Return);
      QElapsedTimer timer;
      timer.start();
      while ((dialog.Request().workerRunning || questions.size() < std::size_t(round + 1)) &&
             timer.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
      QApplication::setActiveWindow(&main);
      QApplication::processEvents();
    }
    stepAfter = dialog.GetDlgItemText(ui::kItemTitleId);
    if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget()))
      focusAfter = button->text().toStdString();
  });
  EXPECT_EQ(questions.size(), 2u);  // asked again: the second Enter was Record again
  EXPECT_EQ(stepAfter, "CR motor");
  EXPECT_EQ(focusAfter, "Record");
}

}  // namespace
