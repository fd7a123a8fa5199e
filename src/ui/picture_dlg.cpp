#include "ui/picture_dlg.h"

#include <algorithm>

#include "ui/template_ids.h"

namespace ui {

int HimetricToPixels(int himetric, int pixelsPerInch) {
  return static_cast<int>((static_cast<long long>(pixelsPerInch) * himetric + 1270) / 2540);
}

CSvcDlgPicture::CSvcDlgPicture(UiServices& ui) : CDialog(kPictureTemplate, ui) {}

bool CSvcDlgPicture::Open(const std::string& path, const std::string& caption, PictureFit fit) {
  path_ = path;
  caption_ = caption;
  fit_ = fit;
  return CreateModeless();
}

bool CSvcDlgPicture::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(caption_);
  const std::optional<PictureSize> size = Services().LoadPictureSize(path_);
  hasPicture_ = size.has_value() && size->width > 0 && size->height > 0;
  if (!hasPicture_) {
    SetDlgItemText(kPictureAreaId, "This picture cannot be shown:\n" + path_);
    return true;
  }
  const ScreenMetrics screen = Services().Screen();
  const int width = HimetricToPixels(size->width, screen.pixelsPerInch);
  const int height = HimetricToPixels(size->height, screen.pixelsPerInch);
  if (fit_ == PictureFit::WholeInWindow) {
    FitWhole(width, height, screen);
    return true;
  }
  MoveWindow({(screen.width - width) / 2, (screen.maximizedHeight - height) / 2, width, height});
  ChangeItem(kPictureAreaId, [&](ControlState& c) {
    c.picturePath = path_;
    c.pixelRect = PixelRect{0, 0, width, height};
  });
  return true;
}

void CSvcDlgPicture::FitWhole(int width, int height, const ScreenMetrics& screen) {
  constexpr int kMargin = 40;       // room for the window frame and the desktop around it
  constexpr int kButtonStrip = 40;  // below the picture
  constexpr int kButtonWidth = 90;
  constexpr int kButtonHeight = 26;
  const double room = std::min({1.0, double(screen.width - kMargin) / width,
                                double(screen.maximizedHeight - kMargin - kButtonStrip) / height});
  const int shownWidth = std::max(1, static_cast<int>(width * room));
  const int shownHeight = std::max(1, static_cast<int>(height * room));
  const int windowWidth = std::max(shownWidth, kButtonWidth + 20);
  const int windowHeight = shownHeight + kButtonStrip;
  MoveWindow({(screen.width - windowWidth) / 2, (screen.maximizedHeight - windowHeight) / 2,
              windowWidth, windowHeight});
  ChangeItem(kPictureAreaId, [&](ControlState& c) {
    c.picturePath = path_;
    c.pixelRect = PixelRect{(windowWidth - shownWidth) / 2, 0, shownWidth, shownHeight};
  });
  ChangeItem(IDOK, [&](ControlState& c) {
    c.pixelRect =
        PixelRect{(windowWidth - kButtonWidth) / 2,
                  shownHeight + (kButtonStrip - kButtonHeight) / 2, kButtonWidth, kButtonHeight};
  });
}

}  // namespace ui
