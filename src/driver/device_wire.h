#pragma once
// One device call as it travels to a printer in another process and back: the request carries
// what the call gives the printer (with the bytes it sends), the answer what the printer fills in
// (with the bytes it read). Both are length-prefixed little-endian messages; a message that does
// not parse, or asks for more than a printer could hold, is refused whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "driver/device.h"

namespace driver::wire {

using Message = std::vector<std::uint8_t>;

// What a request or an answer may carry at most, in bytes.
inline constexpr std::size_t kMaxPayload = 64u << 20;

// How many bytes the call reads into call.out: the NVRAM or list range it names, else none.
std::size_t OutLength(const DeviceCall& call);

Message EncodeRequest(const DeviceCall& call);
// The call of a request; its in pointer and out pointer refer to *in and *out, sized as the
// request says. Nothing when the request does not parse.
std::optional<DeviceCall> DecodeRequest(const Message& request, std::vector<std::uint8_t>* in,
                                        std::vector<std::uint8_t>* out);

Message EncodeAnswer(int result, const DeviceCall& call);
// Fills the call's answers (and OutLength(call) bytes at call.out) from an answer; the printer's
// result, or nothing when the answer does not parse or does not fit the call.
std::optional<int> DecodeAnswer(const Message& answer, DeviceCall& call);

// Whole messages over a connected stream socket: a four-byte length, then the message. False when
// the stream ends or fails, or a length exceeds kMaxPayload.
bool WriteMessage(int fd, const Message& message);
bool ReadMessage(int fd, Message& message);

}  // namespace driver::wire
