// CPrinterLink: NVRAM, clock, firmware version, lists and the head identity.

#include <cctype>
#include <cstdio>

#include "driver/cwin_hdidapi.h"
#include "printer/printer_link.h"

namespace printer {
namespace {

constexpr int kEraseSleeps = 16;

}  // namespace

bool CPrinterLink::Refuse(int address, const char* text) {
  if (address != kNoAddress) return false;
  Say(std::string(text) + "\n0xFFFF");
  lastError_ = kNoSuchAddress;
  return true;
}

bool CPrinterLink::ReadCtrlNvram(int address, std::uint8_t& value) {
  if (Refuse(address, "Ctrl READ NVRAM ADDRESS ERROR.")) return false;
  return Check(driver_->Ctl_ReplyEEP_LFP(access_[0], access_[1], address, &value));
}

bool CPrinterLink::ReadCtrlNvramMulti448(int address, int count, std::uint8_t* buffer) {
  if (Refuse(address, "Ctrl READ MULTI NVRAM ADDRESS ERROR.")) return false;
  return Check(driver_->Ctl_ReplyEEPMulti_LFP448(access_[0], access_[1], address, count, buffer));
}

bool CPrinterLink::ReadCtrlNvramMulti(int address, int count, std::uint8_t* buffer) {
  if (Refuse(address, "Ctrl READ MULTI NVRAM ADDRESS ERROR.")) return false;
  return Check(driver_->Ctl_ReplyEEPMulti_LFP(access_[0], access_[1], address, count, buffer));
}

bool CPrinterLink::WriteCtrlNvram(int address, std::uint8_t value) {
  if (Refuse(address, "Ctrl WRITE NVRAM ADDRESS ERROR.")) return false;
  const driver::WriteKey& k = key_;
  return Check(driver_->Ctl_WriteEEP_LFP(access_[0], access_[1], address, value, k[0], k[1], k[2],
                                         k[3], k[4], k[5], k[6], k[7]));
}

bool CPrinterLink::WriteCtrlNvramMulti448(int address, int count, const std::uint8_t* buffer) {
  if (Refuse(address, "Ctrl WRITE MULTI NVRAM ADDRESS ERROR.")) return false;
  return Check(driver_->Ctl_WriteEEPMulti_LFP448(access_[0], access_[1], address, count, buffer,
                                                 key_.data()));
}

bool CPrinterLink::WriteCtrlNvramMulti(int address, int count, const std::uint8_t* buffer) {
  if (Refuse(address, "Ctrl WRITE MULTI NVRAM ADDRESS ERROR.")) return false;
  return Check(
      driver_->Ctl_WriteEEPMulti_LFP(access_[0], access_[1], address, count, buffer, key_.data()));
}

bool CPrinterLink::ReadPrdNvram(int address, std::uint8_t& value) {
  if (Refuse(address, "Prd READ NVRAM ADDRESS ERROR.")) return false;
  return Check(driver_->Prod_ReplyEEP_LFP(access_[0], access_[1], address, &value));
}

bool CPrinterLink::ReadPrdNvramMulti(int address, int count, std::uint8_t* buffer) {
  if (Refuse(address, "Prd READ MULTI NVRAM ADDRESS ERROR.")) return false;
  return Check(driver_->Prod_ReplyEEPMulti_LFP(access_[0], access_[1], address, count, buffer));
}

bool CPrinterLink::WritePrdNvram(int address, std::uint8_t value) {
  if (address == kNoAddress) {
    Say("Prd WRITE NVRAM ADDRESS ERROR.\n0xFFFF");
    return false;
  }
  std::uint8_t params[11] = {static_cast<std::uint8_t>(address),
                             static_cast<std::uint8_t>(address >> 8), value};
  std::copy(key_.begin(), key_.end(), params + 3);
  return AppendFactory(driver::factory::kPrdWrite, 0x01, params, sizeof params);
}

bool CPrinterLink::WritePrdNvramMulti(int address, int count, const std::uint8_t* bytes) {
  if (address == kNoAddress) {
    Say("Prd WRITE MULTI NVRAM ADDRESS ERROR.\n0xFFFF");
    return false;
  }
  // The command's length field is one byte holding count + 16.
  if (count < 1 || count > kMaxPrdWrite || bytes == nullptr) return Fail(kValueDoesNotFit);
  std::uint8_t params[kMaxPrdWrite + 11] = {static_cast<std::uint8_t>(address),
                                            static_cast<std::uint8_t>(address >> 8),
                                            static_cast<std::uint8_t>(count)};
  std::copy(bytes, bytes + count, params + 3);
  std::copy(key_.begin(), key_.end(), params + 3 + count);
  return AppendFactory(driver::factory::kPrdWriteMulti, 0x01, params,
                       static_cast<std::size_t>(count) + 11);
}

int CPrinterLink::ReadPrdNvram2(std::uint16_t address, std::uint8_t* buffer) {
  return driver_->Prod_ReplyEEP2(access_[0], access_[1], static_cast<std::uint8_t>(address),
                                 static_cast<std::uint8_t>(address >> 8), buffer);
}

bool CPrinterLink::ReadPrdString(int address, int length, std::string& text) {
  if (length < 1) return Fail(kValueDoesNotFit);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  if (!ReadPrdNvramMulti(address, length, reinterpret_cast<std::uint8_t*>(bytes.data())))
    return false;
  for (const char c : bytes) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) return Fail(kNotLetterOrDigit);
  }
  text = bytes;
  return true;
}

bool CPrinterLink::ReadRtc(std::string& text) {
  return Check(driver_->Prod_ReplyRTC(access_[0], access_[1], &text));
}

bool CPrinterLink::ReadRtcSetValue(std::string& text) {
  return Check(driver_->Prod_ReplyRTC_SetVal(access_[0], access_[1], &text));
}

bool CPrinterLink::ReadRomVersion(std::string& text) {
  return Check(driver_->Ctl_ReplyRomVer(&text));
}

bool CPrinterLink::EraseList(int kind) {
  const std::uint8_t list = kind == 1 ? 0xA3 : kind == 2 ? 0xD6 : static_cast<std::uint8_t>(kind);
  if (!Check(driver_->Ctl_List_Erase(access_[0], access_[1], list))) return false;
  std::uint8_t state = 0;
  for (int reply = 0; reply < 2; ++reply) {
    if (!Check(driver_->Ctl_Erase_Reply(access_[0], access_[1], list, &state))) return false;
  }
  for (int sleeps = 0;;) {
    if (state == 0) return true;
    if (state == 2) return Fail(kEraseFailed);
    env_.clock.Sleep(std::chrono::milliseconds(1000));
    if (++sleeps == kEraseSleeps) return Fail(kEraseTimeout);
    if (!Check(driver_->Ctl_Erase_Reply(access_[0], access_[1], list, &state))) return false;
  }
}

bool CPrinterLink::ReadList448(std::uint8_t kind, std::uint16_t offset, std::uint16_t count,
                               std::uint8_t* buffer) {
  return Check(driver_->Ctl_Reply_List448(access_[0], access_[1], kind, offset, count, buffer));
}

bool CPrinterLink::WriteList448(std::uint8_t kind, std::uint16_t offset, std::uint16_t count,
                                const std::uint8_t* buffer) {
  return driver_->Ctl_Write_List448(access_[0], access_[1], kind, offset, count, buffer) >= 0;
}

bool CPrinterLink::ReadHeadId(std::string& text, int kind) {
  int address = 0;
  if (kind == 1) {
    address = driver::kHeadIdAddress;
  } else if (kind == 3) {
    address = kNoAddress;  // the model has no second head
  } else {
    return Fail(kNoSuchAddress);
  }
  std::uint8_t bytes[driver::kHeadIdLength];
  if (!ReadPrdNvramMulti(address, driver::kHeadIdLength, bytes)) return false;
  int symbols[driver::kHeadIdLength];
  for (int i = 0; i < driver::kHeadIdLength; ++i) symbols[i] = bytes[i];
  text.clear();
  const int result = driver::CWinHdidapi(80).ConvData2String(symbols, &text);
  if (result < 0) {
    char message[64];
    std::snprintf(message, sizeof message, "Head %d Hdidapi Error = %d", kind, result);
    Say(message);
    return Fail(result);
  }
  return true;
}

bool CPrinterLink::WriteHeadId(int kind, const std::string& text) {
  int symbols[driver::kHeadIdLength];
  const int result = driver::CWinHdidapi(80).ConvString2Data(text, symbols);
  if (result < 0) {
    lastError_ = result;
    Say("ConvString2Data");
    return false;
  }
  if (text.size() < driver::kHeadIdChars) {
    lastError_ = kHeadIdTooShort;
    Say("Debug Error.WriteHeadID");
    return false;
  }
  std::uint8_t params[2 + driver::kHeadIdChars] = {0x00, static_cast<std::uint8_t>(kind)};
  std::copy(text.begin(), text.begin() + driver::kHeadIdChars, params + 2);
  return AppendFactory(driver::factory::kHeadIdWrite, 0x01, params, sizeof params);
}

}  // namespace printer
