// Watching USB devices come and go. When an IR interface is plugged in or pulled out,
// the window rebuilds its interface list (closing whatever was open). The watcher is a
// seam: the system one listens to the kernel's device events; tests and simulated runs
// use a watcher whose signal they raise themselves.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace zentra {

struct DeviceChange {
  enum class Action { Arrived, Left };
  Action action = Action::Arrived;
  QString subsystem;  // "usb", "tty", ...
  QString deviceType; // "usb_device", "usb_interface", ...
  QString product;    // the product text the device reports, when known
  QString vendorId;   // four hex digits, when known
  QString productId;  // four hex digits, when known
};

// True when the change concerns a whole USB device that is an IR interface: a device of
// vendor 10c4 (when the vendor is unknown, one whose product text names an interface
// family). Serial (COM) ports never count: a serial interface is found again by the "?"
// button, as the user expects.
bool IsIrInterfaceChange(const DeviceChange& change);

// The vendor and product IDs (four lower-case hex digits each) from the kernel's
// PRODUCT property of a USB device ("10c4/8e01/100"); both empty for any other form.
void ParseUeventProduct(const QString& product, QString& vendorId, QString& productId);

// True when the change concerns a whole USB device of any kind.
bool IsUsbDeviceChange(const DeviceChange& change);

class DeviceWatcher : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~DeviceWatcher() override = default;

  // Starts watching; false when watching cannot start (the program then goes on
  // without noticing device changes).
  virtual bool Start() = 0;
  // Stops watching; safe to call more than once.
  virtual void Stop() = 0;

 signals:
  void deviceChanged(const zentra::DeviceChange& change);
};

// A watcher that reports only what its owner raises with Raise(); used by tests and by
// simulated runs, where no real device comes or goes.
class ManualDeviceWatcher : public DeviceWatcher {
  Q_OBJECT
 public:
  using DeviceWatcher::DeviceWatcher;
  bool Start() override { return startSucceeds; }
  void Stop() override {}
  void Raise(const DeviceChange& change) { emit deviceChanged(change); }
  bool startSucceeds = true;
};

// The watcher of this system (on Linux a udev monitor); a manual one where none exists.
std::unique_ptr<DeviceWatcher> MakeSystemDeviceWatcher();

}  // namespace zentra
