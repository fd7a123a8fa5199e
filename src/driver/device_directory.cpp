#include "driver/device_directory.h"

#include <map>
#include <mutex>

#include "driver/product_constants.h"

namespace driver {
namespace {

struct SharedState {
  std::mutex mutex;
  std::map<std::string, DeviceDirectory::Factory> factories;
  std::map<std::string, std::shared_ptr<PrinterDevice>> connected;  // by endpoint
  std::map<std::int32_t, std::weak_ptr<PrinterDevice>> handles;
  std::int32_t nextHandle = 0x100;
};

SharedState& Shared() {
  static SharedState shared;
  return shared;
}

constexpr const char* kEndpointValue = "GreltEndpoint";
constexpr const char* kPortValue = "GreltPort";

std::string ClassKey(const std::string& keyName) {
  return std::string(kUsbPrintClassKey) + "\\" + keyName;
}

}  // namespace

void DeviceDirectory::RegisterScheme(const std::string& scheme, Factory factory) {
  std::lock_guard lock(Shared().mutex);
  Shared().factories[scheme] = std::move(factory);
}

void DeviceDirectory::ForgetConnections() {
  std::lock_guard lock(Shared().mutex);
  Shared().connected.clear();
}

DeviceDirectory::DeviceDirectory(platform::Registry& registry) : registry_(registry) {}

std::string DeviceDirectory::KeyNameOf(const std::string& link) {
  if (link.rfind("\\\\?\\", 0) == 0) return "##?#" + link.substr(4);
  return link;
}

std::string DeviceDirectory::InstanceOf(const std::string& link) {
  const auto first = link.find('#');
  const auto second = first == std::string::npos ? first : link.find('#', first + 1);
  const auto third = second == std::string::npos ? second : link.find('#', second + 1);
  if (third == std::string::npos) return {};
  return link.substr(second + 1, third - second - 1);
}

std::vector<Attachment> DeviceDirectory::Attachments() const {
  std::vector<Attachment> attachments;
  for (const std::string& name : registry_.SubKeys(kUsbPrintClassKey)) {
    const std::string key = ClassKey(name) + "\\#";
    const auto link = registry_.GetValue(key, "SymbolicLink");
    const auto endpoint = registry_.GetValue(key, kEndpointValue);
    if (!link || !endpoint) continue;
    const auto* linkText = std::get_if<std::string>(&*link);
    const auto* endpointText = std::get_if<std::string>(&*endpoint);
    if (linkText == nullptr || endpointText == nullptr) continue;
    Attachment attachment{*linkText, 0, *endpointText};
    if (const auto port = registry_.GetValue(key, kPortValue)) {
      if (const auto* number = std::get_if<std::uint32_t>(&*port))
        attachment.port = static_cast<int>(*number);
    }
    attachments.push_back(std::move(attachment));
  }
  return attachments;
}

bool DeviceDirectory::Attach(const Attachment& attachment) {
  const std::string instance = InstanceOf(attachment.link);
  if (attachment.link.rfind("\\\\?\\USB#", 0) != 0 || instance.empty() ||
      attachment.link.find('/') != std::string::npos) {
    return false;
  }
  const std::string key = ClassKey(KeyNameOf(attachment.link));
  return registry_.SetDword(key + "\\Control", "ReferenceCount", 1) &&
         registry_.SetString(key + "\\#", kEndpointValue, attachment.endpoint) &&
         registry_.SetDword(key + "\\#", kPortValue, static_cast<std::uint32_t>(attachment.port)) &&
         registry_.SetString(key + "\\#", "SymbolicLink", attachment.link);
}

bool DeviceDirectory::Detach(const std::string& link) {
  return registry_.DeleteKey(ClassKey(KeyNameOf(link)));
}

std::shared_ptr<PrinterDevice> DeviceDirectory::Connect(const std::string& endpoint) const {
  const auto colon = endpoint.find(':');
  if (colon == std::string::npos) return nullptr;
  std::lock_guard lock(Shared().mutex);
  if (const auto found = Shared().connected.find(endpoint); found != Shared().connected.end()) {
    return found->second;
  }
  const auto factory = Shared().factories.find(endpoint.substr(0, colon));
  if (factory == Shared().factories.end()) return nullptr;
  std::shared_ptr<PrinterDevice> device = factory->second(endpoint.substr(colon + 1));
  if (device) Shared().connected[endpoint] = device;
  return device;
}

std::shared_ptr<PrinterDevice> DeviceDirectory::FindByLink(const std::string& link) const {
  for (const Attachment& attachment : Attachments()) {
    // A present device has a reference count; the link must match as the system stores it.
    if (attachment.link != link) continue;
    const auto count =
        registry_.GetValue(ClassKey(KeyNameOf(link)) + "\\Control", "ReferenceCount");
    const auto* value = count ? std::get_if<std::uint32_t>(&*count) : nullptr;
    if (value == nullptr || (*value & 0xFF) == 0) return nullptr;
    return Connect(attachment.endpoint);
  }
  return nullptr;
}

std::shared_ptr<PrinterDevice> DeviceDirectory::FindByPort(int port) const {
  if (port <= 0) return nullptr;
  for (const Attachment& attachment : Attachments()) {
    if (attachment.port == port) return FindByLink(attachment.link);
  }
  return nullptr;
}

std::int32_t RegisterPortHandle(std::shared_ptr<PrinterDevice> device) {
  std::lock_guard lock(Shared().mutex);
  const std::int32_t handle = Shared().nextHandle++;
  Shared().handles[handle] = device;
  return handle;
}

std::shared_ptr<PrinterDevice> DeviceOfHandle(std::int32_t handle) {
  std::lock_guard lock(Shared().mutex);
  const auto found = Shared().handles.find(handle);
  return found == Shared().handles.end() ? nullptr : found->second.lock();
}

void ReleasePortHandle(std::int32_t handle) {
  std::lock_guard lock(Shared().mutex);
  Shared().handles.erase(handle);
}

}  // namespace driver
