#pragma once
// A link on a scripted library for the encoder tests, with the job read back as hex.

#include <memory>
#include <string>

#include "printer/printer_link.h"
#include "support/fake_driver.h"
#include "ui/scripted_ui_services.h"

namespace testing_support {

class EncoderFixture {
public:
  EncoderFixture() {
    link = std::make_unique<printer::CPrinterLink>(printer::LinkEnvironment{settings, ui, clock},
                                                   std::make_unique<FakeDriver>());
    link->SetModel("MW");  // access code 1B 74
  }
  // The job so far as upper-case hex, bytes separated by spaces; the job is emptied.
  std::string TakeHex() {
    std::string hex;
    for (std::size_t i = 0; i < link->JobLength(); ++i) {
      static const char* digits = "0123456789ABCDEF";
      if (!hex.empty()) hex += ' ';
      hex += digits[link->JobData()[i] >> 4];
      hex += digits[link->JobData()[i] & 0xF];
    }
    link->ClearJob();
    return hex;
  }

  settings::AppSettings settings;
  ui::ScriptedUiServices ui;
  platform::FakeClock clock;
  std::unique_ptr<printer::CPrinterLink> link;
};

}  // namespace testing_support
