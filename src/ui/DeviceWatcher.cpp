#include "ui/DeviceWatcher.h"

#include <QSocketNotifier>
#include <QStringList>

#ifdef __linux__
#include <libudev.h>
#endif

namespace zentra {

bool IsUsbDeviceChange(const DeviceChange& change) {
  return change.subsystem == "usb" &&
         (change.deviceType.isEmpty() || change.deviceType == "usb_device");
}

bool IsIrInterfaceChange(const DeviceChange& change) {
  if (!IsUsbDeviceChange(change)) return false;
  if (!change.vendorId.isEmpty())
    return change.vendorId.compare(QLatin1String("10c4"), Qt::CaseInsensitive) == 0;
  static const char* const kFamilies[] = {"dgl700", "zrv510", "zrv520", "dglnano", "ir interface"};
  for (const char* family : kFamilies) {
    if (change.product.contains(QLatin1String(family), Qt::CaseInsensitive)) return true;
  }
  return false;
}

void ParseUeventProduct(const QString& product, QString& vendorId, QString& productId) {
  vendorId.clear();
  productId.clear();
  const QStringList parts = product.split(QLatin1Char('/'));
  if (parts.size() != 3) return;
  bool vendorOk = false, productOk = false;
  const uint vendor = parts[0].toUInt(&vendorOk, 16);
  const uint id = parts[1].toUInt(&productOk, 16);
  if (!vendorOk || !productOk || vendor > 0xFFFF || id > 0xFFFF) return;
  vendorId = QStringLiteral("%1").arg(vendor, 4, 16, QLatin1Char('0'));
  productId = QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

#ifdef __linux__
namespace {

// A udev monitor on the "usb" and "tty" subsystems, read when its socket has data.
class UdevDeviceWatcher : public DeviceWatcher {
 public:
  UdevDeviceWatcher() = default;
  ~UdevDeviceWatcher() override { Stop(); }

  bool Start() override {
    if (monitor_) return true;
    udev_ = udev_new();
    if (!udev_) return false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
      Stop();
      return false;
    }
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0) {
      Stop();
      return false;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadEvent(); });
    return true;
  }

  void Stop() override {
    notifier_.reset();
    if (monitor_) udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    if (udev_) udev_unref(udev_);
    udev_ = nullptr;
  }

 private:
  static QString Property(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value ? QString::fromUtf8(value) : QString();
  }

  void ReadEvent() {
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char* action = udev_device_get_action(device);
    const QString act = action ? QString::fromLatin1(action) : QString();
    if (act == "add" || act == "remove") {
      DeviceChange change;
      change.action = act == "add" ? DeviceChange::Action::Arrived : DeviceChange::Action::Left;
      const char* subsystem = udev_device_get_subsystem(device);
      const char* devtype = udev_device_get_devtype(device);
      change.subsystem = subsystem ? QString::fromLatin1(subsystem) : QString();
      change.deviceType = devtype ? QString::fromLatin1(devtype) : QString();
      change.vendorId = Property(device, "ID_VENDOR_ID");
      change.productId = Property(device, "ID_MODEL_ID");
      // The kernel's own IDs, where udev added none (its database may be gone on removal).
      if (change.vendorId.isEmpty())
        ParseUeventProduct(Property(device, "PRODUCT"), change.vendorId, change.productId);
      // The model text from the device itself; a removal carries what udev stored.
      change.product = Property(device, "ID_MODEL_FROM_DATABASE");
      const QString model = Property(device, "ID_MODEL");
      if (!model.isEmpty()) change.product = model;
      emit deviceChanged(change);
    }
    udev_device_unref(device);
  }

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<DeviceWatcher> MakeSystemDeviceWatcher() {
  return std::make_unique<UdevDeviceWatcher>();
}
#else
std::unique_ptr<DeviceWatcher> MakeSystemDeviceWatcher() {
  return std::make_unique<ManualDeviceWatcher>();
}
#endif

}  // namespace zentra
