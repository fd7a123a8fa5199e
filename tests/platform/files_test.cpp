// Whole-file writes that keep the previous file when they fail, and bounded reads.

#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/full_disk.h"
#include "support/temp_folder.h"

namespace {

using testing_support::TempFolder;

std::size_t EntriesIn(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

TEST(ReplaceFile, ReplacesTheWholeFileAndLeavesNothingBeside) {
  TempFolder folder;
  folder.Write("image.bin", "an older and longer content");
  ASSERT_TRUE(platform::ReplaceFile(folder / "image.bin", std::string("new\0bytes", 9)));
  EXPECT_EQ(folder.Read("image.bin"), std::string("new\0bytes", 9));
  ASSERT_TRUE(platform::ReplaceFile(folder / "image.bin", "cached", false));
  EXPECT_EQ(folder.Read("image.bin"), "cached");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(ReplaceFile, AFailedWriteKeepsWhatWasThere) {
  TempFolder folder;
  // The target is a folder with a file in it: the rename fails, and nothing is left behind.
  folder.Write("target/keep.txt", "kept");
  EXPECT_FALSE(platform::ReplaceFile(folder / "target", "bytes"));
  EXPECT_EQ(folder.Read("target/keep.txt"), "kept");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
  EXPECT_FALSE(platform::ReplaceFile(folder / "missing/image.bin", "bytes"));
}

// Files that belong together are replaced together: when the disk fills while the second is
// written, both earlier files stay, and no temporary one is left beside them.
TEST(ReplaceFiles, AllOrNothingWhenTheDiskFills) {
  TempFolder folder;
  folder.Write("small.bin", "old small");
  folder.Write("big.bin", "old big");
  const std::string big(5000, 'b');
  bool replaced = false;
  {
    const testing_support::FullDisk full(1000);
    ASSERT_TRUE(full.Applied());
    replaced =
        platform::ReplaceFiles({{folder / "small.bin", "new small"}, {folder / "big.bin", big}});
  }
  EXPECT_FALSE(replaced);
  EXPECT_EQ(folder.Read("small.bin"), "old small");
  EXPECT_EQ(folder.Read("big.bin"), "old big");
  EXPECT_EQ(EntriesIn(folder.Path()), 2u);
  ASSERT_TRUE(
      platform::ReplaceFiles({{folder / "small.bin", "new small"}, {folder / "big.bin", big}}));
  EXPECT_EQ(folder.Read("small.bin"), "new small");
  EXPECT_EQ(folder.Read("big.bin"), big);
  EXPECT_EQ(EntriesIn(folder.Path()), 2u);
}

TEST(ReadFileHead, ReadsAtMostTheLimitAndNothingFromAMissingFile) {
  TempFolder folder;
  folder.Write("short.bin", "12345");
  EXPECT_EQ(platform::ReadFileHead(folder / "short.bin", 3)->size(), 3u);
  EXPECT_EQ(platform::ReadFileHead(folder / "short.bin", 100)->size(), 5u);
  EXPECT_FALSE(platform::ReadFileHead(folder / "none.bin", 100).has_value());
}

}  // namespace
