#include "driver/device_wire.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace driver::wire {
namespace {

class Writer {
public:
  template <typename T>
  void Number(T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
      bytes_.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
  }
  void Bytes(const std::uint8_t* data, std::size_t length) {
    Number<std::uint32_t>(static_cast<std::uint32_t>(length));
    if (length > 0) bytes_.insert(bytes_.end(), data, data + length);
  }
  void Text(const std::string& text) {
    Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  }
  Message Take() { return std::move(bytes_); }

private:
  Message bytes_;
};

class Reader {
public:
  explicit Reader(const Message& bytes) : bytes_(bytes) {}
  template <typename T>
  T Number() {
    std::uint64_t value = 0;
    if (!Have(sizeof(T))) return T{};
    for (std::size_t i = 0; i < sizeof(T); ++i)
      value |= static_cast<std::uint64_t>(bytes_[at_ + i]) << (8 * i);
    at_ += sizeof(T);
    return static_cast<T>(value);
  }
  // The length of a byte run, and where it starts; nothing past the message's end.
  std::size_t Run(std::size_t& start) {
    const std::size_t length = Number<std::uint32_t>();
    if (!Have(length)) return 0;
    start = at_;
    at_ += length;
    return length;
  }
  std::string Text() {
    std::size_t start = 0;
    const std::size_t length = Run(start);
    return ok_ ? std::string(reinterpret_cast<const char*>(bytes_.data()) + start, length) : "";
  }
  const std::uint8_t* At(std::size_t start) const { return bytes_.data() + start; }
  // Everything read, nothing left over, nothing missing.
  bool Whole() const { return ok_ && at_ == bytes_.size(); }

private:
  bool Have(std::size_t count) {
    if (!ok_ || count > bytes_.size() - at_) ok_ = false;
    return ok_;
  }
  const Message& bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const ssize_t n = ::send(fd, data, length, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, std::uint8_t* data, std::size_t length) {
  while (length > 0) {
    const ssize_t n = ::recv(fd, data, length, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

// The bytes a read call names, whether or not it gives a place for them.
std::size_t ReadLength(const DeviceCall& call) {
  switch (call.op) {
    case DeviceOp::CtlRead:
    case DeviceOp::PrdRead:
    case DeviceOp::UnitRead: return call.count > 0 ? static_cast<std::size_t>(call.count) : 0;
    case DeviceOp::ListRead: return call.value2;
    default: return 0;
  }
}

}  // namespace

std::size_t OutLength(const DeviceCall& call) { return call.out != nullptr ? ReadLength(call) : 0; }

Message EncodeRequest(const DeviceCall& call) {
  Writer w;
  w.Number<std::uint8_t>(static_cast<std::uint8_t>(call.op));
  for (const std::uint8_t b : call.access) w.Number(b);
  for (const std::uint8_t b : call.key) w.Number(b);
  w.Number<std::int32_t>(call.address);
  w.Number<std::int32_t>(call.count);
  w.Number(call.listKind);
  w.Number(call.selector);
  w.Number(call.value1);
  w.Number(call.value2);
  w.Number<std::int32_t>(call.timeoutMs);
  w.Number<std::uint8_t>(call.wholeOnly ? 1 : 0);
  w.Number<std::uint32_t>(static_cast<std::uint32_t>(OutLength(call)));
  w.Bytes(call.in, call.in != nullptr ? call.inLength : 0);
  return w.Take();
}

std::optional<DeviceCall> DecodeRequest(const Message& request, std::vector<std::uint8_t>* in,
                                        std::vector<std::uint8_t>* out) {
  Reader r(request);
  DeviceCall call;
  const auto op = r.Number<std::uint8_t>();
  if (op > static_cast<std::uint8_t>(DeviceOp::RawWrite)) return std::nullopt;
  call.op = static_cast<DeviceOp>(op);
  for (std::uint8_t& b : call.access) b = r.Number<std::uint8_t>();
  for (std::uint8_t& b : call.key) b = r.Number<std::uint8_t>();
  call.address = r.Number<std::int32_t>();
  call.count = r.Number<std::int32_t>();
  call.listKind = r.Number<std::uint8_t>();
  call.selector = r.Number<std::uint8_t>();
  call.value1 = r.Number<std::uint16_t>();
  call.value2 = r.Number<std::uint16_t>();
  call.timeoutMs = r.Number<std::int32_t>();
  const std::uint8_t wholeOnly = r.Number<std::uint8_t>();
  call.wholeOnly = wholeOnly == 1;
  const std::size_t outLength = r.Number<std::uint32_t>();
  std::size_t start = 0;
  const std::size_t inLength = r.Run(start);
  // The printer fills as many bytes as the call names and takes as many as a list block holds:
  // a request whose bytes do not match them is refused rather than overrun.
  if (!r.Whole() || wholeOnly > 1 || (outLength != 0 && outLength != ReadLength(call)) || outLength > kMaxPayload ||
      (call.op == DeviceOp::ListWrite && inLength < call.value2))
    return std::nullopt;
  in->assign(r.At(start), r.At(start) + inLength);
  out->assign(outLength, 0);
  call.in = inLength > 0 ? in->data() : nullptr;
  call.inLength = inLength;
  call.out = outLength > 0 ? out->data() : nullptr;
  return call;
}

Message EncodeAnswer(int result, const DeviceCall& call) {
  Writer w;
  w.Number<std::int32_t>(result);
  w.Number<std::uint64_t>(call.taken);
  w.Number(call.state);
  w.Text(call.text);
  const STATUSINF& s = call.status;
  w.Number<std::int32_t>(s.type);
  w.Number<std::int32_t>(s.errorCode);
  for (const int d : s.data) w.Number<std::int32_t>(d);
  w.Text(s.text);
  w.Text(s.detail);
  const ASTATUSINF& a = call.accel;
  w.Number(a.state);
  w.Number(a.busy);
  w.Number(a.flags);
  w.Number<std::int32_t>(a.reading);
  w.Text(a.text);
  w.Text(a.detail);
  const ALSTATUSINF& u = call.unit;
  w.Number<std::int32_t>(u.offline);
  w.Number<std::int32_t>(u.state);
  w.Number<std::int32_t>(u.errorCode);
  w.Number<std::int32_t>(u.calibrationFailed);
  for (const std::string& text : u.texts) w.Text(text);
  w.Bytes(call.out, OutLength(call));
  return w.Take();
}

std::optional<int> DecodeAnswer(const Message& answer, DeviceCall& call) {
  Reader r(answer);
  const int result = r.Number<std::int32_t>();
  call.taken = r.Number<std::uint64_t>();
  call.state = r.Number<std::uint8_t>();
  call.text = r.Text();
  STATUSINF& s = call.status;
  s.type = r.Number<std::int32_t>();
  s.errorCode = r.Number<std::int32_t>();
  for (int& d : s.data) d = r.Number<std::int32_t>();
  s.text = r.Text();
  s.detail = r.Text();
  ASTATUSINF& a = call.accel;
  a.state = r.Number<std::uint8_t>();
  a.busy = r.Number<std::uint8_t>();
  a.flags = r.Number<std::uint8_t>();
  a.reading = r.Number<std::int32_t>();
  a.text = r.Text();
  a.detail = r.Text();
  ALSTATUSINF& u = call.unit;
  u.offline = r.Number<std::int32_t>();
  u.state = r.Number<std::int32_t>();
  u.errorCode = r.Number<std::int32_t>();
  u.calibrationFailed = r.Number<std::int32_t>();
  for (std::string& text : u.texts) text = r.Text();
  std::size_t start = 0;
  const std::size_t outLength = r.Run(start);
  if (!r.Whole() || outLength != OutLength(call)) return std::nullopt;
  if (outLength > 0) std::memcpy(call.out, r.At(start), outLength);
  return result;
}

bool WriteMessage(int fd, const Message& message) {
  if (message.size() > kMaxPayload) return false;
  std::uint8_t length[4];
  for (int i = 0; i < 4; ++i) length[i] = static_cast<std::uint8_t>(message.size() >> (8 * i));
  return WriteAll(fd, length, 4) && WriteAll(fd, message.data(), message.size());
}

bool ReadMessage(int fd, Message& message) {
  std::uint8_t length[4];
  if (!ReadAll(fd, length, 4)) return false;
  const std::size_t size =
      length[0] | length[1] << 8 | length[2] << 16 | static_cast<std::size_t>(length[3]) << 24;
  if (size > kMaxPayload) return false;
  message.resize(size);
  return ReadAll(fd, message.data(), size);
}

}  // namespace driver::wire
