#pragma once
// A printer link on a library that takes every byte at once and keeps it, set up as the service
// prints set it up, for benchmarks that build sheets.

#include <memory>

#include "encoder/raster_commands.h"
#include "patterns/print_header.h"
#include "printer/printer_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"

namespace bench_support {

struct SheetLink {
  SheetLink() {
    link.SetModel("MW");
    encoder::TXSetInfo(link, 2, 0);
    header.MachineNo = "MW0123";
  }

  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  std::unique_ptr<testing_support::FakeDriver> owned =
      std::make_unique<testing_support::FakeDriver>();
  testing_support::FakeDriver& driver = *owned;
  printer::CPrinterLink link{printer::LinkEnvironment{settings, ui, clock}, std::move(owned)};
  patterns::PrintHeaderInfo header;
};

}  // namespace bench_support
