#pragma once
// grelt02-cli run as a separate program, the way scripts run it, on the staged program folder or
// on a scratch copy of the shipped files.

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <array>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "support/temp_folder.h"

namespace testing_support {

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
  nlohmann::ordered_json Json() const { return nlohmann::ordered_json::parse(out); }
};

// Runs a program; standard output and standard error are kept apart.
inline CliRun RunProgram(const std::string& commandLine) {
  std::string errPath = std::filesystem::temp_directory_path() / "grelt-cli-stderr-XXXXXX";
  const int errFile = ::mkstemp(errPath.data());
  ::close(errFile);
  FILE* pipe = ::popen((commandLine + " 2>'" + errPath + "'").c_str(), "r");
  std::string out;
  std::array<char, 4096> chunk;
  for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
    out.append(chunk.data(), n);
  const int status = ::pclose(pipe);
  std::string err = ReadWholeFile(errPath);
  std::filesystem::remove(errPath);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

// Runs the command line tool on a program folder.
// environment: assignments that go before the command ("NAME=value ...").
inline CliRun Cli(const std::string& args, const std::string& programFolder = GRELT_PROGRAM_DIR,
                  const std::string& environment = "") {
  return RunProgram(environment + (environment.empty() ? "" : " ") + GRELT_CLI +
                    " --program-folder '" + programFolder + "' " + args);
}

// A copy of the shipped program folder's files, to work on without touching the staged one.
// The files as shipped: the staged program folder may hold a port map and printers of a run.
inline void CopyShippedFiles(const testing_support::TempFolder& folder) {
  namespace fs = std::filesystem;
  for (const char* entry : {"GRELT02.INI", "USB.ini", "Parameter", "Service"}) {
    fs::copy(fs::path(GRELT_DATA_DIR) / entry, fs::path(folder.Path()) / entry,
             fs::copy_options::recursive);
  }
}

// Sets a key of GRELT02.INI in a copy of the shipped files, where it stands (the shipped file
// names every key once).
inline void SetMainSetting(const testing_support::TempFolder& folder, const std::string& key,
                           const std::string& value) {
  std::string text = folder.Read("GRELT02.INI");
  const std::size_t at = text.find("\n" + key + "=");
  ASSERT_NE(at, std::string::npos) << key;
  const std::size_t end = text.find_first_of("\r\n", at + 1);
  text.replace(at + 1, end - at - 1, key + "=" + value);
  folder.Write("GRELT02.INI", text);
}

}  // namespace testing_support
