#pragma once
// The printer library's contract: the operations the program calls, with their argument orders
// and return conventions (negative: failure code; -16: busy). Code bytes c0, c1 are the selected
// model's access code.

#include <cstdint>
#include <string>

#include "driver/records.h"

namespace driver {

class GreltDriver {
public:
  virtual ~GreltDriver() = default;

  // The open port's handle, which the port writer is given; 0 while no port is open.
  std::int32_t PortHandle() const { return portHandle_; }

  virtual int Open(int port, std::string* info, int option) = 0;
  virtual int Open(const std::string& name, std::string* info) = 0;
  virtual int Close() = 0;
  virtual int Send(const std::uint8_t* data, int length) = 0;
  virtual int SendEx(const std::uint8_t* data, unsigned long total, unsigned long offset,
                     unsigned long* taken) = 0;
  virtual int Ctl_GetStatus(STATUSINF* status) = 0;
  virtual int Ctl_ReplyEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address,
                               std::uint8_t* value) = 0;
  virtual int Ctl_ReplyEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                    std::uint8_t* data) = 0;
  virtual int Ctl_ReplyEEPMulti_LFP448(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                       std::uint8_t* data) = 0;
  virtual int Ctl_WriteEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address, std::uint8_t value,
                               std::uint8_t k1, std::uint8_t k2, std::uint8_t k3, std::uint8_t k4,
                               std::uint8_t k5, std::uint8_t k6, std::uint8_t k7,
                               std::uint8_t k8) = 0;
  virtual int Ctl_WriteEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                    const std::uint8_t* data, const std::uint8_t* key) = 0;
  virtual int Ctl_WriteEEPMulti_LFP448(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                       const std::uint8_t* data, const std::uint8_t* key) = 0;
  virtual int Prod_ReplyEEP_LFP(std::uint8_t c0, std::uint8_t c1, int address,
                                std::uint8_t* value) = 0;
  virtual int Prod_ReplyEEPMulti_LFP(std::uint8_t c0, std::uint8_t c1, int address, int count,
                                     std::uint8_t* data) = 0;
  virtual int Prod_ReplyEEP2(std::uint8_t c0, std::uint8_t c1, std::uint8_t addressLow,
                             std::uint8_t addressHigh, std::uint8_t* data) = 0;
  virtual int Prod_ReplyRTC(std::uint8_t c0, std::uint8_t c1, std::string* text) = 0;
  virtual int Prod_ReplyRTC_SetVal(std::uint8_t c0, std::uint8_t c1, std::string* text) = 0;
  virtual int Ctl_ReplyRomVer(std::string* text) = 0;
  virtual int Ctl_List_Erase(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind) = 0;
  virtual int Ctl_Erase_Reply(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                              std::uint8_t* state) = 0;
  virtual int Ctl_Reply_List448(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                                std::uint16_t offset, std::uint16_t count, std::uint8_t* data) = 0;
  virtual int Ctl_Write_List448(std::uint8_t c0, std::uint8_t c1, std::uint8_t kind,
                                std::uint16_t offset, std::uint16_t count,
                                const std::uint8_t* data) = 0;
  virtual int Ctl_ResumePaperJam() = 0;
  virtual int Ctl_ResumePaperOut() = 0;
  virtual int Accel_Remote_GetStatus_st(ASTATUSINF* status) = 0;
  virtual int Accel_Remote_GetStatus(std::uint8_t selector, ALSTATUSINF* status) = 0;
  virtual int Accel_Remote_GetColorimetry_RplyData(std::string* text) = 0;

protected:
  std::int32_t portHandle_ = 0;
};

}  // namespace driver
