#include "platform/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "support/temp_folder.h"

namespace {

const std::string kClass =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

TEST(Registry, KeepsStringDwordAndBinaryValues) {
  testing_support::TempFolder folder;
  platform::FakeClock clock(1'700'000'000);
  platform::Registry registry(folder.Path(), clock);
  const std::string key = kClass + "\\##?#USB#VID_04B8&PID_0001#A1B2C3D4E5#{guid}\\#";
  ASSERT_TRUE(registry.SetString(key, "SymbolicLink", "\\\\?\\USB#VID_04B8&PID_0001#x y%z\n"));
  ASSERT_TRUE(registry.SetDword(key, "ReferenceCount", 1));
  ASSERT_TRUE(registry.SetBinary(key, "Blob", {0x00, 0xFF, 0x10}));
  ASSERT_TRUE(registry.SetString(key, "Empty", ""));
  EXPECT_EQ(std::get<std::string>(*registry.GetValue(key, "symboliclink")),
            "\\\\?\\USB#VID_04B8&PID_0001#x y%z\n");
  EXPECT_EQ(std::get<std::uint32_t>(*registry.GetValue(key, "ReferenceCount")), 1u);
  EXPECT_EQ(std::get<platform::RegistryBinary>(*registry.GetValue(key, "Blob")),
            (platform::RegistryBinary{0x00, 0xFF, 0x10}));
  EXPECT_EQ(std::get<std::string>(*registry.GetValue(key, "Empty")), "");
  EXPECT_FALSE(registry.GetValue(key, "Missing").has_value());
  EXPECT_FALSE(registry.GetValue(kClass + "\\Nowhere", "Missing").has_value());
  // Replacing keeps one value of the name.
  ASSERT_TRUE(registry.SetDword(key, "REFERENCECOUNT", 0));
  EXPECT_EQ(std::get<std::uint32_t>(*registry.GetValue(key, "ReferenceCount")), 0u);
}

TEST(Registry, EnumeratesSubkeysAndStampsTheirLastWrite) {
  testing_support::TempFolder folder;
  platform::FakeClock clock(1'700'000'000);
  platform::Registry registry(folder.Path(), clock);
  registry.SetDword(kClass + "\\B\\Control", "ReferenceCount", 1);
  clock.Advance(std::chrono::milliseconds(1500));
  registry.SetDword(kClass + "\\A\\Control", "ReferenceCount", 1);
  EXPECT_EQ(registry.SubKeys(kClass), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(registry.LastWriteTime(kClass + "\\B\\Control"), 1'700'000'000'000);
  EXPECT_EQ(registry.LastWriteTime(kClass + "\\a\\control"), 1'700'000'001'500);
  EXPECT_TRUE(registry.KeyExists(kClass + "\\b"));
  EXPECT_TRUE(registry.DeleteKey(kClass + "\\B"));
  EXPECT_EQ(registry.SubKeys(kClass), (std::vector<std::string>{"A"}));
  EXPECT_TRUE(registry.SubKeys(kClass + "\\Gone").empty());
  EXPECT_FALSE(registry.LastWriteTime(kClass + "\\Gone").has_value());
}

TEST(Registry, NamesCannotLeaveTheRegistryFolder) {
  testing_support::TempFolder folder;
  platform::Registry registry(folder / "reg");
  EXPECT_FALSE(registry.SetString("..\\outside", "v", "x"));
  EXPECT_FALSE(registry.SetString("a/b", "v", "x"));
  EXPECT_FALSE(registry.DeleteKey(""));
  EXPECT_FALSE(std::filesystem::exists(folder / "outside"));
}

TEST(Registry, ConcurrentWritersLoseNothing) {
  testing_support::TempFolder folder;
  platform::Registry registry(folder.Path());
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&registry, t] {
      for (int i = 0; i < 25; ++i) {
        registry.SetDword("Shared", "v" + std::to_string(t) + "_" + std::to_string(i), i);
      }
    });
  }
  for (auto& writer : writers) writer.join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 25; ++i) {
      EXPECT_TRUE(registry.GetValue("Shared", "v" + std::to_string(t) + "_" + std::to_string(i)));
    }
  }
}

TEST(Registry, ADamagedValueFileKeepsWhatStillReads) {
  testing_support::TempFolder folder;
  platform::Registry registry(folder.Path());
  registry.SetDword("K", "Good", 7);
  std::ofstream(folder / "K/.values", std::ios::app) << "garbage\nsz %ZZ x\nbinary Bad 0\n";
  EXPECT_EQ(std::get<std::uint32_t>(*registry.GetValue("K", "Good")), 7u);
  EXPECT_FALSE(registry.GetValue("K", "Bad"));
  EXPECT_TRUE(registry.SetDword("K", "Next", 1));
}

TEST(Registry, RootComesFromTheEnvironmentOrTheProgramFolder) {
  unsetenv("GRELT_REGISTRY");
  EXPECT_EQ(platform::Registry::DefaultRoot("/opt/svc"), "/opt/svc/Registry");
  setenv("GRELT_REGISTRY", "/var/tmp/reg", 1);
  EXPECT_EQ(platform::Registry::DefaultRoot("/opt/svc"), "/var/tmp/reg");
  unsetenv("GRELT_REGISTRY");
}

}  // namespace
