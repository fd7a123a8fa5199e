#include "gui/chart_painter.h"

#include <QPainter>
#include <algorithm>
#include <optional>

namespace gui {
namespace {

constexpr int kColumnWidth = 110;
constexpr int kMargin = 24;
constexpr int kHeadHeight = 64;
constexpr int kPlotHeight = 300;
constexpr int kFootHeight = 60;
constexpr int kBarWidth = 44;

// A column's scale: its limits at a quarter and three quarters of the plot's height; a lower
// limit alone at half the height, or lower when the value stands far above it.
struct Scale {
  double low;
  double high;
  explicit Scale(const ui::ChartBar& bar) {
    if (bar.max) {
      const double span = std::max(1.0, static_cast<double>(*bar.max) - bar.min);
      low = bar.min - span / 2;
      high = *bar.max + span / 2;
    } else {
      low = 0;
      high = std::max({2.0 * bar.min, 1.1 * bar.value, 1.0});
    }
  }
  // The plot's y of a value, clamped to the plot.
  int Y(double value) const {
    const double share = std::clamp((value - low) / (high - low), 0.0, 1.0);
    return kHeadHeight + kPlotHeight - static_cast<int>(share * kPlotHeight);
  }
};

int ColumnLeft(int index) { return kMargin + index * kColumnWidth; }
constexpr int kBottom = kHeadHeight + kPlotHeight;
// A value far below its scale still shows a stub of its colour.
int BarTop(const ui::ChartBar& bar) { return std::min(Scale(bar).Y(bar.value), kBottom - 3); }

void DrawColumn(QPainter& painter, const ui::ChartBar& bar, int index) {
  const Scale scale(bar);
  const int left = ColumnLeft(index);
  const int barLeft = left + (kColumnWidth - kBarWidth) / 2;
  const int bottom = kBottom;
  const int top = BarTop(bar);
  painter.fillRect(QRect(barLeft, top, kBarWidth, bottom - top),
                   bar.passed ? kPassedColour : kFailedColour);
  painter.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
  // On both sides of the bar, so that the bar keeps its colour whole.
  for (const std::optional<int> limit : {std::optional<int>(bar.min), bar.max}) {
    if (!limit) continue;
    const int y = scale.Y(*limit);
    painter.drawLine(left + 6, y, barLeft - 4, y);
    painter.drawLine(barLeft + kBarWidth + 4, y, left + kColumnWidth - 6, y);
  }
  painter.setPen(Qt::black);
  painter.drawText(QRect(left, top - 30, kColumnWidth, 14), Qt::AlignHCenter,
                   QString::number(bar.value));
  painter.drawText(QRect(left, bottom + 6, kColumnWidth, 16), Qt::AlignHCenter,
                   QString::fromStdString(bar.label));
  const QString range = bar.max ? QString("%1 .. %2").arg(bar.min).arg(*bar.max)
                                : QString("at least %1").arg(bar.min);
  painter.setPen(QColor(90, 90, 90));
  painter.drawText(QRect(left, bottom + 22, kColumnWidth, 16), Qt::AlignHCenter, range);
  painter.setPen(bar.passed ? Qt::black : kFailedColour);
  painter.drawText(QRect(left, bottom + 38, kColumnWidth, 16), Qt::AlignHCenter,
                   bar.passed ? "pass" : "FAIL");
}

}  // namespace

QImage DrawChart(const ui::Chart& chart) {
  const int columns = std::max<int>(1, static_cast<int>(chart.bars.size()));
  QImage image(2 * kMargin + columns * kColumnWidth, kHeadHeight + kPlotHeight + kFootHeight,
               QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing);
  QFont font = painter.font();
  font.setPixelSize(13);
  painter.setFont(font);
  QFont bold = font;
  bold.setBold(true);
  bold.setPixelSize(16);
  painter.setFont(bold);
  painter.drawText(QRect(kMargin, 8, image.width() - 2 * kMargin, 22), Qt::AlignLeft,
                   QString::fromStdString(chart.title));
  painter.setFont(font);
  painter.drawText(QRect(kMargin, 32, image.width() - 2 * kMargin, 18), Qt::AlignLeft,
                   QString::fromStdString(chart.verdict));
  painter.setPen(QColor(180, 180, 180));
  painter.drawLine(kMargin, kBottom, image.width() - kMargin, kBottom);
  for (std::size_t i = 0; i < chart.bars.size(); ++i)
    DrawColumn(painter, chart.bars[i], static_cast<int>(i));
  painter.end();
  return image;
}

QPoint BarCentre(const ui::Chart& chart, int index) {
  const ui::ChartBar& bar = chart.bars[static_cast<std::size_t>(index)];
  return {ColumnLeft(index) + kColumnWidth / 2, (BarTop(bar) + kBottom) / 2};
}

}  // namespace gui
