#include "info_window.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>

#include "image_report.h"

namespace nvram_info {

InfoWindow::InfoWindow(const std::string& path, const nvram_files::ImageSummary& summary,
                       const std::vector<std::uint8_t>& image) {
  setWindowTitle(QString::fromStdString(std::string(kTitle) + " - " +
                                        std::filesystem::path(path).filename().string()));
  // A window of its own on the desktop, with the frame's buttons of one.
  setWindowFlags(Qt::Window);
  auto* layout = new QVBoxLayout(this);
  auto* facts = new QFormLayout;
  for (const auto& [label, value] : ReportRows(path, summary)) {
    auto* text = new QLabel(QString::fromStdString(value));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setWordWrap(true);
    facts->addRow(QString::fromStdString(label + ":"), text);
  }
  layout->addLayout(facts);
  // The bytes take the keyboard first: the arrow and page keys scroll them.
  auto* hex = new QPlainTextEdit(QString::fromStdString(HexView(image)));
  hex->setObjectName("hex-view");
  hex->setReadOnly(true);
  hex->setLineWrapMode(QPlainTextEdit::NoWrap);
  hex->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  hex->setMinimumSize(640, 300);
  layout->addWidget(hex, 1);
  auto* close = new QPushButton("Close");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(760, 640);
  hex->setFocus();
}

}  // namespace nvram_info
