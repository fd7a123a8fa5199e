#include "platform/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(Paths, ProgramFolderIsTheExecutablesFolderUnlessOverridden) {
  platform::SetProgramFolder("");
  EXPECT_EQ(platform::GetProgramFolder(),
            fs::read_symlink("/proc/self/exe").parent_path().string());

  testing_support::TempFolder folder;
  platform::SetProgramFolder(folder.Path() + "/sub/../");
  EXPECT_EQ(platform::GetProgramFolder(), folder.Path());  // normalised, no trailing separator
  platform::SetProgramFolder("");
}

TEST(Paths, FoldersHangOffTheProgramFolder) {
  unsetenv("SystemDrive");
  EXPECT_EQ(platform::ServiceFolder("/opt/svc"), "/opt/svc/Service");
  EXPECT_EQ(platform::PrintFileFolder("/opt/svc"), "/opt/svc/Prnfile");
  EXPECT_EQ(platform::DriveCFolder("/opt/svc"), "/opt/svc/drive_c");
  EXPECT_EQ(platform::CsvFolder("/opt/svc", "TR-M7000"), "/opt/svc/drive_c/TR-M7000/CSV");
  setenv("SystemDrive", "/mnt/c/", 1);
  EXPECT_EQ(platform::CsvFolder("/opt/svc", "ProfileName"), "/mnt/c/ProfileName/CSV");
  unsetenv("SystemDrive");
}

TEST(Paths, EnsureDirectoryMakesOneLevelAndNeverFails) {
  testing_support::TempFolder folder;
  EXPECT_TRUE(platform::EnsureDirectory(folder / "a"));
  EXPECT_TRUE(fs::is_directory(folder / "a"));
  EXPECT_TRUE(platform::EnsureDirectory(folder / "a"));    // already there
  EXPECT_TRUE(platform::EnsureDirectory(folder / "x/y"));  // no parents: not created, no error
  EXPECT_FALSE(fs::exists(folder / "x"));
  const std::string file = folder.Write("file", "content");
  EXPECT_TRUE(platform::EnsureDirectory(file));  // a file of that name is left alone
  EXPECT_TRUE(fs::is_regular_file(file));
}

TEST(Paths, CaseBlindResolutionPrefersTheExactName) {
  testing_support::TempFolder folder;
  folder.Write("Service/ext_strings.ini", "a");
  EXPECT_EQ(platform::ResolveCaseBlind(folder / "service/Ext_Strings.INI"),
            folder / "Service/ext_strings.ini");
  folder.Write("Service/EXT_STRINGS.INI", "b");
  EXPECT_EQ(platform::ResolveCaseBlind(folder / "Service/EXT_STRINGS.INI"),
            folder / "Service/EXT_STRINGS.INI");
  EXPECT_EQ(platform::ResolveCaseBlind(folder / "missing/file.ini"), folder / "missing/file.ini");
}

}  // namespace
