#pragma once
// Hands a prepared job to a printer's line printer daemon: one connection, the queue "PASSTHRU",
// a 72-byte control file, then the data file, without waiting for acknowledgements.

#include <cstdint>
#include <string>

#include "ui_services/ui_services.h"

namespace printer {

inline constexpr int kLpdPort = 515;
// The fixed names of the control file: client host (7 characters), user (9), job (9).
inline constexpr const char* kLpdHost = "GRELT02";
inline constexpr const char* kLpdUser = "SERVICE01";
inline constexpr const char* kLpdJob = "NOZZLECHK";

// The bytes sent before the data: queue request, control file announcement and control file,
// data file announcement.
std::string LpdPreamble();

// Sends the job; false, after telling the user why, when the host cannot be reached or drops the
// connection before everything went out. The connection attempt gives up after timeoutMs.
bool SendNetworkJob(const std::string& host, const std::uint8_t* data, std::size_t length,
                    ui::UiServices& ui, int port = kLpdPort, int timeoutMs = 5000);

}  // namespace printer
