#pragma once
// A printer library that plays a script and records every call, for the tests where the exact
// sequence of calls matters.

#include <deque>
#include <string>
#include <vector>

#include "driver/grelt_driver.h"

namespace testing_support {

class FakeDriver final : public driver::GreltDriver {
public:
  struct Status {
    int result = 0;
    int type = driver::kStatusReady;
    int errorCode = 0;
  };
  struct SendExStep {
    int result;
    unsigned long taken;
  };

  std::vector<std::string> calls;
  bool record = true;  // off for benchmarks: no call list, no lengths
  int openResult = 0;
  std::deque<SendExStep> sendEx;                          // default: everything taken
  std::deque<int> send;                                   // default: all taken
  std::deque<Status> status;                              // default: ready
  std::deque<std::pair<int, std::uint8_t>> eraseReplies;  // default: finished
  std::vector<std::uint8_t> nvram = std::vector<std::uint8_t>(0x10000, 0);
  std::deque<int> readResults;  // results of NVRAM reads; default 0
  int resumeResult = 0;
  std::vector<const std::uint8_t*> sendExData;
  std::vector<unsigned long> sendExOffsets;
  std::vector<std::size_t> sendLengths;
  std::vector<std::uint8_t> received;  // the bytes SendEx took, in order
  std::string romVersion = "MW06B1";
  driver::ALSTATUSINF unit;
  driver::ASTATUSINF accel;
  std::deque<std::string> unitTexts;

  int Open(int port, std::string*, int option) override {
    calls.push_back("Open " + std::to_string(port) + " " + std::to_string(option));
    return openResult;
  }
  int Open(const std::string& name, std::string*) override {
    calls.push_back("OpenByName " + name);
    return openResult;
  }
  int Close() override {
    calls.push_back("Close");
    return 0;
  }
  int Send(const std::uint8_t*, int length) override {
    if (record) {
      calls.push_back("Send " + std::to_string(length));
      sendLengths.push_back(static_cast<std::size_t>(length));
    }
    return Next(send, length);
  }
  int SendEx(const std::uint8_t* data, unsigned long total, unsigned long offset,
             unsigned long* taken) override {
    if (record) {
      calls.push_back("SendEx " + std::to_string(offset));
      sendExData.push_back(data);
      sendExOffsets.push_back(offset);
    }
    SendExStep step{0, total - offset};  // default: everything taken
    if (!sendEx.empty()) {
      step = sendEx.front();
      sendEx.pop_front();
    }
    *taken = step.taken;
    if (record) received.insert(received.end(), data + offset, data + offset + step.taken);
    return step.result;
  }
  int Ctl_GetStatus(driver::STATUSINF* s) override {
    if (record) calls.push_back("Ctl_GetStatus");
    Status next;
    if (!status.empty()) {
      next = status.front();
      status.pop_front();
    }
    s->type = next.type;
    s->errorCode = next.errorCode;
    return next.result;
  }
  int Ctl_ReplyEEP_LFP(std::uint8_t, std::uint8_t, int address, std::uint8_t* value) override {
    calls.push_back("Ctl_ReplyEEP_LFP " + std::to_string(address));
    *value = nvram[static_cast<std::size_t>(address)];
    return Next(readResults, 0);
  }
  int Ctl_ReplyEEPMulti_LFP(std::uint8_t, std::uint8_t, int address, int count,
                            std::uint8_t* data) override {
    calls.push_back("Ctl_ReplyEEPMulti_LFP " + std::to_string(address));
    return Copy(address, count, data);
  }
  int Ctl_ReplyEEPMulti_LFP448(std::uint8_t, std::uint8_t, int address, int count,
                               std::uint8_t* data) override {
    calls.push_back("Ctl_ReplyEEPMulti_LFP448 " + std::to_string(address));
    return Copy(address, count, data);
  }
  int Ctl_WriteEEP_LFP(std::uint8_t, std::uint8_t, int address, std::uint8_t value, std::uint8_t,
                       std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t,
                       std::uint8_t, std::uint8_t) override {
    calls.push_back("Ctl_WriteEEP_LFP " + std::to_string(address));
    nvram[static_cast<std::size_t>(address)] = value;
    return 0;
  }
  int Ctl_WriteEEPMulti_LFP(std::uint8_t, std::uint8_t, int address, int, const std::uint8_t*,
                            const std::uint8_t*) override {
    calls.push_back("Ctl_WriteEEPMulti_LFP " + std::to_string(address));
    return 0;
  }
  int Ctl_WriteEEPMulti_LFP448(std::uint8_t, std::uint8_t, int address, int, const std::uint8_t*,
                               const std::uint8_t*) override {
    calls.push_back("Ctl_WriteEEPMulti_LFP448 " + std::to_string(address));
    return 0;
  }
  int Prod_ReplyEEP_LFP(std::uint8_t, std::uint8_t, int address, std::uint8_t* value) override {
    calls.push_back("Prod_ReplyEEP_LFP " + std::to_string(address));
    *value = nvram[static_cast<std::size_t>(address)];
    return Next(readResults, 0);
  }
  int Prod_ReplyEEPMulti_LFP(std::uint8_t, std::uint8_t, int address, int count,
                             std::uint8_t* data) override {
    calls.push_back("Prod_ReplyEEPMulti_LFP " + std::to_string(address));
    return Copy(address, count, data);
  }
  int Prod_ReplyEEP2(std::uint8_t, std::uint8_t, std::uint8_t low, std::uint8_t high,
                     std::uint8_t* data) override {
    calls.push_back("Prod_ReplyEEP2 " + std::to_string(low) + " " + std::to_string(high));
    *data = 0x0A;
    return 3;
  }
  int Prod_ReplyRTC(std::uint8_t, std::uint8_t, std::string* text) override {
    *text = "261206093000";
    return 0;
  }
  int Prod_ReplyRTC_SetVal(std::uint8_t, std::uint8_t, std::string* text) override {
    *text = "261206093000";
    return 0;
  }
  int Ctl_ReplyRomVer(std::string* text) override {
    *text = romVersion;
    return 0;
  }
  int Ctl_List_Erase(std::uint8_t, std::uint8_t, std::uint8_t kind) override {
    calls.push_back("Ctl_List_Erase " + std::to_string(kind));
    return 0;
  }
  int Ctl_Erase_Reply(std::uint8_t, std::uint8_t, std::uint8_t, std::uint8_t* state) override {
    calls.push_back("Ctl_Erase_Reply");
    std::pair<int, std::uint8_t> reply{0, 0};
    if (!eraseReplies.empty()) {
      reply = eraseReplies.front();
      if (eraseReplies.size() > 1) eraseReplies.pop_front();  // the last reply repeats
    }
    *state = reply.second;
    return reply.first;
  }
  int Ctl_Reply_List448(std::uint8_t, std::uint8_t, std::uint8_t, std::uint16_t, std::uint16_t,
                        std::uint8_t*) override {
    return 0;
  }
  int Ctl_Write_List448(std::uint8_t, std::uint8_t, std::uint8_t, std::uint16_t, std::uint16_t,
                        const std::uint8_t*) override {
    return -3;
  }
  int Ctl_ResumePaperJam() override {
    calls.push_back("Ctl_ResumePaperJam");
    return resumeResult;
  }
  int Ctl_ResumePaperOut() override {
    calls.push_back("Ctl_ResumePaperOut");
    return resumeResult;
  }
  int Accel_Remote_GetStatus_st(driver::ASTATUSINF* s) override {
    *s = accel;
    return 0;
  }
  int Accel_Remote_GetStatus(std::uint8_t, driver::ALSTATUSINF* s) override {
    calls.push_back("Accel_Remote_GetStatus");
    *s = unit;
    return 0;
  }
  int Accel_Remote_GetColorimetry_RplyData(std::string* text) override {
    *text = "C  94.200,  -0.500,   1.200";
    return 0;
  }

  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& call : calls) n += call.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

private:
  static int Next(std::deque<int>& queue, int fallback) {
    if (queue.empty()) return fallback;
    const int value = queue.front();
    queue.pop_front();
    return value;
  }
  int Copy(int address, int count, std::uint8_t* data) {
    std::copy_n(nvram.begin() + address, count, data);
    return Next(readResults, 0);
  }
};

}  // namespace testing_support
