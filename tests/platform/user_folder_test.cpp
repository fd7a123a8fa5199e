// The per-user copy of an installed program folder: made on first start, brought up to date by
// later versions without losing what the user changed.

#include "platform/user_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::string>;

class UserFolderTest : public ::testing::Test {
protected:
  // A shipped folder as an installation lays it out: read-only files, an executable, the marker.
  void Ship(const std::string& relative, const std::string& content, bool executable = false) {
    const std::string path = folder.Write("shipped/" + relative, content);
    fs::permissions(
        path, executable ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_read,
        fs::perm_options::replace);
  }
  platform::FolderSync Sync() {
    platform::FolderSync report;
    std::string error;
    EXPECT_TRUE(platform::SyncUserFolder(folder / "shipped", folder / "copy", &report, &error))
        << error;
    return report;
  }
  testing_support::TempFolder folder;
};

TEST_F(UserFolderTest, TheFirstStartCopiesEverythingAndLinksTheExecutables) {
  Ship("GRELT02.INI", "[Setting]\n");
  Ship("Service/ext_strings.ini", "v1");
  Ship("grelt02-nvram-info", "#!/bin/sh\n", true);
  Ship(platform::kInstalledMarker, "");
  const platform::FolderSync first = Sync();
  EXPECT_EQ(first.added, (Files{"GRELT02.INI", "Service/ext_strings.ini", "grelt02-nvram-info"}));
  EXPECT_TRUE(first.updated.empty());
  EXPECT_EQ(folder.Read("copy/Service/ext_strings.ini"), "v1");
  EXPECT_TRUE(fs::is_symlink(folder / "copy/grelt02-nvram-info"));
  EXPECT_FALSE(fs::exists(folder / ("copy/" + std::string(platform::kInstalledMarker))));
  // The copy is the user's to change, though the shipped file is read-only.
  folder.Write("copy/GRELT02.INI", "[Setting]\nnServiceRecord=0\n");
  EXPECT_EQ(folder.Read("copy/GRELT02.INI"), "[Setting]\nnServiceRecord=0\n");

  const platform::FolderSync again = Sync();
  EXPECT_TRUE(again.added.empty() && again.updated.empty() && again.kept.empty());
  EXPECT_EQ(folder.Read("copy/GRELT02.INI"), "[Setting]\nnServiceRecord=0\n");
}

// A later version: the files the user left alone become the new ones, a changed one stays the
// user's with the new one beside it, new files arrive, the user's own files are not touched.
TEST_F(UserFolderTest, ALaterVersionKeepsWhatTheUserChanged) {
  Ship("GRELT02.INI", "[Setting]\n");
  Ship("Service/ext_strings.ini", "v1");
  Sync();
  folder.Write("copy/GRELT02.INI", "mine");
  folder.Write("copy/notes.txt", "my own");

  Ship("GRELT02.INI", "[Setting]\nv2\n");
  Ship("Service/ext_strings.ini", "v2");
  Ship("Service/ext_funcdata.ini", "new");
  const platform::FolderSync upgrade = Sync();
  EXPECT_EQ(upgrade.added, Files{"Service/ext_funcdata.ini"});
  EXPECT_EQ(upgrade.updated, Files{"Service/ext_strings.ini"});
  EXPECT_EQ(upgrade.kept, Files{"GRELT02.INI"});
  EXPECT_EQ(folder.Read("copy/GRELT02.INI"), "mine");
  EXPECT_EQ(folder.Read("copy/GRELT02.INI" + std::string(platform::kNewerShippedSuffix)),
            "[Setting]\nv2\n");
  EXPECT_EQ(folder.Read("copy/Service/ext_strings.ini"), "v2");
  EXPECT_EQ(folder.Read("copy/notes.txt"), "my own");

  // Told once: the next start leaves the user's file alone and says nothing.
  const platform::FolderSync next = Sync();
  EXPECT_TRUE(next.added.empty() && next.updated.empty() && next.kept.empty());
  EXPECT_EQ(folder.Read("copy/GRELT02.INI"), "mine");
}

// A copy made before digests were kept (or by hand): files that match the shipped ones are taken
// over quietly, the others are the user's.
TEST_F(UserFolderTest, ACopyWithoutDigestsIsTakenOverWithoutLosingAnything) {
  Ship("GRELT02.INI", "[Setting]\n");
  Ship("Service/ext_strings.ini", "v2");
  folder.Write("copy/GRELT02.INI", "[Setting]\n");
  folder.Write("copy/Service/ext_strings.ini", "changed by hand");
  const platform::FolderSync sync = Sync();
  EXPECT_EQ(sync.updated, Files{"GRELT02.INI"});
  EXPECT_EQ(sync.kept, Files{"Service/ext_strings.ini"});
  EXPECT_FALSE(fs::exists(folder / "copy/GRELT02.INI.shipped-new"));
  EXPECT_EQ(folder.Read("copy/Service/ext_strings.ini"), "changed by hand");
  EXPECT_EQ(folder.Read("copy/Service/ext_strings.ini.shipped-new"), "v2");
}

TEST_F(UserFolderTest, AFileInThePlaceOfTheCopyIsAClearError) {
  Ship("GRELT02.INI", "[Setting]\n");
  folder.Write("copy", "not a folder");
  std::string error;
  EXPECT_FALSE(platform::SyncUserFolder(folder / "shipped", folder / "copy", nullptr, &error));
  EXPECT_NE(error.find("GRELT02.INI"), std::string::npos) << error;
}

// The variables are put back as they were, for the tests after this one.
class SavedVariable {
public:
  explicit SavedVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    if (value != nullptr) value_ = value;
    had_ = value != nullptr;
  }
  ~SavedVariable() {
    if (had_)
      setenv(name_, value_.c_str(), 1);
    else
      unsetenv(name_);
  }

private:
  const char* name_;
  std::string value_;
  bool had_ = false;
};

TEST(UserProgramFolder, FollowsXdgDataHomeElseHome) {
  const SavedVariable data("XDG_DATA_HOME");
  const SavedVariable home("HOME");
  setenv("XDG_DATA_HOME", "/data/home", 1);
  EXPECT_EQ(platform::UserProgramFolder(), "/data/home/grelt02");
  setenv("XDG_DATA_HOME", "", 1);
  setenv("HOME", "/home/tech", 1);
  EXPECT_EQ(platform::UserProgramFolder(), "/home/tech/.local/share/grelt02");
  unsetenv("HOME");
  EXPECT_EQ(platform::UserProgramFolder(), "");
}

}  // namespace
