#pragma once
// Everything a service run reaches outside its printer link: the settings, the program's folders,
// the clock, the user interface, the USB port map, the message catalogue, the printers' device
// directory and the program's version text. Start-up builds it once (the command line and the
// tests build their own); operations, patterns and pages take these from here and never from
// process globals, so they run anywhere and on any clock.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "driver/device_directory.h"
#include "driver/grelt_driver.h"
#include "menu/menu_files.h"
#include "operations/printed_pages.h"
#include "platform/clock.h"
#include "printer/network_sender.h"
#include "printer/printer_link.h"
#include "record/run_entry.h"
#include "settings/app_settings.h"
#include "ui_services/message_recorder.h"
#include "ui_services/ui_services.h"

namespace printer {
class PortMap;
}

namespace operations {

struct ServiceFolders {
  std::string program;    // where the program and its INI files are
  std::string service;    // the menu files, pictures and manuals
  std::string printFile;  // print files
  std::string csv;        // the CSV folder on drive c: under the profile
  std::string drive;      // the folder that stands in for drive c:

  // The folders of a program folder whose settings name the profile.
  static ServiceFolders Of(const std::string& programFolder, const std::string& profile);
};

// The values a run judged against limits, in the order it judged them, for its record.
class MeasurementRecorder {
public:
  void Begin() {
    std::lock_guard lock(mutex_);
    taken_.clear();
  }
  // Keeps the measurement and says whether it passed.
  bool Add(record::Measurement measurement) {
    std::lock_guard lock(mutex_);
    taken_.push_back(std::move(measurement));
    return taken_.back().verdict == record::kVerdictPass;
  }
  std::vector<record::Measurement> Taken() const {
    std::lock_guard lock(mutex_);
    return taken_;
  }

private:
  mutable std::mutex mutex_;
  std::vector<record::Measurement> taken_;
};

class ServiceEnvironment {
public:
  ServiceEnvironment(const settings::AppSettings& settings, ServiceFolders folders,
                     platform::Clock& clock, ui::UiServices& ui, printer::PortMap* portMap,
                     driver::DeviceDirectory& devices, int lpdPort = printer::kLpdPort);
  ServiceEnvironment(const ServiceEnvironment&) = delete;
  ServiceEnvironment& operator=(const ServiceEnvironment&) = delete;

  // The printer library object of one run or one prefetch.
  std::unique_ptr<driver::GreltDriver> MakeDriver() const;
  printer::LinkEnvironment Link() const { return {settings, ui, clock, portMap}; }
  // The port the runs open: the one chosen on the start screen, else the settings' first.
  int ConfiguredPort() const;
  // Chooses the printer for this run of the program; the settings file is not written.
  void ChoosePort(int port) const { chosenPort_ = port; }
  // A run begins: what it shows and measures from now on is its record's.
  void BeginRun() const {
    messages.Begin();
    measurements.Begin();
  }
  // Whether recorded runs also go to the production line's database.
  bool LineDatabaseOn() const { return !settings.strLineDatabase.empty(); }

  const settings::AppSettings settings;  // a copy: the environment outlives whoever read them
  const ServiceFolders folders;
  platform::Clock& clock;
  // Everything shown passes through here, so that a run's record can tell what it said.
  mutable ui::MessageRecorder messages;
  ui::UiServices& ui;  // the user interface, through `messages`
  // What the run measured against limits (record::Judge), for its record.
  mutable MeasurementRecorder measurements;
  // The pages each item's last print put on paper, for its "Picture".
  mutable PrintedPages printed;
  printer::PortMap* const portMap;  // nullptr: ports open by number only
  driver::DeviceDirectory& devices;
  const menu::MenuFiles catalogue;  // numbered messages and page texts
  const std::string versionText;    // the start screen's version, printed in sheet headers
  const int lpdPort;                // where network jobs go on the printer's host
  std::string hostName;             // this station's, for the record
  // Told after a run went into the outbox of the line database: the desktop program wakes its
  // sender with it (the command line sends once its command is done). Set before the first run.
  std::function<void()> sendRecord;
  // What start-up found wrong with the settings files (a missing language file, ...), for the
  // dialogs to tell; the desktop program sets it once, before any dialog opens.
  std::vector<std::string> startupProblems;

private:
  mutable std::atomic<int> chosenPort_{0};  // 0: none chosen
};

}  // namespace operations
