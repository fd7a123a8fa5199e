#pragma once
// Draws a chart of measured values: one column per value, the value as a bar, green when it
// passed and red when it failed, its limits as dashed marks on both sides of the bar and in
// figures under it. Each column has its own scale: the span between the limits fills the middle
// half of it.

#include <QColor>
#include <QImage>

#include "ui_services/ui_services.h"

namespace gui {

inline const QColor kPassedColour(46, 139, 87);
inline const QColor kFailedColour(208, 48, 48);

QImage DrawChart(const ui::Chart& chart);

// Where DrawChart puts the middle of bar `index`'s bar, for anyone checking its colour.
QPoint BarCentre(const ui::Chart& chart, int index);

}  // namespace gui
