#pragma once
// The operation worker: one run opens a printer session, checks the model, runs the one
// operation the function number selects, closes the session and tells the dialog it finished.

#include <functional>
#include <memory>
#include <thread>

#include "operations/operation_table.h"

namespace operations {

// Message numbers of the catalogue that the dispatcher and the shared steps show.
inline constexpr int kMsgNoPrinter = 90000001;
inline constexpr int kMsgPrinterFailed = 90000005;
// resultCode of a run in mode 4 that met an unknown model.
inline constexpr int kResultUnknownModel = -100;
inline constexpr int kRunModeSilent = 4;
inline constexpr int kRunModeAnyModel = 5141;
// The two operations that reach the printer over the network, without a USB session.
inline constexpr int kStampClockReference = 210210;
inline constexpr int kSendNetworkNozzleCheck = 210370;

// What the worker runs with besides the request: the environment, the operations, and how it
// tells the dialog that a run has ended (the operation-done message 1145).
struct Dispatch {
  const ServiceEnvironment& environment;
  const OperationTable& operations;
  std::function<void()> postDone;
  // Told of every byte the run's printer took, in order (scripts keep them to decode a run).
  std::function<void(const std::uint8_t*, std::size_t)> sentTap = {};
};

inline int FunctionNumber(int buttonBase, int itemNumber) { return buttonBase + itemNumber; }
inline bool IsNetworkFunction(int functionNumber) {
  return functionNumber == kStampClockReference || functionNumber == kSendNetworkNozzleCheck;
}

// A printer link for one run or one prefetch, with the pattern headers' text mode set.
std::unique_ptr<printer::CPrinterLink> MakeRunLink(const ServiceEnvironment& environment);

// Opens the link on the configured port, reads the ROM version into the request and selects the
// model. A missing printer shows 90000001 and sets printerMissing; an unknown model closes the
// link and, by the run mode, sets resultCode -100 (mode 4), is accepted (mode 5141) or is shown in
// the message dialog in unknownModelMode. True when the link is open on a model to work with.
bool OpenCheckedSession(printer::CPrinterLink& link, OperationRequest& request,
                        const ServiceEnvironment& environment, int unknownModelMode);

// The worker entries. Both clear the request's worker flag and post done on every path.
// RunOperation is true when an operation was dispatched, whatever its own result.
bool RunOperation(OperationRequest& request, const Dispatch& dispatch);
bool RunNetworkOperation(OperationRequest& request, const Dispatch& dispatch);

// Starts runs on a worker thread, one at a time.
class OperationWorker {
public:
  explicit OperationWorker(Dispatch dispatch) : dispatch_(std::move(dispatch)) {}
  ~OperationWorker();
  OperationWorker(const OperationWorker&) = delete;
  OperationWorker& operator=(const OperationWorker&) = delete;

  // Starts the run of the request's button base and item, choosing the worker entry by the
  // function number; false (nothing started) while a run is going.
  bool Start(OperationRequest& request);
  // Starts the hot-key sequence of F11 or F12; false while a run is going.
  bool StartHotKey(OperationRequest& request, int key);
  // Waits for the current run, if any.
  void Join();
  const Dispatch& Dispatcher() const { return dispatch_; }

private:
  bool Launch(OperationRequest& request, bool network);

  Dispatch dispatch_;
  std::thread thread_;
};

}  // namespace operations
