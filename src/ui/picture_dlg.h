#pragma once
// The picture window: one picture file in a window of the picture's physical size on this
// screen, centred, or (a printout) the whole picture scaled to fit the screen with its button
// below it. Modeless; several may be open at once.

#include <string>

#include "ui/dialog.h"
#include "ui_services/ui_services.h"

namespace ui {

// Pixels for a length in hundredths of a millimetre, half a pixel rounding up.
int HimetricToPixels(int himetric, int pixelsPerInch);

class CSvcDlgPicture : public CDialog {
public:
  explicit CSvcDlgPicture(UiServices& ui);

  // Creates the window for the file, captioned, and shows it; false when it could not be made.
  bool Open(const std::string& path, const std::string& caption,
            PictureFit fit = PictureFit::PhysicalSize);

  const std::string& Path() const { return path_; }
  // False when the file could not be read as a picture: the window then keeps its template size
  // and says which file it could not show.
  bool HasPicture() const { return hasPicture_; }

protected:
  bool OnInitDialog() override;

private:
  // A printout's window: the picture scaled down (never up) to fit the screen's work area, the
  // button centred in a strip below it.
  void FitWhole(int width, int height, const ScreenMetrics& screen);

  PictureFit fit_ = PictureFit::PhysicalSize;
  std::string path_;
  std::string caption_;
  bool hasPicture_ = false;
};

}  // namespace ui
