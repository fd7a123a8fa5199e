// The desktop program end to end, offscreen: the start screen opens the service menu, a click on
// a tree item reads the item's values from a virtual printer, and closing the windows ends it.

#include <gtest/gtest.h>

#include <QAbstractButton>
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
#include "platform/clock.h"
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

// The desktop program on a scratch program folder with the shipped files and a virtual printer
// on port 11, its MAC address 00 26 AB 01 02 03; with newBoard its main board is a new one,
// without a serial number. Waits of the program and the printer pass on a fake clock, at once.
class Desktop {
public:
  explicit Desktop(bool newBoard = false) {
    std::filesystem::copy(GRELT_DATA_DIR, program_.Path(),
                          std::filesystem::copy_options::recursive);
    vprinter::RegisterVirtualPrinters();
    platform::Registry registry(platform::Registry::DefaultRoot(program_.Path()));
    driver::DeviceDirectory devices(registry);
    std::string error;
    const auto info = vprinter::AttachVirtualPrinter(devices, program_.Path(), "LW", "lw", 11,
                                                     clock_, &error, newBoard);
    EXPECT_TRUE(info) << error;
    if (info)
      std::static_pointer_cast<vprinter::VirtualPrinter>(devices.FindByLink(info->attachment.link))
          ->WriteNvram(114, {0x00, 0x26, 0xAB, 0x01, 0x02, 0x03});
    driver::DeviceDirectory::ForgetConnections();
  }
  ~Desktop() { driver::DeviceDirectory::ForgetConnections(); }

  // Runs start-up and the start screen until it closes; false, as the program then ends.
  bool Run() { return application_.InitInstance(); }

private:
  testing_support::TempFolder program_;
  platform::FakeClock clock_;
  gui::QtUiServices services_{{}};
  app::CGrelt02App application_{services_, program_.Path(), clock_};
};

TEST(GuiDesktop, TheStartScreenOpensTheServiceMenuWhichReadsThePrinter) {
  Desktop desktop;
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
  EXPECT_FALSE(desktop.Run());
  EXPECT_TRUE(startClosed);
  EXPECT_EQ(shown, (std::vector<int>{0x00, 0x26, 0xAB, 0x01, 0x02, 0x03}));
  EXPECT_EQ(title, "MAC address");
}

// Opens the main-menu entry of the start screen on a prepared program folder and hands its
// service dialog, active, to `work`; then closes both windows and ends the program.
void InServiceMenu(const QString& entry, const std::function<void(gui::DialogWindow&)>& work) {
  Desktop desktop;
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
  desktop.Run();
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
    // The page is a view of its own inside the window's view.
    QWidget* focused = QApplication::focusWidget();
    tabEnteredThePage = focused != nullptr && focused->parentWidget() != &main.View() &&
                        dynamic_cast<gui::DialogView*>(focused->parentWidget()) != nullptr;
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

// What has the keyboard, as a person sees it: a button's text, or the kind of control.
std::string Focused() {
  QWidget* widget = QApplication::focusWidget();
  if (widget == nullptr) return "(nothing)";
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
  return widget->metaObject()->className();
}

// Types text into the focused control, key by key.
void Type(const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
  }
}

// Runs the event loop until the service dialog's run is over and its status line says how it
// went (five seconds at most), then gives the keyboard back to the window, as the desktop does
// when the run's message boxes have closed.
void WaitForRun(gui::DialogWindow& window) {
  const auto& dialog = dynamic_cast<const ui::CSvcDlgMain&>(window.View().Dialog());
  const auto over = [&dialog] {
    return !dialog.Request().workerRunning &&
           !dialog.GetDlgItemText(ui::kStatusLineId).ends_with("running...");
  };
  QElapsedTimer timer;
  timer.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (!over() && timer.elapsed() < 5000);
  QApplication::setActiveWindow(&window);
  QApplication::processEvents();
}

// Once the window of this template is up, inside whatever modal loop opened it, makes it the
// active window and hands it to `work`.
void WhenWindowOpens(int templateId, std::function<void(gui::DialogWindow&)> work) {
  QTimer::singleShot(0, [templateId, work = std::move(work)] {
    gui::DialogWindow* window = WaitForWindow(templateId);
    ASSERT_NE(window, nullptr);
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
    work(*window);
  });
}

// Answers every message box that opens with one key, pressed where a person's key goes, and
// keeps what the boxes said.
class AnswerBoxesWith {
public:
  explicit AnswerBoxesWith(int key) {
    timer_.callOnTimeout([this, key] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      texts.push_back(box->text().toStdString());
      QApplication::setActiveWindow(box);
      PressKey(key);
    });
    timer_.start(5);
  }
  std::vector<std::string> texts;

private:
  QTimer timer_;
};

// A technician's walk with the keyboard alone, from the start screen to a serial number written
// and read back, and out again: every key below is one a person presses.
TEST(GuiDesktop, TheKeyboardAloneWritesAndChecksASerialNumber) {
  Desktop desktop(true);
  std::vector<std::string> trail;
  std::vector<std::string> status;
  bool closedFromThePage = false;
  AnswerBoxesWith enter(Qt::Key_Return);
  WhenWindowOpens(ui::kStartScreenTemplate, [&](gui::DialogWindow& start) {
    trail.push_back(Focused());
    PressKey(Qt::Key_Tab);
    trail.push_back(Focused());
    WhenWindowOpens(ui::kMainDialogTemplate, [&](gui::DialogWindow& main) {
      auto& dialog = dynamic_cast<ui::CSvcDlgMain&>(main.View().Dialog());
      trail.push_back(Focused());
      PressKey(Qt::Key_Down);  // the group "Identity"
      PressKey(Qt::Key_Down);
      trail.push_back(dialog.GetDlgItemText(ui::kItemTitleId));
      PressKey(Qt::Key_Return);  // no default button here: nothing happens, the menu stays
      trail.push_back(Focused());
      PressKey(Qt::Key_Tab);
      trail.push_back(Focused());
      Type("LVXR000001");
      PressKey(Qt::Key_Tab);
      PressKey(Qt::Key_Tab);
      trail.push_back(Focused());
      PressKey(Qt::Key_Return);
      WaitForRun(main);
      status.push_back(dialog.GetDlgItemText(ui::kStatusLineId));
      PressKey(Qt::Key_Backtab);
      trail.push_back(Focused());
      PressKey(Qt::Key_Return);
      WaitForRun(main);
      status.push_back(dialog.GetDlgItemText(ui::kStatusLineId));
      // Back in the page's box, Enter does nothing and Escape closes the whole window.
      PressKey(Qt::Key_Backtab);
      PressKey(Qt::Key_Return);
      trail.push_back(Focused());
      PressKey(Qt::Key_Escape);
      QApplication::processEvents();
      closedFromThePage = !main.isVisible();
      if (!closedFromThePage) main.close();
    });
    PressKey(Qt::Key_Return);
    QApplication::setActiveWindow(&start);  // as the desktop gives the keyboard back
    QApplication::processEvents();
    trail.push_back(Focused());
    PressKey(Qt::Key_Escape);
  });
  EXPECT_FALSE(desktop.Run());
  EXPECT_EQ(trail,
            (std::vector<std::string>{"NVRAM Backup", "Adjustment and Service", "QTreeWidget",
                                      "Serial number", "QTreeWidget", "QLineEdit", "Write", "Check",
                                      "QLineEdit", "Adjustment and Service"}));
  EXPECT_TRUE(closedFromThePage);
  ASSERT_EQ(enter.texts.size(), 2u);  // the question, then the result
  EXPECT_EQ(enter.texts[1], "The value has been written and checked.");
  EXPECT_EQ(status,
            (std::vector<std::string>{"Write finished: The value has been written and checked.",
                                      "Check finished"}));
}

// The tree picture of a step of the guided walk: ticked once the step is done.
int StepImage(const ui::CDialog& dialog, const std::string& step) {
  const ui::TreeItems& tree = dialog.Item(ui::kMenuTreeId).tree;
  for (int handle = 1; handle <= static_cast<int>(tree.Size()); ++handle) {
    if (tree.Find(handle)->text == step) return tree.Find(handle)->image;
  }
  return -1;
}

// The guided walk with the keyboard alone: down the tree to a part, Tab to Record, Enter, Enter
// on the question and on the result, Tab to Next, Enter: the part is ticked and the walk goes on
// to the next part.
TEST(GuiDesktop, TheKeyboardAloneRecordsAPartAndWalksOn) {
  Desktop desktop;
  std::vector<std::string> trail;
  int imageBefore = -1;
  int imageAfter = -1;
  AnswerBoxesWith enter(Qt::Key_Return);
  WhenWindowOpens(ui::kStartScreenTemplate, [&](gui::DialogWindow& start) {
    PressKey(Qt::Key_Tab);
    PressKey(Qt::Key_Tab);
    trail.push_back(Focused());
    WhenWindowOpens(ui::kMainDialogTemplate, [&](gui::DialogWindow& main) {
      auto& dialog = dynamic_cast<ui::CSvcDlgMain&>(main.View().Dialog());
      // Before you start, Switch off, Open the covers, Motors, CR motor.
      for (int step = 0; step < 5; ++step) PressKey(Qt::Key_Down);
      trail.push_back(dialog.GetDlgItemText(ui::kItemTitleId));
      imageBefore = StepImage(dialog, "CR motor");
      PressKey(Qt::Key_Tab);
      trail.push_back(Focused());
      PressKey(Qt::Key_Return);
      WaitForRun(main);
      trail.push_back(Focused());
      PressKey(Qt::Key_Tab);
      PressKey(Qt::Key_Tab);
      trail.push_back(Focused());
      PressKey(Qt::Key_Return);
      trail.push_back(dialog.GetDlgItemText(ui::kItemTitleId));
      imageAfter = StepImage(dialog, "CR motor");
      PressKey(Qt::Key_Escape);
    });
    PressKey(Qt::Key_Return);
    QApplication::setActiveWindow(&start);
    QApplication::processEvents();
    PressKey(Qt::Key_Escape);
  });
  EXPECT_FALSE(desktop.Run());
  EXPECT_EQ(trail, (std::vector<std::string>{"Parts Exchange", "CR motor", "Record", "Record",
                                             "Next", "PF motor"}));
  EXPECT_EQ(enter.texts.size(), 2u);  // the question and the result
  EXPECT_NE(imageAfter, imageBefore);
}

}  // namespace
