#include "driver/cwin_grelt_drv.h"

#include <algorithm>

namespace driver {
namespace {

constexpr int kNvramSize = 0x10000;

// An NVRAM range of count bytes from address that lies wholly inside the 64 KiB.
bool ValidRange(int address, int count) {
  return address >= 0 && address < kNvramSize && count > 0 && count <= kNvramSize - address;
}

DeviceCall CallOf(DeviceOp op, std::uint8_t c0, std::uint8_t c1) {
  DeviceCall call;
  call.op = op;
  call.access = {c0, c1};
  return call;
}

}  // namespace

CWinGreltDrv::CWinGreltDrv(DeviceDirectory& directory) : directory_(directory) {}

CWinGreltDrv::~CWinGreltDrv() { Close(); }

int CWinGreltDrv::OpenDevice(std::shared_ptr<PrinterDevice> device, std::string* info) {
  Close();
  if (!device) return kDrvNoDevice;
  device_ = std::move(device);
  portHandle_ = RegisterPortHandle(device_);
  DeviceCall call;
  call.op = DeviceOp::OpenSession;
  const int result = device_->Call(call);
  if (info != nullptr) *info = call.text;
  // A printer in boot mode keeps its port open for the raw writer, but takes no session.
  session_ = result >= 0;
  if (result < 0 && result != kDrvBootMode) Close();
  return result;
}

int CWinGreltDrv::Open(int port, std::string* info, int) {
  return OpenDevice(directory_.FindByPort(port), info);
}

int CWinGreltDrv::Open(const std::string& name, std::string* info) {
  return OpenDevice(directory_.FindByLink(name), info);
}

int CWinGreltDrv::Close() {
  if (!device_) return kDrvNotOpen;
  if (session_) {
    DeviceCall call;
    call.op = DeviceOp::CloseSession;
    device_->Call(call);
  }
  ReleasePortHandle(portHandle_);
  portHandle_ = 0;
  session_ = false;
  device_.reset();
  return kDrvOk;
}

int CWinGreltDrv::Forward(DeviceCall& call) {
  if (!device_ || !session_) return kDrvNotOpen;
  return device_->Call(call);
}

int CWinGreltDrv::Send(const std::uint8_t* data, int length) {
  if (data == nullptr || length < 0) return kDrvInvalidArgument;
  DeviceCall call;
  call.op = DeviceOp::Send;
  call.in = data;
  call.inLength = static_cast<std::size_t>(length);
  // Send delivers all or nothing, and busy means nothing was taken: the caller sends the same
  // chunk again, so a partial take would arrive twice.
  call.wholeOnly = true;
  const int result = Forward(call);
  if (result < 0) return result;
  return call.taken == call.inLength ? static_cast<int>(call.taken) : kDrvBusy;
}

int CWinGreltDrv::SendEx(const std::uint8_t* data, unsigned long total, unsigned long offset,
                         unsigned long* taken) {
  if (data == nullptr || taken == nullptr || offset > total) return kDrvInvalidArgument;
  *taken = 0;
  DeviceCall call;
  call.op = DeviceOp::Send;
  call.in = data + offset;
  call.inLength = total - offset;
  const int result = Forward(call);
  if (result < 0) return result;
  *taken = call.taken;
  return offset + call.taken == total ? kDrvOk : kDrvBusy;
}

int CWinGreltDrv::Ctl_GetStatus(STATUSINF* status) {
  if (status == nullptr) return kDrvInvalidArgument;
  DeviceCall call;
  call.op = DeviceOp::GetStatus;
  const int result = Forward(call);
  if (result >= 0) *status = call.status;
  return result;
}

int CWinGreltDrv::Read(DeviceOp op, std::uint8_t c0, std::uint8_t c1, int address, int count,
                       std::uint8_t* data) {
  if (data == nullptr || !ValidRange(address, count)) return kDrvInvalidArgument;
  DeviceCall call = CallOf(op, c0, c1);
  call.address = address;
  call.count = count;
  call.out = data;
  return Forward(call);
}

int CWinGreltDrv::Write(std::uint8_t c0, std::uint8_t c1, int address, int count,
                        const std::uint8_t* data, const std::uint8_t* key) {
  if (data == nullptr || key == nullptr || !ValidRange(address, count)) return kDrvInvalidArgument;
  DeviceCall call = CallOf(DeviceOp::CtlWrite, c0, c1);
  call.address = address;
  call.count = count;
  call.in = data;
  call.inLength = static_cast<std::size_t>(count);
  std::copy(key, key + 8, call.key.begin());
  return Forward(call);
}

int CWinGreltDrv::Text(DeviceOp op, std::uint8_t c0, std::uint8_t c1, std::string* text) {
  if (text == nullptr) return kDrvInvalidArgument;
  DeviceCall call = CallOf(op, c0, c1);
  const int result = Forward(call);
  if (result >= 0) *text = call.text;
  return result;
}

int CWinGreltDrv::Ctl_ReplyEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address,
                                   std::uint8_t* value) {
  return Read(DeviceOp::CtlRead, c0, c1, address, 1, value);
}

int CWinGreltDrv::Ctl_ReplyEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                        std::uint8_t* data) {
  return Read(DeviceOp::CtlRead, c0, c1, address, count, data);
}

int CWinGreltDrv::Ctl_ReplyEEPMulti_LFP448(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                           std::uint8_t* data) {
  return Read(DeviceOp::CtlRead, c0, c1, address, count, data);
}

int CWinGreltDrv::Ctl_WriteEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address,
                                   std::uint8_t value, std::uint8_t k1, std::uint8_t k2,
                                   std::uint8_t k3, std::uint8_t k4, std::uint8_t k5,
                                   std::uint8_t k6, std::uint8_t k7, std::uint8_t k8) {
  const std::uint8_t key[8] = {k1, k2, k3, k4, k5, k6, k7, k8};
  return Write(c0, c1, address, 1, &value, key);
}

int CWinGreltDrv::Ctl_WriteEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                        const std::uint8_t* data, const std::uint8_t* key) {
  return Write(c0, c1, address, count, data, key);
}

int CWinGreltDrv::Ctl_WriteEEPMulti_LFP448(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                           const std::uint8_t* data, const std::uint8_t* key) {
  return Write(c0, c1, address, count, data, key);
}

int CWinGreltDrv::Prod_ReplyEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address,
                                    std::uint8_t* value) {
  return Read(DeviceOp::PrdRead, c0, c1, address, 1, value);
}

int CWinGreltDrv::Prod_ReplyEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                         std::uint8_t* data) {
  return Read(DeviceOp::PrdRead, c0, c1, address, count, data);
}

int CWinGreltDrv::Prod_ReplyEEP2(std::uint8_t c0, std::uint8_t c1, std::uint8_t addressLow,
                                 std::uint8_t addressHigh, std::uint8_t* data) {
  return Read(DeviceOp::UnitRead, c0, c1, addressLow | (addressHigh << 8), 1, data);
}

int CWinGreltDrv::Prod_ReplyRTC(std::uint8_t c0, std::uint8_t c1, std::string* text) {
  return Text(DeviceOp::ReadRtc, c0, c1, text);
}

int CWinGreltDrv::Prod_ReplyRTC_SetVal(std::uint8_t c0, std::uint8_t c1, std::string* text) {
  return Text(DeviceOp::ReadRtcSetValue, c0, c1, text);
}

int CWinGreltDrv::Ctl_ReplyRomVer(std::string* text) {
  return Text(DeviceOp::ReadRomVersion, 0, 0, text);
}

int CWinGreltDrv::Ctl_List_Erase(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind) {
  DeviceCall call = CallOf(DeviceOp::ListErase, c0, c1);
  call.listKind = kind;
  return Forward(call);
}

int CWinGreltDrv::Ctl_Erase_Reply(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                                  std::uint8_t* state) {
  if (state == nullptr) return kDrvInvalidArgument;
  DeviceCall call = CallOf(DeviceOp::EraseReply, c0, c1);
  call.listKind = kind;
  const int result = Forward(call);
  if (result >= 0) *state = call.state;
  return result;
}

int CWinGreltDrv::Ctl_Reply_List448(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                                    std::uint16_t offset, std::uint16_t count, std::uint8_t* data) {
  if (data == nullptr || count == 0) return kDrvInvalidArgument;
  DeviceCall call = CallOf(DeviceOp::ListRead, c0, c1);
  call.listKind = kind;
  call.value1 = offset;
  call.value2 = count;
  call.out = data;
  return Forward(call);
}

int CWinGreltDrv::Ctl_Write_List448(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                                    std::uint16_t offset, std::uint16_t count,
                                    const std::uint8_t* data) {
  if (data == nullptr || count == 0) return kDrvInvalidArgument;
  DeviceCall call = CallOf(DeviceOp::ListWrite, c0, c1);
  call.listKind = kind;
  call.value1 = offset;
  call.value2 = count;
  call.in = data;
  call.inLength = count;
  return Forward(call);
}

int CWinGreltDrv::Ctl_ResumePaperJam() {
  DeviceCall call;
  call.op = DeviceOp::ResumePaperJam;
  return Forward(call);
}

int CWinGreltDrv::Ctl_ResumePaperOut() {
  DeviceCall call;
  call.op = DeviceOp::ResumePaperOut;
  return Forward(call);
}

int CWinGreltDrv::Accel_Remote_GetStatus_st(ASTATUSINF* status) {
  if (status == nullptr) return kDrvInvalidArgument;
  DeviceCall call;
  call.op = DeviceOp::AccelStatusShort;
  const int result = Forward(call);
  if (result >= 0) *status = call.accel;
  return result;
}

int CWinGreltDrv::Accel_Remote_GetStatus(std::uint8_t selector, ALSTATUSINF* status) {
  if (status == nullptr) return kDrvInvalidArgument;
  DeviceCall call;
  call.op = DeviceOp::AccelStatus;
  call.selector = selector;
  const int result = Forward(call);
  if (result >= 0) *status = call.unit;
  return result;
}

int CWinGreltDrv::Accel_Remote_GetColorimetry_RplyData(std::string* text) {
  return Text(DeviceOp::AccelColorimetry, 0, 0, text);
}

}  // namespace driver
