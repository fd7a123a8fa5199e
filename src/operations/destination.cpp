// The destination: the regional settings a new main board gets before its first use.
//
// Operations:
//   230020  SetDestination: the program's destination record onto the board, then its flags

#include <optional>

#include "driver/nvram_map.h"
#include "driver/product_constants.h"
#include "encoder/factory_commands.h"
#include "operations/service_operations.h"
#include "operations/shared_steps.h"
#include "printer/link_errors.h"

namespace operations {
namespace {

namespace nv = driver::nvram;

constexpr int kMsgAskDestination = 13002001;
constexpr int kMsgDestinationDiffers = 93002001;
constexpr const char* kNoDestinationRecord = "Cannot Get Destination Settings.";

// One run of the destination write. The wait dialog closes before any message shows.
class DestinationWrite {
public:
  explicit DestinationWrite(OperationRun& run) : run_(run), link_(run.link) {}

  bool Run() {
    if (run_.env.catalogue.ShowMessageById(kMsgAskDestination, ui::kOkCancel) == ui::kAnswerCancel)
      return false;
    wait_.emplace(run_.env.ui, ItemText(run_.request, 1));
    if (!PrepareBoard()) return false;
    const auto record = driver::FindDestination(driver::kProgramDestination);
    if (!record) {
      wait_.reset();
      run_.env.ui.MessageBox(kNoDestinationRecord, ui::kApplicationTitle, ui::kOk | ui::kIconError);
      return false;
    }
    return WriteRecord(*record) && WriteTail(*record) && Finish();
  }

private:
  bool Fail(int message) {
    wait_.reset();
    run_.env.catalogue.ShowMessageById(message, ui::kOk);
    return false;
  }

  // A board whose lists were never set up gets empty ones. A flag that cannot be read erases
  // nothing: the lists of a board in use are not to be lost to a bad cable.
  bool PrepareBoard() {
    std::uint8_t initialised = 0;
    if (!link_.ReadCtrlNvram(nv::kBoardInitialised, initialised)) return Fail(kMsgPrinterFailed);
    if (initialised != 1 && !(link_.EraseList(1) && link_.EraseList(2)))
      return Fail(kMsgDestinationOrLists);
    return SettledCtrlWrite(run_, nv::kBoardInitialised, 1) || Fail(kMsgBoardDiffers);
  }

  // Whether the board's six destination bytes are the record's; nothing when they cannot be read.
  std::optional<bool> RecordOnBoard(const driver::DestinationRecord& record) {
    for (int i = 0; i < 6; ++i) {
      std::uint8_t byte = 0;
      if (!link_.ReadCtrlNvram(nv::kDestinationBytes[i], byte)) return std::nullopt;
      if (byte != record[static_cast<std::size_t>(i)]) return false;
    }
    return true;
  }

  // A board that has its destination keeps it, and it must be the program's.
  bool WriteRecord(const driver::DestinationRecord& record) {
    std::uint8_t set = 0;
    if (!link_.ReadCtrlNvram(nv::kDestinationSet, set)) return Fail(kMsgPrinterFailed);
    if (set == 1) return RecordOnBoard(record).value_or(false) || Fail(kMsgDestinationDiffers);
    // 162 to 166 lie together; 169 stands apart.
    if (!link_.WriteCtrlNvramMulti(nv::kDestinationBytes[0], 5, record.data()) ||
        !link_.WriteCtrlNvram(nv::kDestinationBytes[5], record[5]))
      return Fail(kMsgBoardDiffers);
    const std::optional<bool> written = RecordOnBoard(record);
    if (written == false) link_.SetLastError(printer::kReadBackDiffers);
    if (written != true) return Fail(kMsgBoardDiffers);
    return SettledCtrlWrite(run_, nv::kDestinationSet, 1) || Fail(kMsgDestinationOrLists);
  }

  bool WriteTail(const driver::DestinationRecord& record) {
    if (!SettledCtrlWrite(run_, nv::kDestinationCode, record[6]) ||
        !SettledCtrlWrite(run_, nv::kDestinationOption, record[7]))
      return Fail(kMsgBoardDiffers);
    return link_.WriteCtrlNvram(nv::kServiceFlag, 0) || Fail(kMsgNotAccepted);
  }

  bool Finish() {
    wait_.reset();
    run_.env.catalogue.ShowMessageById(kMsgWritten, ui::kOk);
    if (!encoder::Factory7C_03FC81(link_) || !link_.FlushJob()) return false;
    run_.request.done = 1;
    return true;
  }

  OperationRun& run_;
  printer::CPrinterLink& link_;
  std::optional<ScopedWaitDialog> wait_;
};

bool SetDestination(OperationRun& run) { return DestinationWrite(run).Run(); }

}  // namespace

void AddDestinationOperations(OperationTable& table) {
  table.Add(230020, "SetDestination", SetDestination);
}

}  // namespace operations
