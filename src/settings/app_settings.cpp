#include "settings/app_settings.h"

#include <cstdio>

#include "platform/paths.h"
#include "platform/profile.h"

namespace settings {
namespace {

std::string Numbered(const char* prefix, std::size_t n) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%02zu", prefix, n);
  return name;
}

// One text key per element: prefix00, prefix01, ...
template <std::size_t N>
void AddNumberedTexts(std::vector<IniBinding>& table, const char* section, const char* prefix,
                      std::array<std::string, N>& dest) {
  for (std::size_t i = 0; i < N; ++i)
    table.push_back(IniBinding::Text(section, Numbered(prefix, i), dest[i]));
}

// Status and error texts default to a text that names the type, so an unconfigured type still
// tells the technician which one it was.
void AddNumberedFallbacks(std::vector<IniBinding>& table, const char* section, const char* prefix,
                          const char* format, MenuTexts20& dest) {
  for (std::size_t i = 0; i < dest.size(); ++i) {
    char def[64];
    std::snprintf(def, sizeof def, format, static_cast<int>(i));
    table.push_back(IniBinding::Text(section, Numbered(prefix, i), dest[i], def));
  }
}

template <std::size_t N>
IniBinding List(const char* section, const char* key, IntList<N>& list, const char* def) {
  return IniBinding::IntegerList(section, key, list.values, list.count, def);
}

// The profile and the language name folder and file names below the program folder: a name that
// would lead out of it (a path separator, "..") is refused and the default taken instead.
void KeepInsideTheProgramFolder(const char* key, std::string& name, const char* fallback,
                                std::vector<std::string>& problems) {
  const bool leadsOut = name.find_first_of("/\\") != std::string::npos || name == "." ||
                        name.find("..") != std::string::npos;
  if (!leadsOut) return;
  problems.push_back(std::string(key) + " \"" + name +
                     "\" is not a name below the program folder; \"" + fallback +
                     "\" is used instead");
  name = fallback;
}

}  // namespace

std::vector<IniBinding> MainSettingsBindings(AppSettings& s) {
  constexpr const char* kFifteenZeros = "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0";
  return {
      IniBinding::Text("Profile", "strProfile", s.strProfile, "ProfileName"),
      IniBinding::Flag("Profile", "bLockProfile", s.bLockProfile),
      IniBinding::Integer("Profile", "nPrinters", s.nPrinters, 1),
      IniBinding::Text("Profile", "strProgName", s.strProgName, "ProgName"),
      IniBinding::Text("Profile", "strLanguage", s.strLanguage, "ProgName"),
      IniBinding::Flag("Profile", "bErrSound", s.bErrSound),
      IniBinding::Integer("Profile", "nPrinterColor", s.nPrinterColor, 0),
      IniBinding::Flag("Temp", "bIsCT", s.bIsCT),
      IniBinding::Integer("Temp", "nCustomer", s.nCustomer, 0),
      IniBinding::Integer("Temp", "nStartUpMenu", s.nStartUpMenu, 0),
      IniBinding::Integer("Temp", "nBiDMode", s.nBiDMode, 0),
      List("Temp", "nBiDValue", s.nBiDValue, kFifteenZeros),
      List("Temp", "nBiDFixValue", s.nBiDFixValue, kFifteenZeros),
      IniBinding::Text("Temp", "strJIGNo", s.strJIGNo, "00000000"),
      IniBinding::Text("Temp", "strHdidBELTNo", s.strHdidBELTNo, "000"),
      IniBinding::Text("Temp", "strHdidJIGNo", s.strHdidJIGNo, "00"),
      IniBinding::Text("Temp", "strHdidPCNo", s.strHdidPCNo, "00"),
      IniBinding::Text("Temp", "strWorkerID", s.strWorkerID, "00000"),
      List("Temp", "nPFValue", s.nPFValue, "0 0 0"),
      IniBinding::Integer("Setting", "nIOBoard", s.nIOBoard, 2),
      IniBinding::Text("Setting", "strCaliChk", s.strCaliChk, "00000000000000000/000000"),
      IniBinding::Integer("Setting", "nLpdSpooler", s.nLpdSpooler, 0),
      IniBinding::Integer("Setting", "nServiceRecord", s.nServiceRecord, 1),
      IniBinding::Text("Setting", "strLineDatabase", s.strLineDatabase, ""),
  };
}

std::vector<IniBinding> ParameterBindings(AppSettings& s) {
  std::vector<IniBinding> table = {
      List("CONTROL", "pnInterface", s.pnInterface, "0 0 0 0"),
      IniBinding::Integer("CONTROL", "nUseKorvuPort", s.nUseKorvuPort, 1),
      IniBinding::Integer("CONTROL", "nUSBSerialNo", s.nUSBSerialNo, 0),
      IniBinding::Integer("CONTROL", "nStorage", s.nStorage, 0),
      IniBinding::Integer("CONTROL", "nNewERRControl", s.nNewERRControl, 0),
      IniBinding::Integer("CONTROL", "nADJInitWrite", s.nADJInitWrite, 0),
      IniBinding::Integer("COUNTER", "nINKChargeMAX", s.nINKChargeMAX, 0),
      IniBinding::Integer("COUNTER", "nCleaningMAX", s.nCleaningMAX, 0),
      IniBinding::Integer("BID", "nBKBidNum", s.nBKBidNum, 1),
      IniBinding::Integer("BID", "nCLBidNum", s.nCLBidNum, 1),
  };
  AddNumberedTexts(table, "BID", "strCnfBid", s.strCnfBid);
  table.push_back(IniBinding::Integer("AID", "nAIDOffJdg", s.nAIDOffJdg, 1));
  return table;
}

std::vector<IniBinding> LanguageBindings(AppSettings& s) {
  std::vector<IniBinding> table = {
      IniBinding::Text("FONT", "strFaceName", s.strFaceName),
      IniBinding::Integer("FONT", "nHeight", s.nHeight, 0),
      IniBinding::Integer("FONT", "nWeight", s.nWeight, 0),
      IniBinding::Integer("FONT", "nItalic", s.nItalic, 0),
      IniBinding::Integer("FONT", "nCharSet", s.nCharSet, 0),
      IniBinding::Integer("FONT", "nOutPrecision", s.nOutPrecision, 0),
      IniBinding::Integer("FONT", "nClipPrecision", s.nClipPrecision, 0),
      IniBinding::Integer("FONT", "nQuality", s.nQuality, 0),
      IniBinding::Integer("FONT", "nPitchAndFamily", s.nPitchAndFamily, 0),
  };
  AddNumberedTexts(table, "STARTMENU", "strStartMenu", s.strStartMenu);
  AddNumberedTexts(table, "HIDIMENU", "strHidiMenu", s.strHidiMenu);
  AddNumberedTexts(table, "PRDMENU", "strPrdMenu", s.strPrdMenu);
  AddNumberedTexts(table, "PRD2MENU", "strPrd2Menu", s.strPrd2Menu);
  AddNumberedTexts(table, "PRD3MENU", "strPrd3Menu", s.strPrd3Menu);
  AddNumberedTexts(table, "PRD4MENU", "strPrd4Menu", s.strPrd4Menu);
  AddNumberedTexts(table, "OGIMENU", "strOgiMenu", s.strOgiMenu);
  AddNumberedTexts(table, "REPAIRMENU", "strRprMenu", s.strRprMenu);
  AddNumberedTexts(table, "TOOLMENU", "strToolMenu", s.strToolMenu);
  AddNumberedFallbacks(table, "STATUS", "strStatus", "Status - ERROR %2d J", s.strStatus);
  AddNumberedFallbacks(table, "ERROR", "strError", "Error - ERROR %2d E", s.strError);
  AddNumberedTexts(table, "MESSAGE", "strMessage", s.strMessage);
  return table;
}

std::string MainSettingsPath(const std::string& programFolder) {
  return platform::JoinPath(programFolder, kSettingsFileName);
}

std::string ProfileFolder(const std::string& programFolder, const AppSettings& settings) {
  return platform::JoinPath(platform::JoinPath(programFolder, kParameterFolderName),
                            settings.strProfile);
}

std::string LanguageFilePath(const std::string& programFolder, const AppSettings& settings) {
  return platform::JoinPath(ProfileFolder(programFolder, settings),
                            settings.strLanguage + kLanguageFileExtension);
}

std::string ParameterFilePath(const std::string& programFolder, const AppSettings& settings) {
  return platform::JoinPath(ProfileFolder(programFolder, settings), kParameterFileName);
}

AppSettings LoadSettings(const std::string& programFolder, std::vector<std::string>* problems) {
  AppSettings settings;
  std::vector<std::string> found;
  const platform::ProfileFile mainFile =
      platform::ProfileFile::Load(MainSettingsPath(programFolder));
  if (!mainFile.Readable()) {
    found.push_back(std::string(kSettingsFileName) + " cannot be read in " + programFolder +
                    "; the program runs on its default settings");
  } else if (mainFile.Find("Profile", "strProfile") == nullptr) {
    found.push_back(std::string(kSettingsFileName) +
                    " names no profile ([Profile] strProfile); the defaults are in use");
  }
  LoadIniBindings(MainSettingsBindings(settings), mainFile);
  KeepInsideTheProgramFolder("strProfile", settings.strProfile, "ProfileName", found);
  KeepInsideTheProgramFolder("strLanguage", settings.strLanguage, "ProgName", found);
  const std::string languagePath = LanguageFilePath(programFolder, settings);
  const platform::ProfileFile languageFile = platform::ProfileFile::Load(languagePath);
  if (!languageFile.Readable()) {
    found.push_back("the language file " + languagePath +
                    " cannot be read; the built-in texts are used");
  }
  if (problems != nullptr) *problems = std::move(found);
  LoadIniBindings(LanguageBindings(settings), languageFile);
  LoadIniBindings(ParameterBindings(settings), ParameterFilePath(programFolder, settings));
  return settings;
}

}  // namespace settings
