#pragma once
// Pictures of every dialog template, drawn offscreen with the texts of a real run, for the
// manual and for checking the layout by eye.

#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "ui/svc_dlg_main.h"

namespace gui {

class QtUiServices;

// Writes DIR/<template id>-<name>.png for every template; returns the files written. Texts come
// from the settings as a real run would show them. The main service dialog reads its values
// through the service context, whose configured printer must be attached: a missing one would
// stop the drawing at its message box.
std::vector<std::string> RenderScreenshots(const std::string& folder, QtUiServices& services,
                                           const settings::AppSettings& settings,
                                           const ui::ServiceContext& serviceContext);

}  // namespace gui
