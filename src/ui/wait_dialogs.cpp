#include "ui/wait_dialogs.h"

#include <algorithm>

#include "ui/data_exchange.h"
#include "ui/template_ids.h"

namespace ui {

CSvcDlgWait::CSvcDlgWait(UiServices& ui) : CDialog(kWaitTemplate, ui) {}

void CSvcDlgWait::SetText(const std::string& text) { SetDlgItemText(kWaitTextId, text); }

CSvcDlgProgress::CSvcDlgProgress(UiServices& ui) : CDialog(kProgressTemplate, ui) {}

void CSvcDlgProgress::SetText(const std::string& text) { SetDlgItemText(kProgressTextId, text); }

void CSvcDlgProgress::SetBar(std::uint32_t colour, int minimum, int maximum) {
  ChangeItem(kProgressBarId, [&](ControlState& c) {
    c.barColour = colour;
    c.rangeMin = minimum;
    c.rangeMax = maximum;
    c.position = minimum;
  });
}

void CSvcDlgProgress::SetPosition(int position) {
  ChangeItem(kProgressBarId, [position](ControlState& c) {
    c.position = std::clamp(position, c.rangeMin, std::max(c.rangeMin, c.rangeMax));
  });
}

CSvcDlgTemp::CSvcDlgTemp(UiServices& ui, double initial)
    : CDialog(kTemperatureTemplate, ui), temperature_(initial) {}

void CSvcDlgTemp::DoDataExchange(DataExchange& dx) {
  dx.Text(kTemperatureEditId, temperature_);
  dx.MinMax(kTemperatureEditId, temperature_, 15.0, 30.0);
}

}  // namespace ui
