#include "gui/qt_ui_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <utility>

#include "gui/chart_painter.h"
#include "gui/dialog_view.h"
#include "ui/message_dlg.h"
#include "ui/picture_dlg.h"
#include "ui/wait_dialogs.h"

namespace gui {
namespace {

bool OnGuiThread() { return QThread::currentThread() == qApp->thread(); }

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & ui::kIconMask) {
    case ui::kIconError: return QMessageBox::Critical;
    case ui::kIconQuestion: return QMessageBox::Question;
    case ui::kIconWarning: return QMessageBox::Warning;
    case ui::kIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

QString ToQtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString label = parts[i].trimmed();
    const QString pattern = parts[i + 1].trimmed();
    if (label.isEmpty()) continue;
    filters << (label.contains('(') ? label : QString("%1 (%2)").arg(label, pattern));
  }
  return filters.join(";;");
}

QString StartingPath(const ui::FileDialogRequest& request) {
  if (request.folder.empty()) return QString::fromStdString(request.initialName);
  return QDir(QString::fromStdString(request.folder))
      .filePath(QString::fromStdString(request.initialName));
}

template <typename Work>
auto QtUiServices::OnGui(Work work) -> decltype(work()) {
  if (OnGuiThread()) return work();
  using Result = decltype(work());
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

QtUiServices::QtUiServices(ui::FontSpec messageFont) : messageFont_(std::move(messageFont)) {}

QtUiServices::~QtUiServices() {
  for (auto& [dialog, window] : modeless_) delete window;
}

QtUiServices::UnattendedDraw QtUiServices::SetUnattended(UnattendedDraw draw) {
  return std::exchange(unattended_, std::move(draw));
}

QtUiServices::UnattendedDraw QtUiServices::DrawInto(std::string folder) {
  return [folder = std::move(folder), drawn = 0](QWidget& window, int templateId) mutable {
    QDir().mkpath(QString::fromStdString(folder));
    const std::string name =
        templateId == 0 ? "message-box" : std::to_string(templateId) + "-dialog";
    window.grab().save(
        QString::fromStdString(folder + "/" + name + "-" + std::to_string(++drawn) + ".png"));
  };
}

void QtUiServices::DrawUnattended(QWidget& window, int templateId) {
  window.adjustSize();
  unattended_(window, templateId);
}

int QtUiServices::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  return OnGui([&] {
    QMessageBox box(IconOf(style), QString::fromStdString(caption),
                    QString::fromStdString(text).remove('\r'));
    switch (style & ui::kButtonMask) {
      case ui::kOkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
      case ui::kYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
      default: box.setStandardButtons(QMessageBox::Ok);
    }
    if (unattended_) {
      DrawUnattended(box, 0);
      return static_cast<int>((style & ui::kButtonMask) == ui::kYesNo ? ui::kAnswerYes
                                                                      : ui::kAnswerOk);
    }
    switch (box.exec()) {
      case QMessageBox::Yes: return static_cast<int>(ui::kAnswerYes);
      case QMessageBox::No: return static_cast<int>(ui::kAnswerNo);
      case QMessageBox::Cancel: return static_cast<int>(ui::kAnswerCancel);
      default: return static_cast<int>(ui::kAnswerOk);
    }
  });
}

int QtUiServices::ShowMessageDialog(const std::string& text, int mode) {
  return OnGui([&] {
    ui::CMessageDlg dialog(*this, messageFont_);
    return dialog.Show(text, mode);
  });
}

std::optional<std::string> QtUiServices::OpenFileDialog(const ui::FileDialogRequest& request) {
  return OnGui([&]() -> std::optional<std::string> {
    if (unattended_) return std::nullopt;
    const QString path = QFileDialog::getOpenFileName(nullptr, "Open", StartingPath(request),
                                                      ToQtFilter(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
  });
}

std::optional<std::string> QtUiServices::SaveFileDialog(const ui::FileDialogRequest& request) {
  return OnGui([&]() -> std::optional<std::string> {
    if (unattended_) return std::nullopt;
    const QString path = QFileDialog::getSaveFileName(nullptr, "Save As", StartingPath(request),
                                                      ToQtFilter(request.filter));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
  });
}

void QtUiServices::SetWaitCursor(bool waiting) {
  OnGui([&] {
    if (waiting) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      ++waitCursors_;
    } else if (waitCursors_ > 0) {
      QApplication::restoreOverrideCursor();
      --waitCursors_;
    }
  });
}

void QtUiServices::ShowWaitDialog(const std::string& text) {
  OnGui([&] {
    if (!wait_) {
      wait_ = std::make_unique<ui::CSvcDlgWait>(*this);
      ShowModeless(*wait_);
    }
    wait_->SetText(text);
  });
}

void QtUiServices::CloseWaitDialog() {
  OnGui([&] {
    if (wait_) wait_->EndDialog(ui::IDCANCEL);
    wait_.reset();
  });
}

void QtUiServices::ShowProgressDialog(const std::string& text, std::uint32_t barColour, int minimum,
                                      int maximum) {
  OnGui([&] {
    if (!progress_) {
      progress_ = std::make_unique<ui::CSvcDlgProgress>(*this);
      ShowModeless(*progress_);
    }
    progress_->SetText(text);
    progress_->SetBar(barColour, minimum, maximum);
  });
}

void QtUiServices::SetProgress(int position) {
  OnGui([&] {
    if (progress_) progress_->SetPosition(position);
  });
}

void QtUiServices::CloseProgressDialog() {
  OnGui([&] {
    if (progress_) progress_->EndDialog(ui::IDCANCEL);
    progress_.reset();
  });
}

void QtUiServices::ShowPicture(const std::string& path, const std::string& caption,
                               ui::PictureFit fit) {
  OnGui([&] {
    auto picture = std::make_unique<ui::CSvcDlgPicture>(*this);
    if (picture->Open(path, caption, fit)) pictures_.push_back(std::move(picture));
  });
}

bool QtUiServices::SaveChart(const ui::Chart& chart, const std::string& path, std::string* error) {
  return OnGui([&] {
    QImageWriter writer(QString::fromStdString(path), "png");
    if (writer.write(DrawChart(chart))) return true;
    if (error != nullptr) *error = writer.errorString().toStdString() + ": " + path;
    return false;
  });
}

std::optional<ui::PictureSize> QtUiServices::LoadPictureSize(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  const QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  // Pictures without a density are taken at 96 dots per inch.
  const int dotsPerMetre = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 3780;
  const auto himetric = [dotsPerMetre](int pixels) {
    return static_cast<int>(static_cast<long long>(pixels) * 100000 / dotsPerMetre);
  };
  return ui::PictureSize{himetric(image.width()), himetric(image.height())};
}

ui::ScreenMetrics QtUiServices::Screen() {
  return OnGui([] {
    ui::ScreenMetrics metrics;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      metrics.pixelsPerInch = static_cast<int>(screen->logicalDotsPerInch());
      metrics.width = screen->geometry().width();
      metrics.height = screen->geometry().height();
      metrics.maximizedHeight = screen->availableGeometry().height();
    }
    return metrics;
  });
}

int QtUiServices::ShellOpen(const std::string& path) {
  return OnGui([&] {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) return 2;  // the platform's "file not found"
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file)) ? 33 : 31;
  });
}

bool QtUiServices::StartProcess(const std::string& program, const std::vector<std::string>& args,
                                std::string* error) {
  QStringList arguments;
  for (const std::string& arg : args) arguments << QString::fromStdString(arg);
  QProcess process;
  process.setProgram(QString::fromStdString(program));
  process.setArguments(arguments);
  if (process.startDetached()) return true;
  if (error != nullptr) *error = process.errorString().toStdString();
  return false;
}

bool QtUiServices::AskTemperature(double& celsius) {
  return OnGui([&] {
    ui::CSvcDlgTemp dialog(*this, celsius);
    if (dialog.DoModal() != ui::IDOK) return false;
    celsius = dialog.Temperature();
    return true;
  });
}

int QtUiServices::RunModal(ui::CDialog& dialog) {
  return OnGui([&] {
    if (!dialog.Create()) return static_cast<int>(ui::IDCANCEL);
    int result = dialog.Result();
    if (!dialog.IsEnded()) {
      DialogWindow window(dialog);
      dialog.ShowWindow(true);
      if (!unattended_) {
        window.exec();
        result = dialog.Result();
      } else {
        DrawUnattended(window, dialog.TemplateId());
        result = ui::IDCANCEL;
      }
    }
    dialog.DestroyWindow();
    return result;
  });
}

bool QtUiServices::ShowModeless(ui::CDialog& dialog) {
  return OnGui([&] {
    if (!dialog.Create()) return false;
    auto* window = new DialogWindow(dialog);
    modeless_.emplace_back(&dialog, window);
    window->OnEnded([this, &dialog, window](int) {
      window->View().Detach();
      modeless_.remove({&dialog, window});
      window->deleteLater();
      // A picture window belongs to this host and goes with its window, once its own handler
      // has returned.
      QMetaObject::invokeMethod(
          qApp,
          [this, &dialog] {
            pictures_.remove_if([&dialog](const auto& p) { return p.get() == &dialog; });
          },
          Qt::QueuedConnection);
    });
    dialog.ShowWindow(true);
    window->show();
    return true;
  });
}

void QtUiServices::PostToUi(std::function<void()> task) {
  QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection);
}

DialogWindow* QtUiServices::WindowOf(const ui::CDialog& dialog) const {
  for (const auto& [shown, window] : modeless_) {
    if (shown == &dialog) return window;
  }
  return nullptr;
}

}  // namespace gui
