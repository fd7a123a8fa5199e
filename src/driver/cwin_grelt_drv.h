#pragma once
// The printer library: reaches the printer found in the device directory and checks every
// argument before the printer sees it, answering bad ones with kDrvInvalidArgument.

#include <memory>

#include "driver/device_directory.h"
#include "driver/grelt_driver.h"

namespace driver {

class CWinGreltDrv final : public GreltDriver {
public:
  explicit CWinGreltDrv(DeviceDirectory& directory);
  ~CWinGreltDrv() override;
  CWinGreltDrv(const CWinGreltDrv&) = delete;
  CWinGreltDrv& operator=(const CWinGreltDrv&) = delete;

  int Open(int port, std::string* info, int option) override;
  int Open(const std::string& name, std::string* info) override;
  int Close() override;
  int Send(const std::uint8_t* data, int length) override;
  int SendEx(const std::uint8_t* data, unsigned long total, unsigned long offset,
             unsigned long* taken) override;
  int Ctl_GetStatus(STATUSINF* status) override;
  int Ctl_ReplyEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address, std::uint8_t* value) override;
  int Ctl_ReplyEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                            std::uint8_t* data) override;
  int Ctl_ReplyEEPMulti_LFP448(std::uint8_t c0, std::uint8_t c1, int address, int count,
                               std::uint8_t* data) override;
  int Ctl_WriteEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address, std::uint8_t value,
                       std::uint8_t k1, std::uint8_t k2, std::uint8_t k3, std::uint8_t k4,
                       std::uint8_t k5, std::uint8_t k6, std::uint8_t k7, std::uint8_t k8) override;
  int Ctl_WriteEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                            const std::uint8_t* data, const std::uint8_t* key) override;
  int Ctl_WriteEEPMulti_LFP448(std::uint8_t c0, std::uint8_t c1, int address, int count,
                               const std::uint8_t* data, const std::uint8_t* key) override;
  int Prod_ReplyEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address,
                        std::uint8_t* value) override;
  int Prod_ReplyEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                             std::uint8_t* data) override;
  int Prod_ReplyEEP2(std::uint8_t c0, std::uint8_t c1, std::uint8_t addressLow,
                     std::uint8_t addressHigh, std::uint8_t* data) override;
  int Prod_ReplyRTC(std::uint8_t c0, std::uint8_t c1, std::string* text) override;
  int Prod_ReplyRTC_SetVal(std::uint8_t c0, std::uint8_t c1, std::string* text) override;
  int Ctl_ReplyRomVer(std::string* text) override;
  int Ctl_List_Erase(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind) override;
  int Ctl_Erase_Reply(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                      std::uint8_t* state) override;
  int Ctl_Reply_List448(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind, std::uint16_t offset,
                        std::uint16_t count, std::uint8_t* data) override;
  int Ctl_Write_List448(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind, std::uint16_t offset,
                        std::uint16_t count, const std::uint8_t* data) override;
  int Ctl_ResumePaperJam() override;
  int Ctl_ResumePaperOut() override;
  int Accel_Remote_GetStatus_st(ASTATUSINF* status) override;
  int Accel_Remote_GetStatus(std::uint8_t selector, ALSTATUSINF* status) override;
  int Accel_Remote_GetColorimetry_RplyData(std::string* text) override;

private:
  int OpenDevice(std::shared_ptr<PrinterDevice> device, std::string* info);
  // Forwards a call to the open printer.
  int Forward(DeviceCall& call);
  int Read(DeviceOp op, std::uint8_t c0, std::uint8_t c1, int address, int count,
           std::uint8_t* data);
  int Write(std::uint8_t c0, std::uint8_t c1, int address, int count, const std::uint8_t* data,
            const std::uint8_t* key);
  int Text(DeviceOp op, std::uint8_t c0, std::uint8_t c1, std::string* text);

  DeviceDirectory& directory_;
  std::shared_ptr<PrinterDevice> device_;
  bool session_ = false;
};

}  // namespace driver
