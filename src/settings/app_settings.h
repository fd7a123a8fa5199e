#pragma once
// The settings record of the whole program and the three binding tables that fill it from the
// main settings file, the machine parameter file and the language file. Filled once at start-up,
// read-only afterwards (threads read it without locks).

#include <array>
#include <string>
#include <vector>

#include "settings/ini_binding.h"

namespace settings {

inline constexpr const char* kSettingsFileName = "GRELT02.INI";
inline constexpr const char* kParameterFolderName = "Parameter";
inline constexpr const char* kParameterFileName = "Parameter.ini";
inline constexpr const char* kLanguageFileExtension = ".mnu";

// An integer list with a fixed capacity and the number of values stored.
template <std::size_t Capacity>
struct IntList {
  std::array<int, Capacity> values{};
  int count = 0;
};

using MenuTexts10 = std::array<std::string, 10>;
using MenuTexts15 = std::array<std::string, 15>;
using MenuTexts20 = std::array<std::string, 20>;
using MenuTexts40 = std::array<std::string, 40>;

// Members carry the INI key names so that a key can be found in the code by grep.
struct AppSettings {
  // Main settings file, [Profile]
  std::string strProfile;
  int bLockProfile = 0;
  int nPrinters = 0;
  std::string strProgName;
  std::string strLanguage;
  int bErrSound = 0;
  int nPrinterColor = 0;
  // [Temp]
  int bIsCT = 0;
  int nCustomer = 0;
  int nStartUpMenu = 0;
  int nBiDMode = 0;
  IntList<15> nBiDValue;
  IntList<15> nBiDFixValue;
  std::string strJIGNo;
  std::string strHdidBELTNo;
  std::string strHdidJIGNo;
  std::string strHdidPCNo;
  std::string strWorkerID;
  IntList<3> nPFValue;
  // [Setting]
  int nIOBoard = 0;
  std::string strCaliChk;
  // 1: network jobs go through a spooler, framed as RFC 1179 writes (exact length, closing zero
  // byte); 0: to a printer's own daemon, framed as the printers expect.
  int nLpdSpooler = 0;
  // 1: every run is written to the service record in the CSV folder; 0: nothing is written.
  int nServiceRecord = 1;
  // The production line's database every recorded run also goes to: a libpq connection string or
  // service ("service=grelt-line"); "" keeps the record on this station only. Never a password:
  // those stay in libpq's password file.
  std::string strLineDatabase;

  // Machine parameter file, [CONTROL]
  IntList<4> pnInterface;
  int nUseKorvuPort = 0;
  int nUSBSerialNo = 0;
  int nStorage = 0;
  int nNewERRControl = 0;
  int nADJInitWrite = 0;
  // [COUNTER]
  int nINKChargeMAX = 0;
  int nCleaningMAX = 0;
  // [BID]
  int nBKBidNum = 0;
  int nCLBidNum = 0;
  MenuTexts15 strCnfBid;  // strCnfBid00 .. strCnfBid14
  // [AID]
  int nAIDOffJdg = 0;

  // Language file, [FONT]
  std::string strFaceName;
  int nHeight = 0;
  int nWeight = 0;
  int nItalic = 0;
  int nCharSet = 0;
  int nOutPrecision = 0;
  int nClipPrecision = 0;
  int nQuality = 0;
  int nPitchAndFamily = 0;
  // Menu texts, [STARTMENU] .. [TOOLMENU]
  MenuTexts10 strStartMenu;
  MenuTexts20 strHidiMenu;
  MenuTexts40 strPrdMenu;
  MenuTexts40 strPrd2Menu;
  MenuTexts40 strPrd3Menu;
  MenuTexts40 strPrd4Menu;
  MenuTexts40 strOgiMenu;
  MenuTexts20 strRprMenu;
  MenuTexts20 strToolMenu;
  // Texts of printer status and error types 0 to 19, and the prompts of [MESSAGE].
  MenuTexts20 strStatus;
  MenuTexts20 strError;
  MenuTexts20 strMessage;
};

// The binding tables, in the order the files are read. Each binds to the given record.
std::vector<IniBinding> MainSettingsBindings(AppSettings& settings);
std::vector<IniBinding> ParameterBindings(AppSettings& settings);
std::vector<IniBinding> LanguageBindings(AppSettings& settings);

// File paths under the program folder.
std::string MainSettingsPath(const std::string& programFolder);
std::string ProfileFolder(const std::string& programFolder, const AppSettings& settings);
std::string LanguageFilePath(const std::string& programFolder, const AppSettings& settings);
std::string ParameterFilePath(const std::string& programFolder, const AppSettings& settings);

// Reads the main settings file, then the language file, then the machine parameter file: the
// settings steps of start-up. Missing files and keys give the defaults. A profile or language
// name that would lead out of the program folder is replaced by its default. What the user
// should hear of (a missing or unusable main settings file, a refused name) goes to *problems.
AppSettings LoadSettings(const std::string& programFolder,
                         std::vector<std::string>* problems = nullptr);

}  // namespace settings
