// Main-board exchange: the old board's NVRAM and lists go into two work files in the service
// folder, and from them onto the new board, which keeps its own serial number where it has one.
//
// Operations:
//   210200  BackupNvramForExchange
//   110200  RestoreNvramFromBackup
// Also the Service NVRAM Backup Utility's backup (board_exchange.h).
//
// The board flags (destination set at 161, board initialised at 168) are written last, after
// every block was written and verified: an interrupted restore leaves the board marked
// uninitialised, so it can simply be run again.

#include "operations/board_exchange.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "encoder/factory_commands.h"
#include "nvram_files/image_files.h"
#include "operations/service_operations.h"
#include "operations/service_record.h"
#include "operations/shared_steps.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "printer/link_errors.h"

namespace operations {
namespace {

namespace files = nvram_files;
namespace nv = driver::nvram;
using Bytes = std::vector<std::uint8_t>;

constexpr int kMsgBackupDone = 10000003;
constexpr int kMsgAskRestore = 11020001;
constexpr int kMsgRestored = 11020002;
constexpr int kMsgSerialUnreadable = 91020001;
constexpr int kMsgWorkFileNotCreated = 91020002;
constexpr int kMsgNoWorkImage = 91020005;
constexpr int kMsgWrongImageSize = 91020007;
constexpr int kMsgListsNotRestored = 91020008;
constexpr int kMsgNoListsOfThisBackup = 91020009;

constexpr std::uint32_t kWritePhaseColour = 0x4913E9;
constexpr std::uint32_t kVerifyPhaseColour = 0xB20031;
constexpr int kBackupBarRange = 512;
constexpr int kUtilityBarRange = 180;
constexpr int kWriteBarRange = 50000;
constexpr int kVerifyBarRange = 1948;
constexpr int kListBarStart = 560;

constexpr int kReadBlock = 256;
constexpr int kWriteBlock = 128;
constexpr int kListAttempts = 3;

// What the restore verifies, start and end (exclusive); the last two when the destination was set.
constexpr std::pair<int, int> kVerifyRanges[] = {
    {0x2270, 0x243F}, {0x2440, 0x258F}, {0x2590, 0x287F}, {0x29A0, 0x2B2F}};

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

void Remove(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
}

std::string ServiceFile(const ServiceEnvironment& env, const char* name) {
  return env.folders.service + "/" + name;
}

// The list file is renamed into place before the image: a backup cut between the two leaves
// a pair with different date stamps, which the restore tells apart.
bool WriteWorkFiles(const ServiceEnvironment& env, const Bytes& image, const Bytes& lists) {
  platform::EnsureDirectory(env.folders.service);
  const auto bytes = [](const Bytes& b) {
    return std::string_view(reinterpret_cast<const char*>(b.data()), b.size());
  };
  return platform::ReplaceFiles({{ServiceFile(env, files::kWorkListFile), bytes(lists)},
                                 {ServiceFile(env, files::kWorkImageFile), bytes(image)}});
}

// Reads the 192 blocks outside the skipped range into the image, the bar counting blocks. False
// at the first failed read.
bool ReadImageBlocks(printer::CPrinterLink& link, ScopedProgressDialog& progress, Bytes& image) {
  int done = 0;
  for (int address = 0; address < static_cast<int>(files::kNvramBytes); address += kReadBlock) {
    if (files::IsSkipped(address)) continue;
    progress.Set(done++);
    if (!link.ReadCtrlNvramMulti448(address, kReadBlock, &image[address])) return false;
  }
  return true;
}

// One pass over both lists, each in blocks of `block` bytes starting at list offset 0, the bar
// counting on from `barStart`. `transfer` moves one block; false at the first failure.
template <typename Transfer>
bool EachListBlock(ScopedProgressDialog& progress, int barStart, int block, Transfer transfer) {
  int position = barStart;
  std::size_t at = 0;
  for (const auto& [list, size] : {std::pair{files::kListD6, files::kListD6Bytes},
                                   std::pair{files::kListA3, files::kListA3Bytes}}) {
    for (std::size_t offset = 0; offset < size; offset += static_cast<std::size_t>(block)) {
      progress.Set(position++);
      if (!transfer(list, static_cast<std::uint16_t>(offset), at)) return false;
      at += static_cast<std::size_t>(block);
    }
  }
  return true;
}

// Both lists into the first kListsBytes of the buffer, in up to three attempts.
bool ReadLists(printer::CPrinterLink& link, ScopedProgressDialog& progress, int barStart,
               Bytes& lists) {
  for (int attempt = 0; attempt < kListAttempts; ++attempt) {
    if (EachListBlock(progress, barStart, kReadBlock,
                      [&](std::uint8_t list, std::uint16_t offset, std::size_t at) {
                        return link.ReadList448(list, offset, kReadBlock, &lists[at]);
                      }))
      return true;
  }
  return false;
}

bool BackupNvramForExchange(OperationRun& run) {
  const ServiceEnvironment& env = run.env;
  Bytes image = files::BlankImage();
  ScopedProgressDialog progress(env.ui, ItemText(run.request, 3), kReadPhaseColour,
                                kBackupBarRange);
  const auto fail = [&](int message) {
    progress.Close();
    env.catalogue.ShowMessageById(message, ui::kOk);
    return false;
  };
  // A block that could not be read would go onto the new board as 0xFF, and lists of another
  // backup would be lost on the restore: the work files are written only when every read
  // succeeded, and then both together.
  if (!ReadImageBlocks(run.link, progress, image)) return fail(kMsgNotAccepted);
  Bytes lists(files::kListFileSize, 0);
  const int blocksRead = static_cast<int>((files::kNvramBytes - 0x4000) / kReadBlock);
  if (!ReadLists(run.link, progress, blocksRead, lists)) return fail(kMsgNotAccepted);
  const files::DateStamp stamp = files::LocalDateStamp(env.clock.UnixSeconds());
  files::PutDateStamp(&image[files::kNvramBytes], stamp);
  files::PutDateStamp(&lists[files::kListsBytes], stamp);
  if (!WriteWorkFiles(env, image, lists)) return fail(kMsgWorkFileNotCreated);
  progress.Close();
  env.catalogue.ShowMessageById(kMsgBackupDone, ui::kOk);
  return true;
}

// The restore, step by step. Each step returns false when the restore ends there, having shown
// its message (or nothing, where the user chose to stop).
class BoardRestore {
public:
  explicit BoardRestore(OperationRun& run) : run_(run), env_(run.env), link_(run.link) {}

  bool Run() {
    if (!ChooseImage() || !ReadImage()) return false;
    run_.request.outputText = files::ImageSerialNumber(image_);
    if (env_.catalogue.ShowMessageById(kMsgAskRestore, ui::kOkCancel) == ui::kAnswerCancel)
      return true;
    // A chosen file may lack its date, but never NVRAM bytes: those would go out as zeros.
    const bool usable =
        chosen_ ? imageLength_ >= files::kNvramBytes : imageLength_ == files::kImageFileSize;
    if (!usable) return Fail(kMsgWrongImageSize);
    if (!InspectBoard() || !KeepBoardSerial()) return false;
    progress_.emplace(env_.ui, ItemText(run_.request, 4), kWritePhaseColour, kWriteBarRange);
    if (!WriteImage() || !Verify() || !PrepareLists()) return false;
    if (!chosen_ && (!RestoreLists() || !MarkInitialised())) return false;
    return MarkDestination() && Finish();
  }

private:
  bool Fail(int message) {
    if (progress_) progress_->Close();
    env_.catalogue.ShowMessageById(message, ui::kOk);
    return false;
  }

  // What was written reads back different.
  bool Differs() {
    link_.SetLastError(printer::kReadBackDiffers);
    return Fail(kMsgBoardDiffers);
  }

  bool ChooseImage() {
    if (run_.request.selector != 1) {
      path_ = ServiceFile(env_, files::kWorkImageFile);
      return Exists(path_) || Fail(kMsgNoWorkImage);
    }
    const auto chosen =
        env_.ui.OpenFileDialog({"*", "", "All Files (*.*) | *.*", env_.folders.program});
    if (!chosen) return false;
    path_ = *chosen;
    chosen_ = true;
    return Exists(path_) || Fail(kMsgFileProblem);
  }

  bool ReadImage() {
    const auto bytes = platform::ReadFileHead(path_, files::kImageFileSize);
    if (!bytes) return Fail(kMsgFileProblem);
    image_.assign(files::kImageFileSize, 0);
    std::copy(bytes->begin(), bytes->end(), image_.begin());
    imageLength_ = bytes->size();
    return true;
  }

  // What the new board already holds decides what is kept and what is written. A board that
  // cannot be read is not written at all.
  bool InspectBoard() {
    std::uint8_t initialised = 0, destinationSet = 0;
    if (!link_.ReadCtrlNvram(nv::kBoardInitialised, initialised) ||
        !link_.ReadCtrlNvram(nv::kDestinationSet, destinationSet))
      return Fail(kMsgPrinterFailed);
    boardInitialised_ = initialised == 1;
    const auto record = driver::FindDestination(driver::kProgramDestination);
    if (!record) return false;
    destination_ = *record;
    destinationSet_ = destinationSet == 1;
    for (int i = 0; i < 6; ++i) {
      const int address = nv::kDestinationBytes[i];
      std::uint8_t byte = 0;
      if (!destinationSet_) {
        image_[address] = destination_[i];
      } else if (!link_.ReadCtrlNvram(address, byte)) {
        return Fail(kMsgPrinterFailed);
      } else if (byte != destination_[i]) {
        return Fail(kMsgDestinationOrLists);
      }
    }
    // The image's flags are the board's own: a flag the board lacks is written only at the end,
    // and one it has must not be cleared by the block writes.
    image_[nv::kDestinationSet] = destinationSet_ ? 1 : 0;
    image_[nv::kBoardInitialised] = boardInitialised_ ? 1 : 0;
    return true;
  }

  // A board with a serial number of its own keeps it and is stamped as exchanged.
  bool KeepBoardSerial() {
    std::uint8_t serial[nv::kSerialLength];
    if (!link_.ReadCtrlNvramMulti448(nv::kSerialNumber, nv::kSerialLength, serial))
      return Fail(kMsgPrinterFailed);
    if (std::all_of(std::begin(serial), std::end(serial), [](std::uint8_t b) { return b == 0; }))
      return true;
    const auto date = files::ExchangeDateRecord(env_.clock.UnixSeconds());
    image_[nv::kExchangeStamp] = 1;
    std::copy(date.begin(), date.end(), &image_[nv::kExchangeStamp + 1]);
    std::copy(std::begin(serial), std::end(serial), &image_[nv::kSerialNumber]);
    return true;
  }

  bool WriteImage() {
    int written = 0;
    for (int address = 0; address < static_cast<int>(files::kNvramBytes); address += kWriteBlock) {
      if (files::IsSkipped(address)) continue;
      progress_->Set(written);
      if (!link_.WriteCtrlNvramMulti448(address, kWriteBlock, &image_[address]))
        return Fail(kMsgBoardDiffers);
      written += kWriteBlock;
    }
    return true;
  }

  bool Verify() {
    progress_->Switch(ItemText(run_.request, 5), kVerifyPhaseColour, kVerifyBarRange);
    int blocks = 0;
    for (std::size_t range = destinationSet_ ? 2 : 0; range < std::size(kVerifyRanges); ++range) {
      for (int a = kVerifyRanges[range].first; a < kVerifyRanges[range].second; a += kWriteBlock) {
        progress_->Set(kWriteBlock * blocks++);
        std::uint8_t read[kWriteBlock];
        if (!link_.ReadCtrlNvramMulti448(a, kWriteBlock, read)) return Fail(kMsgBoardDiffers);
        if (!std::equal(std::begin(read), std::end(read), &image_[a])) return Differs();
      }
    }
    return true;
  }

  // A board whose lists were never set up gets them erased before anything is written to them.
  bool PrepareLists() {
    progress_->Set(0);
    if (boardInitialised_) return true;
    return (link_.EraseList(1) && link_.EraseList(2)) || Fail(kMsgDestinationOrLists);
  }

  // The lists of this backup onto a board whose lists were just erased. Without them the
  // technician decides, before the board is marked, whether to finish without its lists.
  bool RestoreLists() {
    const std::string path = ServiceFile(env_, files::kWorkListFile);
    listFileFound_ = Exists(path);
    if (boardInitialised_) return true;
    const auto bytes =
        listFileFound_ ? platform::ReadFileHead(path, files::kListFileSize) : std::nullopt;
    Bytes lists(files::kListFileSize, 0);
    if (bytes) std::copy(bytes->begin(), bytes->end(), lists.begin());
    // Lists of another backup than the image's are not written.
    if (!bytes || files::GetDateStamp(&lists[files::kListsBytes]) !=
                      files::GetDateStamp(&image_[files::kNvramBytes]))
      return FinishWithoutLists();
    for (int attempt = 0; attempt < kListAttempts; ++attempt) {
      if (EachListBlock(*progress_, kListBarStart, kWriteBlock,
                        [&](std::uint8_t list, std::uint16_t offset, std::size_t at) {
                          return link_.WriteList448(list, offset, kWriteBlock, &lists[at]);
                        }))
        return true;
    }
    return Fail(kMsgListsNotRestored);
  }

  bool FinishWithoutLists() {
    progress_->Close();
    return env_.catalogue.ShowMessageById(kMsgNoListsOfThisBackup, ui::kOkCancel) !=
           ui::kAnswerCancel;
  }

  bool SetFlag(int address) { return SettledCtrlWrite(run_, address, 1) || Fail(kMsgBoardDiffers); }

  bool MarkInitialised() {
    if (!boardInitialised_ && !SetFlag(nv::kBoardInitialised)) return false;
    if (listFileFound_) Remove(ServiceFile(env_, files::kWorkListFile));
    return true;
  }

  bool MarkDestination() {
    if (destinationSet_) return true;
    for (int i = 0; i < 6; ++i) {
      std::uint8_t byte = 0;
      if (!link_.ReadCtrlNvram(nv::kDestinationBytes[i], byte)) return Fail(kMsgBoardDiffers);
      if (byte != destination_[i]) return Differs();
    }
    return SetFlag(nv::kDestinationSet);
  }

  bool Finish() {
    if (!chosen_) Remove(path_);
    progress_->Close();
    env_.catalogue.ShowMessageById(kMsgRestored, ui::kOk);
    link_.ClearJob();
    if (!encoder::Factory7C_03FC81(link_) || !encoder::Factory7C_03FC81(link_) || !link_.FlushJob())
      return false;
    run_.request.done = 1;
    return true;
  }

  OperationRun& run_;
  const ServiceEnvironment& env_;
  printer::CPrinterLink& link_;
  std::optional<ScopedProgressDialog> progress_;
  std::string path_;
  bool chosen_ = false;
  Bytes image_;
  std::size_t imageLength_ = 0;
  bool boardInitialised_ = false;
  bool destinationSet_ = false;
  driver::DestinationRecord destination_{};
  bool listFileFound_ = false;
};

bool RestoreNvramFromBackup(OperationRun& run) { return BoardRestore(run).Run(); }

}  // namespace

namespace {

// The utility backup itself; the model's firmware goes into romVersion.
UtilityBackupResult BackUpToFile(const ServiceEnvironment& env, const std::string& progressText,
                                 std::string& romVersion) {
  UtilityBackupResult result;
  Bytes image = files::BlankImage();
  const std::unique_ptr<printer::CPrinterLink> link = MakeRunLink(env);
  OperationRequest request;
  const bool opened = OpenCheckedSession(*link, request, env, 0);
  romVersion = request.romVersion;
  if (!opened) return result;
  result.sessionOpened = true;
  if (!link->ReadPrdString(nv::kSerialNumber, nv::kSerialLength, result.serialNumber)) {
    link->Close();
    result.serialNumber.clear();
    env.catalogue.ShowMessageById(kMsgSerialUnreadable, ui::kOk);
    return result;
  }
  {
    ScopedProgressDialog progress(env.ui, progressText, kReadPhaseColour, kUtilityBarRange);
    const bool read = ReadImageBlocks(*link, progress, image);
    progress.Close();
    link->Close();
    if (!read) {
      env.catalogue.ShowMessageById(kMsgNotAccepted, ui::kOk);
      return result;
    }
  }
  const files::DateStamp stamp = files::LocalDateStamp(env.clock.UnixSeconds());
  files::PutDateStamp(&image[files::kNvramBytes], stamp);
  char name[96];
  std::snprintf(name, sizeof name, "%s_%4d%02d%02d%02d%02d%02d.bin", result.serialNumber.c_str(),
                stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second);
  const auto path = env.ui.SaveFileDialog({"", name, "All Files (*.*)|*.*||", env.folders.program});
  result.cancelled = !path;
  if (!path) return result;
  if (!platform::ReplaceFile(*path, {reinterpret_cast<const char*>(image.data()), image.size()})) {
    env.catalogue.ShowMessageById(kMsgFileProblem, ui::kOk);
    return result;
  }
  result.savedPath = *path;
  return result;
}

}  // namespace

UtilityBackupResult RunUtilityBackup(const ServiceEnvironment& env,
                                     const std::string& progressText) {
  env.BeginRun();
  RecordedRun run;
  const UtilityBackupResult result = BackUpToFile(env, progressText, run.romVersion);
  if (!result.sessionOpened) return result;
  run.functionNumber = kBackupUtilityFunction;
  run.title = "NVRAM backup";
  run.serial = result.serialNumber;
  run.succeeded = !result.savedPath.empty();
  run.cancelled = result.cancelled;
  RecordRun(env, run);
  return result;
}

void AddBoardExchangeOperations(OperationTable& table) {
  table.Add(210200, "BackupNvramForExchange", BackupNvramForExchange);
  table.Add(110200, "RestoreNvramFromBackup", RestoreNvramFromBackup);
}

}  // namespace operations
