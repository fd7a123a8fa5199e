#pragma once
// Hands a prepared job to a printer's line printer daemon: one connection, the queue "PASSTHRU",
// a 72-byte control file, then the data file. The daemon acknowledges each subcommand with one
// byte; after the data the sender closes its side and reads what the daemon still says, so that
// closing never throws away data the daemon has not taken yet.

#include <cstdint>
#include <string>
#include <vector>

#include "ui_services/ui_services.h"

namespace printer {

inline constexpr int kLpdPort = 515;
// The port network jobs go to: GRELT_LPD_PORT when it names one (a loopback daemon of a test or a
// script), else the standard port. Start-up reads it once into the run environment.
int LpdPortFromEnvironment();
// The fixed names of the control file: client host (7 characters), user (9), job (9).
inline constexpr const char* kLpdHost = "GRELT02";
inline constexpr const char* kLpdUser = "SERVICE01";
inline constexpr const char* kLpdJob = "NOZZLECHK";

// How the data file travels. A printer's own daemon takes the job as the printers expect it: the
// data announced with a fixed, huge length and no closing byte. A spooler holds a job to RFC 1179:
// the exact length, then one zero byte, which it acknowledges once it has the whole file.
enum class LpdFraming { PrinterDaemon, Spooler };

// The subcommands sent before the data, each answered by an acknowledgement: queue request,
// control file announcement, control file (with its closing NUL), data file announcement (of
// `length` bytes for a spooler).
std::vector<std::string> LpdSubcommands(LpdFraming framing = LpdFraming::PrinterDaemon,
                                        std::size_t length = 0);
// All of them in one string, as they travel.
std::string LpdPreamble(LpdFraming framing = LpdFraming::PrinterDaemon, std::size_t length = 0);

inline constexpr int kLpdTimeoutMs = 5000;

// Sends the job; false, after telling the user why, when the host cannot be reached, refuses a
// subcommand or the data, stops reading or drops the connection before everything went out.
// Connecting, each acknowledgement, each write and the end of the stream are each waited for
// timeoutMs at most.
bool SendNetworkJob(const std::string& host, const std::uint8_t* data, std::size_t length,
                    ui::UiServices& ui, int port = kLpdPort, int timeoutMs = kLpdTimeoutMs,
                    LpdFraming framing = LpdFraming::PrinterDaemon);

}  // namespace printer
