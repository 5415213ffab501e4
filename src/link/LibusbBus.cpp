#include "link/LibusbBus.h"

#include "link/SharedLibrary.h"

// Built with libusb-1.0's header where the build found it (ZENTRA_HAVE_LIBUSB); the
// library itself is loaded at run time.
#ifdef ZENTRA_HAVE_LIBUSB
#include <libusb.h>
#endif

namespace zentra {

#ifdef ZENTRA_HAVE_LIBUSB
namespace {

constexpr int kMaxPortDepth = 7;  // the deepest hub chain USB allows

// The functions used, resolved from the loaded library; the context lives as long as
// the last device reference or handle that needs it.
struct LibusbApi {
  void* library = nullptr;
  libusb_context* context = nullptr;
#define ZENTRA_LIBUSB_FUNCTIONS(X)                                                        \
  X(init) X(exit) X(get_device_list) X(free_device_list) X(ref_device) X(unref_device)    \
  X(get_device_descriptor) X(get_active_config_descriptor) X(get_config_descriptor)       \
  X(free_config_descriptor) X(get_bus_number) X(get_device_address) X(get_port_numbers)   \
  X(open) X(close) X(set_auto_detach_kernel_driver) X(claim_interface)                    \
  X(release_interface) X(control_transfer) X(clear_halt) X(bulk_transfer)                 \
  X(get_string_descriptor_ascii)
#define ZENTRA_LIBUSB_MEMBER(name) decltype(&libusb_##name) name = nullptr;
  ZENTRA_LIBUSB_FUNCTIONS(ZENTRA_LIBUSB_MEMBER)
#undef ZENTRA_LIBUSB_MEMBER

  ~LibusbApi() {
    if (context) exit(context);
    CloseSharedLibrary(library);
  }
};

int Checked(int result) { return result < 0 ? result : kUsbOk; }

class LibusbHandle final : public UsbDeviceHandle {
 public:
  LibusbHandle(std::shared_ptr<LibusbApi> api, libusb_device_handle* handle)
      : api_(std::move(api)), handle_(handle) {}
  ~LibusbHandle() override { api_->close(handle_); }

  int ClaimInterface(uint8_t number) override {
    // A kernel driver bound to the interface is set aside while it is claimed.
    api_->set_auto_detach_kernel_driver(handle_, 1);
    return Checked(api_->claim_interface(handle_, number));
  }
  int ReleaseInterface(uint8_t number) override {
    return Checked(api_->release_interface(handle_, number));
  }
  int ControlOut(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                 unsigned timeoutMs) override {
    return Checked(api_->control_transfer(handle_, requestType, request, value, index,
                                          nullptr, 0, timeoutMs));
  }
  int ClearHalt(uint8_t endpoint) override {
    return Checked(api_->clear_halt(handle_, endpoint));
  }
  int Bulk(uint8_t endpoint, uint8_t* data, int length, int& transferred,
           unsigned timeoutMs) override {
    transferred = 0;
    return Checked(api_->bulk_transfer(handle_, endpoint, data, length, &transferred, timeoutMs));
  }
  int StringDescriptor(uint8_t index, std::string& text) override {
    unsigned char buffer[256];
    const int n = api_->get_string_descriptor_ascii(handle_, index, buffer, sizeof buffer);
    if (n < 0) return n;
    text.assign(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    return kUsbOk;
  }

 private:
  std::shared_ptr<LibusbApi> api_;
  libusb_device_handle* handle_;
};

class LibusbBus final : public UsbBus {
 public:
  explicit LibusbBus(std::shared_ptr<LibusbApi> api) : api_(std::move(api)) {}

  int List(std::vector<UsbDeviceDesc>& devices) override {
    devices.clear();
    libusb_device** list = nullptr;
    const ssize_t count = api_->get_device_list(api_->context, &list);
    if (count < 0) return static_cast<int>(count);
    for (ssize_t i = 0; i < count; ++i) devices.push_back(Describe(list[i]));
    api_->free_device_list(list, 1);
    return kUsbOk;
  }

  int Open(const UsbDeviceDesc& device, std::unique_ptr<UsbDeviceHandle>& handle) override {
    handle.reset();
    auto* dev = static_cast<libusb_device*>(device.ref.get());
    if (!dev) return kUsbErrorInvalidParam;
    libusb_device_handle* h = nullptr;
    const int result = api_->open(dev, &h);
    if (result < 0) return result;
    handle = std::make_unique<LibusbHandle>(api_, h);
    return kUsbOk;
  }

 private:
  UsbDeviceDesc Describe(libusb_device* dev) {
    UsbDeviceDesc d;
    d.bus = api_->get_bus_number(dev);
    d.address = api_->get_device_address(dev);
    uint8_t ports[kMaxPortDepth];
    const int depth = api_->get_port_numbers(dev, ports, kMaxPortDepth);
    if (depth > 0) d.ports.assign(ports, ports + depth);
    libusb_device_descriptor desc{};
    if (api_->get_device_descriptor(dev, &desc) == 0) {
      d.vendorId = desc.idVendor;
      d.productId = desc.idProduct;
      d.bcdDevice = desc.bcdDevice;
      d.deviceClass = desc.bDeviceClass;
      d.iManufacturer = desc.iManufacturer;
      d.iProduct = desc.iProduct;
      d.iSerialNumber = desc.iSerialNumber;
    }
    libusb_config_descriptor* config = nullptr;
    int result = api_->get_active_config_descriptor(dev, &config);
    if (result < 0) result = api_->get_config_descriptor(dev, 0, &config);
    d.configResult = Checked(result);
    if (result >= 0 && config) {
      for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& itf = config->interface[i];
        for (int a = 0; a < itf.num_altsetting; ++a) {
          const libusb_interface_descriptor& alt = itf.altsetting[a];
          UsbInterfaceDesc out;
          out.number = alt.bInterfaceNumber;
          out.alternate = alt.bAlternateSetting;
          out.interfaceClass = alt.bInterfaceClass;
          out.subClass = alt.bInterfaceSubClass;
          out.protocol = alt.bInterfaceProtocol;
          for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[e];
            out.endpoints.push_back({ep.bEndpointAddress, ep.bmAttributes, ep.wMaxPacketSize});
          }
          d.interfaces.push_back(std::move(out));
        }
      }
      api_->free_config_descriptor(config);
    }
    std::shared_ptr<LibusbApi> api = api_;
    d.ref = std::shared_ptr<void>(api_->ref_device(dev),
                                  [api](void* p) { api->unref_device(static_cast<libusb_device*>(p)); });
    return d;
  }

  std::shared_ptr<LibusbApi> api_;
};

}  // namespace

std::shared_ptr<UsbBus> OpenLibusbBus(std::string& why) {
  auto api = std::make_shared<LibusbApi>();
  const char* libraryName = LibusbLibraryName();
  api->library = OpenSharedLibrary(libraryName, why);
  if (!api->library) return nullptr;
#define ZENTRA_LIBUSB_RESOLVE(name)                                                       \
  api->name = reinterpret_cast<decltype(&libusb_##name)>(                             \
      SharedLibrarySymbol(api->library, "libusb_" #name));                                  \
  if (!api->name) {                                                                       \
    why = std::string(libraryName) + " lacks libusb_" #name;                             \
    return nullptr;                                                                       \
  }
  ZENTRA_LIBUSB_FUNCTIONS(ZENTRA_LIBUSB_RESOLVE)
#undef ZENTRA_LIBUSB_RESOLVE
  const int result = api->init(&api->context);
  if (result < 0) {
    api->context = nullptr;
    why = std::string("libusb-1.0 found no USB on this host (") + UsbResultText(result) + ")";
    return nullptr;
  }
  return std::make_shared<LibusbBus>(api);
}

#else

std::shared_ptr<UsbBus> OpenLibusbBus(std::string& why) {
  // Where the build found no libusb-1.0 header (the Windows cross build here: Debian has
  // the library for MinGW only as source), the USB interface kinds are left out.
  why = "this program was built without libusb-1.0, so USB IR interfaces are not served "
        "(only the DGLnano on a serial port)";
  return nullptr;
}

#endif

}  // namespace zentra
