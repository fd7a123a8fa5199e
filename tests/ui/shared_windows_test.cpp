// The message dialog, the picture window, the wait, progress and temperature dialogs, and the
// scripted host that stands in for the user.

#include <gtest/gtest.h>

#include "ui/message_dlg.h"
#include "ui/picture_dlg.h"
#include "ui/scripted_ui_services.h"
#include "ui/template_ids.h"
#include "ui/wait_dialogs.h"

namespace {

const ui::FontSpec kFont2{-16, 400, 0, 0, 0, 0, 0, 0, "DejaVu Sans"};

// Shows the message dialog with the scripted host and lets the user act in it.
int ShowMessage(ui::ScriptedUiServices& services, int mode,
                const std::function<void(ui::CDialog&)>& user) {
  ui::CMessageDlg dialog(services, kFont2);
  services.QueueDialogAction(user);
  return dialog.Show("Paper out.\nLoad paper.", mode);
}

TEST(MessageDialog, ModesChooseButtonsAndColour) {
  ui::ScriptedUiServices services;
  struct Look {
    bool ok, cancel;
    std::string cancelCaption;
    bool red;
  };
  const Look looks[] = {{true, false, "CANCEL", false},
                        {true, true, "CANCEL", false},
                        {false, true, "NG", true},
                        {true, true, "CANCEL", true}};
  for (int mode = 0; mode < 4; ++mode) {
    ShowMessage(services, mode, [&](ui::CDialog& d) {
      EXPECT_EQ(d.Item(ui::IDOK).visible, looks[mode].ok) << mode;
      EXPECT_EQ(d.Item(ui::IDCANCEL).visible, looks[mode].cancel) << mode;
      EXPECT_EQ(d.GetDlgItemText(ui::IDCANCEL), looks[mode].cancelCaption) << mode;
      EXPECT_EQ(d.GetDlgItemText(ui::kMessageTextId), "Paper out.\nLoad paper.");
      EXPECT_EQ(d.Item(ui::kMessageTextId).textColour.has_value(), looks[mode].red) << mode;
      EXPECT_EQ(d.Item(ui::kMessageTextId).font, kFont2);
      EXPECT_EQ(d.Caption(), "GRELT Message");
    });
  }
}

TEST(MessageDialog, EnterEndsWithOkExceptInModeTwo) {
  ui::ScriptedUiServices services;
  auto enter = [](ui::CDialog& d) { d.KeyDown(ui::kKeyEnter); };
  EXPECT_EQ(ShowMessage(services, 0, enter), ui::IDOK);
  EXPECT_EQ(ShowMessage(services, 0, [](ui::CDialog& d) { d.Click(ui::IDOK); }), ui::IDOK);
  EXPECT_EQ(ShowMessage(services, 1, enter), ui::IDOK);
  EXPECT_EQ(ShowMessage(services, 3, enter), ui::IDOK);
  // Mode 2: Enter leaves the dialog open; "NG" answers Cancel.
  EXPECT_EQ(ShowMessage(services, 2,
                        [](ui::CDialog& d) {
                          d.KeyDown(ui::kKeyEnter);
                          EXPECT_FALSE(d.IsEnded());
                          d.Click(ui::IDCANCEL);
                        }),
            ui::IDCANCEL);
  EXPECT_EQ(ShowMessage(services, 3, [](ui::CDialog& d) { d.KeyDown(ui::kKeyEscape); }),
            ui::IDCANCEL);
}

TEST(PictureWindow, TakesThePicturesPhysicalSizeCentredOnTheScreen) {
  EXPECT_EQ(ui::HimetricToPixels(10000, 96), 378);
  EXPECT_EQ(ui::HimetricToPixels(5000, 96), 189);
  EXPECT_EQ(ui::HimetricToPixels(1323, 96), 50);  // 49.99...: half a pixel rounds up

  ui::ScriptedUiServices services;
  services.SetPictureSize("/p/serial.jpg", {10000, 5000});
  services.SetScreen({96, 1920, 1080, 1040});
  ui::CSvcDlgPicture window(services);
  ASSERT_TRUE(window.Open("/p/serial.jpg", "Serial number"));
  EXPECT_TRUE(window.HasPicture());
  EXPECT_EQ(window.Caption(), "Serial number");
  EXPECT_TRUE(window.IsWindowVisible());
  EXPECT_EQ(window.WindowRect(), (ui::PixelRect{(1920 - 378) / 2, (1040 - 189) / 2, 378, 189}));
  EXPECT_EQ(window.Item(ui::kPictureAreaId).picturePath, "/p/serial.jpg");
  window.Click(ui::IDOK);
  EXPECT_TRUE(window.IsEnded());
}

// A printed page larger than the screen shows whole, scaled to the screen with its aspect kept,
// and its button stands below the picture, never on it; a small one is never blown up.
TEST(PictureWindow, APrintoutShowsWholeWithItsButtonBelow) {
  ui::ScriptedUiServices services;
  services.SetPictureSize("/p/page.png", {48680, 17990});  // 1840 x 680 pixels at 96 dpi
  services.SetScreen({96, 1280, 800, 760});
  ui::CSvcDlgPicture page(services);
  ASSERT_TRUE(
      page.Open("/p/page.png", "Nozzle check: page as sent", ui::PictureFit::WholeInWindow));
  const ui::PixelRect picture = *page.Item(ui::kPictureAreaId).pixelRect;
  const ui::PixelRect button = *page.Item(ui::IDOK).pixelRect;
  const ui::PixelRect window = *page.WindowRect();
  EXPECT_EQ(picture.width, 1240);  // the screen less its margin
  EXPECT_EQ(picture.height, 458);  // 680 at the same scale
  EXPECT_GE(button.y, picture.y + picture.height);
  EXPECT_LE(button.y + button.height, window.height);
  EXPECT_LE(window.width, 1280);
  EXPECT_LE(window.height, 760);
  EXPECT_EQ(button.x + button.width / 2, window.width / 2);

  services.SetPictureSize("/p/chart.png", {10000, 5000});  // 378 x 189: fits
  ui::CSvcDlgPicture chart(services);
  ASSERT_TRUE(chart.Open("/p/chart.png", "CR motor load", ui::PictureFit::WholeInWindow));
  EXPECT_EQ(chart.Item(ui::kPictureAreaId).pixelRect->width, 378);
  EXPECT_EQ(chart.Item(ui::kPictureAreaId).pixelRect->height, 189);
}

TEST(PictureWindow, AnUnreadablePictureSaysWhichFile) {
  ui::ScriptedUiServices services;
  ui::CSvcDlgPicture window(services);
  ASSERT_TRUE(window.Open("/p/missing.jpg", "Head ID"));
  EXPECT_FALSE(window.HasPicture());
  EXPECT_FALSE(window.WindowRect().has_value());  // the template's own size
  EXPECT_NE(window.GetDlgItemText(ui::kPictureAreaId).find("/p/missing.jpg"), std::string::npos);
}

TEST(ProgressDialog, BarKeepsWithinItsRange) {
  ui::ScriptedUiServices services;
  ui::CSvcDlgProgress progress(services);
  progress.Create();
  progress.SetText("Reading the NVRAM");
  progress.SetBar(0x7EEA47, 0, 512);
  progress.SetPosition(600);
  EXPECT_EQ(progress.Item(ui::kProgressBarId).position, 512);  // a full bar
  EXPECT_EQ(progress.Item(ui::kProgressBarId).barColour, 0x7EEA47u);
  EXPECT_EQ(progress.GetDlgItemText(ui::kProgressTextId), "Reading the NVRAM");
  ui::CSvcDlgWait wait(services);
  wait.Create();
  EXPECT_EQ(wait.GetDlgItemText(ui::kWaitTextId), "Checking");
}

TEST(TemperatureDialog, AcceptsFifteenToThirtyDegrees) {
  ui::ScriptedUiServices services;
  ui::CSvcDlgTemp dialog(services, 23.0);
  services.QueueDialogAction([&](ui::CDialog& d) {
    EXPECT_EQ(d.GetDlgItemText(ui::kTemperatureEditId), "23");
    d.EditText(ui::kTemperatureEditId, "31");
    d.KeyDown(ui::kKeyEnter);
    EXPECT_FALSE(d.IsEnded());
    d.EditText(ui::kTemperatureEditId, "24.5");
    d.KeyDown(ui::kKeyEnter);
  });
  EXPECT_EQ(dialog.DoModal(), ui::IDOK);
  EXPECT_DOUBLE_EQ(dialog.Temperature(), 24.5);
  // The bounds themselves are taken; just outside them is not.
  for (const char* bound : {"15.0", "30"}) {
    ui::CSvcDlgTemp edge(services, 23.0);
    services.QueueDialogAction([&](ui::CDialog& d) {
      d.EditText(ui::kTemperatureEditId, "14.9");
      d.KeyDown(ui::kKeyEnter);
      EXPECT_FALSE(d.IsEnded());
      d.EditText(ui::kTemperatureEditId, bound);
      d.KeyDown(ui::kKeyEnter);
    });
    EXPECT_EQ(edge.DoModal(), ui::IDOK) << bound;
    EXPECT_DOUBLE_EQ(edge.Temperature(), std::stod(bound));
  }
  const auto refused = services.Calls(ui::UiCallKind::MessageBox);
  ASSERT_EQ(refused.size(), 3u);  // 31, then 14.9 twice
  for (const auto& box : refused) EXPECT_EQ(box.text, "Please enter a number between 15 and 30.");
}

TEST(ScriptedHost, RecordsEveryCallInOrderWithItsAnswer) {
  ui::ScriptedUiServices services;
  services.QueueAnswer(ui::kAnswerNo);
  services.QueueFile(std::string("/tmp/a.PRN"));
  EXPECT_EQ(services.MessageBox("Go on?", "T", ui::kYesNo | ui::kIconInformation), ui::kAnswerNo);
  EXPECT_EQ(services.MessageBox("Done", "T", ui::kOk), ui::kAnswerOk);
  EXPECT_EQ(services.ShowMessageDialog("Jam", 2), ui::IDCANCEL);
  EXPECT_EQ(services.OpenFileDialog({"*", "*.PRN", "All Files (*.PRN) | *.PRN", "/tmp"}),
            "/tmp/a.PRN");
  EXPECT_EQ(services.SaveFileDialog({"*", "x.bin", "All Files (*.*)|*.*||", "/tmp"}), std::nullopt);
  services.ShowWaitDialog("Checking");
  services.CloseWaitDialog();
  double celsius = 20;
  EXPECT_FALSE(services.AskTemperature(celsius));
  std::vector<std::string> kinds;
  for (const ui::UiCall& call : services.Calls()) kinds.push_back(ui::KindName(call.kind));
  EXPECT_EQ(kinds,
            (std::vector<std::string>{"message-box", "message-box", "message-dialog", "open-file",
                                      "save-file", "wait", "wait-closed", "temperature"}));
  EXPECT_EQ(services.Calls()[0].style, ui::kYesNo | ui::kIconInformation);
  EXPECT_EQ(services.Calls()[0].answer, ui::kAnswerNo);
}

}  // namespace
