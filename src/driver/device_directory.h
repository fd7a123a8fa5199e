#pragma once
// Where the library finds printers: attached printers appear in the registry under the USB
// printer device class, as the system shows them, with the endpoint the library connects to.
// An endpoint is "scheme:location"; each kind of printer registers a factory for its scheme.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/device.h"
#include "platform/registry.h"

namespace driver {

struct Attachment {
  std::string link;      // \\?\USB#VID_xxxx&PID_xxxx#<instance>#{class guid}
  int port = 0;          // the port number that opens it by number, 0 for none
  std::string endpoint;  // scheme:location
};

class DeviceDirectory {
public:
  using Factory = std::function<std::shared_ptr<PrinterDevice>(const std::string& location)>;
  // Makes printers of a scheme reachable in this process.
  static void RegisterScheme(const std::string& scheme, Factory factory);
  // Lets go of every printer this process connected to; the next open connects afresh.
  static void ForgetConnections();

  explicit DeviceDirectory(platform::Registry& registry);

  std::shared_ptr<PrinterDevice> FindByLink(const std::string& link) const;
  std::shared_ptr<PrinterDevice> FindByPort(int port) const;

  std::vector<Attachment> Attachments() const;
  // Writes the device-class entry of a plugged-in printer; false when the link is malformed.
  bool Attach(const Attachment& attachment);
  bool Detach(const std::string& link);
  platform::Registry& Store() const { return registry_; }

  // The registry key name of a link: the leading \\?\ becomes ##?#.
  static std::string KeyNameOf(const std::string& link);
  // The part between the second and third '#'.
  static std::string InstanceOf(const std::string& link);

private:
  std::shared_ptr<PrinterDevice> Connect(const std::string& endpoint) const;

  platform::Registry& registry_;
};

// Open ports by handle, for the port writer, which is given only the handle.
std::int32_t RegisterPortHandle(std::shared_ptr<PrinterDevice> device);
std::shared_ptr<PrinterDevice> DeviceOfHandle(std::int32_t handle);
void ReleasePortHandle(std::int32_t handle);

}  // namespace driver
