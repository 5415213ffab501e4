// Arbitrary reply bytes through Transact: the serial receive path of the DGLnano
// (kind 4) and the direct-frame reply path of the USB interfaces (kinds 1 and 2). The
// bytes stand for what the interface sends back; once they are used up the line goes
// quiet at once (the port reports itself closed, the USB read returns nothing), so a
// run never waits out a receive time-out. An answer handed back must fit the
// response buffer and the link must not be left busy.
#include <algorithm>
#include <deque>

#include "FuzzRig.h"
#include "link/IrLink.h"

using namespace zentra;

namespace {

struct Line {
  std::deque<uint8_t> source;   // the input's reply bytes, delivered after the first request
  std::deque<uint8_t> pending;  // reply bytes sent and not yet read
  size_t chunk = 1;
  bool open = false;
  bool written = false;
  void Sent() {
    if (written) return;
    written = true;
    pending.swap(source);
  }
};

class FuzzSerial : public SerialPortDevice {
 public:
  explicit FuzzSerial(std::shared_ptr<Line> line) : line_(std::move(line)) {}
  int Open(const std::string&) override {
    line_->open = true;
    return kSerialOpenOk;
  }
  void Close() override { line_->open = false; }
  // Once every reply byte has been read the line counts as gone, which ends the receive
  // wait at once.
  bool IsOpen() const override { return line_->open && !(line_->written && line_->pending.empty()); }
  bool Write(const uint8_t*, int) override {
    line_->Sent();
    return line_->open;
  }
  int Read(uint8_t* buffer, int count) override {
    int n = 0;
    while (n < count && n < static_cast<int>(line_->chunk) && !line_->pending.empty()) {
      buffer[n++] = line_->pending.front();
      line_->pending.pop_front();
    }
    return n;
  }

 private:
  std::shared_ptr<Line> line_;
};

class FuzzUsb : public UsbHostLibrary {
 public:
  explicit FuzzUsb(std::shared_ptr<Line> line) : line_(std::move(line)) {}
  SiStatus SI_GetNumDevices(uint32_t& n) override { n = 1; return SI_SUCCESS; }
  SiStatus SI_GetProductString(uint32_t, char* b, uint32_t) override { b[0] = 0; return SI_SUCCESS; }
  SiStatus SI_Open(uint32_t, SiHandle& h) override { h = 7; return SI_SUCCESS; }
  SiStatus SI_Close(SiHandle) override { return SI_SUCCESS; }
  SiStatus SI_Read(SiHandle, uint8_t* buffer, uint32_t n, uint32_t& got) override {
    got = 0;
    while (got < n && got < line_->chunk && !line_->pending.empty()) {
      buffer[got++] = line_->pending.front();
      line_->pending.pop_front();
    }
    return got > 0 ? SI_SUCCESS : SI_READ_TIMED_OUT;
  }
  SiStatus SI_Write(SiHandle, const uint8_t*, uint32_t n, uint32_t& w) override {
    line_->Sent();
    w = n;
    return SI_SUCCESS;
  }
  SiStatus SI_FlushBuffers(SiHandle, uint8_t, uint8_t) override { return SI_SUCCESS; }
  SiStatus SI_SetTimeouts(uint32_t, uint32_t) override { return SI_SUCCESS; }

 private:
  std::shared_ptr<Line> line_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const uint8_t kinds[] = {kKindDglNano, kKindZrv510, kKindDgl700, kKindUsbMessage};
  const uint8_t kind = kinds[data[0] % 4];
  auto line = std::make_shared<Line>();
  line->chunk = 1 + data[1] % 70;
  line->source.assign(data + 2, data + size);

  Platform platform;
  platform.usb = std::make_shared<FuzzUsb>(line);
  platform.makeSerialDevice = [line] { return std::make_unique<FuzzSerial>(line); };
  IrLink link(platform);
  link.interfaceKind = kind;
  if (kind == kKindDglNano) {
    if (!link.OpenSerialPort("fuzz")) return 0;
  } else {
    link.usbHandle = 7;
  }
  const uint8_t requests[][4] = {{'M', 'I'}, {'M', '<', 3, 1}, {'M', 'A'}};
  for (const auto& request : requests) {
    // Exactly the size the contract asks for, so that the sanitizer sees any overrun.
    auto response = std::make_unique<uint8_t[]>(kMaxResponse);
    uint8_t length = 0;
    link.Transact(request, request[2] ? 4 : 2, response.get(), length);
    FUZZ_CHECK(!link.InTransaction());
    FUZZ_CHECK(!link.serialBusy);
  }
  link.CloseInterface();
  return 0;
}
