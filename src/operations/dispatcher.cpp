#include "operations/dispatcher.h"

#include <cstdio>

#include "driver/product_constants.h"
#include "encoder/raster_commands.h"
#include "operations/service_record.h"

namespace operations {
namespace {

// Ends a run on every path: the dialog may start the next one and refreshes its page.
class EndOfRun {
public:
  EndOfRun(OperationRequest& request, const Dispatch& dispatch)
      : request_(request), dispatch_(dispatch) {}
  ~EndOfRun() {
    request_.workerRunning = false;
    if (dispatch_.postDone) dispatch_.postDone();
  }
  EndOfRun(const EndOfRun&) = delete;
  EndOfRun& operator=(const EndOfRun&) = delete;

private:
  OperationRequest& request_;
  const Dispatch& dispatch_;
};

void ForgetLastOperation(OperationRequest& request) {
  request.operationRan.clear();
  request.operationSucceeded = false;
}

// Runs the operation, if there is one, and notes which it was and how it went.
void RunEntry(const OperationEntry* operation, OperationRun& run) {
  if (operation == nullptr) return;
  run.request.operationRan = operation->name;
  run.request.operationSucceeded = operation->run(run);
}

// The service record's row of a run that ran an operation: named by the item's title, or by the
// operation's name where no tree gave one (the command line). A network run has no USB session to
// read the model and serial number over.
void Record(const ServiceEnvironment& env, const OperationRequest& request, int number,
            const OperationEntry* operation, printer::CPrinterLink* session) {
  if (operation == nullptr || !ServiceRecordOn(env)) return;
  RecordedRun run;
  run.functionNumber = number;
  run.title = request.itemTitle.empty() ? operation->name : request.itemTitle;
  if (session != nullptr) {
    run.romVersion = request.romVersion;
    run.serial = ReadRecordSerial(*session);
  }
  run.succeeded = request.operationSucceeded;
  run.lastError = request.lastError;
  RecordRun(env, run);
}

// Gathers what the run's link sends, passes it on to the dispatch's tap, and keeps the pages it
// printed for the item's "Picture" when the run ends.
class SentPages {
public:
  SentPages(printer::CPrinterLink& link, const Dispatch& dispatch) {
    link.SetSentJobTap([this, tap = dispatch.sentTap](const std::uint8_t* bytes, std::size_t n) {
      sent_.insert(sent_.end(), bytes, bytes + n);
      if (tap) tap(bytes, n);
    });
  }
  SentPages(const SentPages&) = delete;
  SentPages& operator=(const SentPages&) = delete;
  void Keep(const ServiceEnvironment& env, int item) { env.printed.Keep(item, std::move(sent_)); }

private:
  std::vector<std::uint8_t> sent_;
};

}  // namespace

std::unique_ptr<printer::CPrinterLink> MakeRunLink(const ServiceEnvironment& environment) {
  auto link = std::make_unique<printer::CPrinterLink>(environment.Link(), environment.MakeDriver());
  // Text bands of the pattern headers print as 2-bit raster in colour 0.
  encoder::TXSetInfo(*link, 2, 0);
  return link;
}

bool OpenCheckedSession(printer::CPrinterLink& link, OperationRequest& request,
                        const ServiceEnvironment& environment, int unknownModelMode) {
  if (!link.Open(environment.ConfiguredPort())) {
    request.printerMissing = 1;
    environment.catalogue.ShowMessageById(kMsgNoPrinter, ui::kOk);
    return false;
  }
  request.printerMissing = 0;
  request.romVersion.clear();
  link.ReadRomVersion(request.romVersion);  // a failed read leaves no model code
  const std::string model = request.romVersion.substr(0, 2);
  // The model is looked up first so that only this message (or, in run mode 4, none) tells of an
  // unknown one.
  const bool known = driver::FindModel(model) != nullptr && link.SetModel(model);
  if (known || request.runMode == kRunModeAnyModel) return true;
  link.Close();
  if (request.runMode == kRunModeSilent) {
    request.resultCode = kResultUnknownModel;
  } else {
    char text[160];
    std::snprintf(text, sizeof text,
                  "This printer is Unknown model.\n Model = %s\nPlease check the printer model.",
                  model.c_str());
    environment.ui.ShowMessageDialog(text, unknownModelMode);
  }
  return false;
}

bool RunOperation(OperationRequest& request, const Dispatch& dispatch) {
  const EndOfRun end(request, dispatch);
  const ServiceEnvironment& environment = dispatch.environment;
  const std::unique_ptr<printer::CPrinterLink> link = MakeRunLink(environment);
  SentPages sent(*link, dispatch);
  const auto finish = [&](bool result) {
    request.lastError = link->LastError();
    return result;
  };
  ForgetLastOperation(request);
  environment.BeginRun();
  if (!OpenCheckedSession(*link, request, environment, 0)) return finish(false);
  link->ClearJob();
  OperationRun run{environment, *link, request};
  int number = 0;
  if (request.hotKeyRun == 1) {
    request.hotKeyRun = 0;
    if (request.buttonBase == kF11 || request.buttonBase == kF12) number = request.buttonBase;
  } else {
    number = FunctionNumber(request.buttonBase, request.itemNumber);
  }
  const OperationEntry* operation = dispatch.operations.Find(number);
  RunEntry(operation, run);
  const bool result = finish(true);
  sent.Keep(environment, request.itemNumber);
  Record(environment, request, number, operation, link.get());
  link->Close();
  return result;
}

bool RunNetworkOperation(OperationRequest& request, const Dispatch& dispatch) {
  const EndOfRun end(request, dispatch);
  const std::unique_ptr<printer::CPrinterLink> link = MakeRunLink(dispatch.environment);
  SentPages sent(*link, dispatch);
  OperationRun run{dispatch.environment, *link, request};
  ForgetLastOperation(request);
  dispatch.environment.BeginRun();
  const int number = FunctionNumber(request.buttonBase, request.itemNumber);
  const OperationEntry* operation =
      IsNetworkFunction(number) ? dispatch.operations.Find(number) : nullptr;
  RunEntry(operation, run);
  request.lastError = link->LastError();
  sent.Keep(dispatch.environment, request.itemNumber);
  Record(dispatch.environment, request, number, operation, nullptr);
  return true;
}

OperationWorker::~OperationWorker() { Join(); }

bool OperationWorker::Start(OperationRequest& request) {
  return Launch(request, IsNetworkFunction(FunctionNumber(request.buttonBase, request.itemNumber)));
}

bool OperationWorker::StartHotKey(OperationRequest& request, int key) {
  if (request.workerRunning) return false;
  request.buttonBase = key;
  request.hotKeyRun = 1;
  return Launch(request, false);
}

bool OperationWorker::Launch(OperationRequest& request, bool network) {
  if (request.workerRunning.exchange(true)) return false;
  Join();  // the previous run has ended; its thread may still be returning
  thread_ = std::thread([this, &request, network] {
    if (network) {
      RunNetworkOperation(request, dispatch_);
    } else {
      RunOperation(request, dispatch_);
    }
  });
  return true;
}

void OperationWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace operations
