#include "ui/picture_dlg.h"

#include "ui/template_ids.h"

namespace ui {

int HimetricToPixels(int himetric, int pixelsPerInch) {
  return static_cast<int>((static_cast<long long>(pixelsPerInch) * himetric + 1270) / 2540);
}

CSvcDlgPicture::CSvcDlgPicture(UiServices& ui) : CDialog(kPictureTemplate, ui) {}

bool CSvcDlgPicture::Open(const std::string& path, const std::string& caption) {
  path_ = path;
  caption_ = caption;
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
  MoveWindow({(screen.width - width) / 2, (screen.maximizedHeight - height) / 2, width, height});
  ChangeItem(kPictureAreaId, [&](ControlState& c) {
    c.picturePath = path_;
    c.pixelRect = PixelRect{0, 0, width, height};
  });
  return true;
}

}  // namespace ui
