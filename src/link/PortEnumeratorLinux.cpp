// The serial ports of a Linux machine through libudev: every tty with a device behind
// it, named "DESCRIPTION (PORTNAME)" with the USB product string as the description.
#include <libudev.h>
#include <linux/serial.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "link/NativeSerialPort.h"

namespace zentra {

namespace {

std::string Text(const char* value) { return value != nullptr ? value : ""; }

// The built-in UART driver registers ports that have no hardware behind them; such a
// port reports the type "unknown".
bool UartPresent(const std::string& node) {
  const int fd = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

// The product string of the USB device behind the port; else the model udev names.
std::string Description(udev_device* dev) {
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device");
  if (usb != nullptr) {
    const std::string product = Text(udev_device_get_sysattr_value(usb, "product"));
    if (!product.empty()) return product;
  }
  std::string model = Text(udev_device_get_property_value(dev, "ID_MODEL"));
  std::replace(model.begin(), model.end(), '_', ' ');
  return model;
}

class UdevPortEnumerator final : public SerialPortEnumerator {
 public:
  std::vector<SerialPortInfo> Ports() override {
    std::vector<SerialPortInfo> ports;
    udev* context = udev_new();
    if (context == nullptr) return ports;
    udev_enumerate* walk = udev_enumerate_new(context);
    if (walk != nullptr && udev_enumerate_add_match_subsystem(walk, "tty") == 0 &&
        udev_enumerate_scan_devices(walk) == 0) {
      udev_list_entry* entry = nullptr;
      udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(walk)) {
        udev_device* dev = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (dev == nullptr) continue;
        Add(dev, ports);
        udev_device_unref(dev);
      }
    }
    if (walk != nullptr) udev_enumerate_unref(walk);
    udev_unref(context);
    // The system's order: by name, as the device folder lists them.
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.portName < b.portName; });
    return ports;
  }

 private:
  static void Add(udev_device* dev, std::vector<SerialPortInfo>& ports) {
    const std::string node = Text(udev_device_get_devnode(dev));
    const std::string name = Text(udev_device_get_sysname(dev));
    udev_device* parent = udev_device_get_parent(dev);
    // Virtual terminals and pseudo-terminals have no device with a driver behind them.
    if (node.empty() || name.empty() || parent == nullptr) return;
    const std::string driver = Text(udev_device_get_driver(parent));
    if (driver.empty()) return;
    if (driver == "serial8250" && !UartPresent(node)) return;
    ports.push_back({FriendlyPortName(Description(dev), name), name});
  }
};

}  // namespace

std::shared_ptr<SerialPortEnumerator> MakeNativePortEnumerator() {
  return std::make_shared<UdevPortEnumerator>();
}

}  // namespace zentra
