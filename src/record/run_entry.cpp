#include "record/run_entry.h"

#include <charconv>
#include <cstdio>
#include <random>

namespace record {

Measurement Judge(std::string name, double value, std::string unit, std::optional<double> low,
                  std::optional<double> high) {
  const bool within = (!low || value >= *low) && (!high || value <= *high);
  return {std::move(name), value, std::move(unit), low, high, within ? kVerdictPass : kVerdictFail};
}

std::string NumberText(double value) {
  char text[32];
  return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

std::optional<double> NumberOf(std::string_view text) {
  double value = 0;
  const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (failed != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string NewRunId() {
  // The system's random source, read fresh for each id: no two stations, or two processes on one
  // station, share a generator's state.
  std::random_device source;
  unsigned char bytes[16];
  for (std::size_t i = 0; i < sizeof bytes; i += 4) {
    const unsigned word = source();
    for (std::size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<unsigned char>(word >> (8 * k));
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

}  // namespace record
