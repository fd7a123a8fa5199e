#include "gui/program_icon.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

namespace gui {

bool InstallProgramIcon(const std::string& programFolder) {
  QPixmap picture;
  if (!picture.load(QString::fromStdString(programFolder + "/" + kProgramIconFile))) return false;
  // Windows without an icon of their own take the application's.
  QApplication::setWindowIcon(QIcon(picture));
  return true;
}

}  // namespace gui
