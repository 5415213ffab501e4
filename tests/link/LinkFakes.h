// Scripted stand-ins for the platform seams of the link: a USB host library with
// devices that answer through a callback, a serial line shared by every port object a
// Tserial makes, and a port list. Reusable by any layer's tests.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/Platform.h"
#include "link/QBProtocol.h"

namespace zentra::fakes {

using Bytes = std::vector<uint8_t>;
// Given the bytes just written, returns what the interface sends back.
using Responder = std::function<Bytes(const Bytes&)>;

// A reply frame of a message interface with the given status and data bytes.
inline Bytes ReplyFrame(uint8_t status, const Bytes& data, uint8_t checksumXor = 0) {
  QBPMsg msg;
  BuildMessage(msg, 0, 0x11, data.data(), static_cast<uint8_t>(data.size()), false);
  msg.bytes[4] = status;
  msg.bytes[6 + msg.length()] = msg.Checksum() ^ checksumXor;
  QBProtocol codec;
  uint8_t out[kMaxEncodedFrame];
  const int n = codec.Encode(msg, out);
  return Bytes(out, out + n);
}

// The message in a frame the link wrote (a default record when none decodes).
inline QBPMsg DecodeFrame(const Bytes& frame) {
  QBProtocol codec;
  int count = static_cast<int>(frame.size());
  if (!codec.Decode(frame.data(), count)) return QBPMsg{};
  return codec.reply();
}

// A message interface: hands each request message to answer, which returns the reply
// bytes (empty: lost).
inline Responder MessageResponder(std::function<Bytes(const QBPMsg&)> answer) {
  return [answer](const Bytes& frame) { return answer(DecodeFrame(frame)); };
}

struct FakeUsbDevice {
  std::string product;
  bool productReadable = true;
  bool opens = true;
  Responder respond;  // none: the device never answers
};

class FakeUsb : public UsbHostLibrary {
 public:
  std::vector<FakeUsbDevice> devices;
  bool countFails = false;
  int countCalls = 0;
  std::vector<uint32_t> openedDevices;  // device numbers, in the order opened
  std::map<SiHandle, uint32_t> openHandles;
  std::vector<Bytes> writes;
  std::deque<uint8_t> incoming;
  int flushes = 0;
  uint32_t readTimeout = 0, writeTimeout = 0;

  SiStatus SI_GetNumDevices(uint32_t& n) override {
    ++countCalls;
    n = static_cast<uint32_t>(devices.size());
    return countFails ? SI_SYSTEM_ERROR : SI_SUCCESS;
  }
  SiStatus SI_GetProductString(uint32_t i, char* buffer, uint32_t) override {
    if (i >= devices.size() || !devices[i].productReadable) return SI_DEVICE_NOT_FOUND;
    const std::string& s = devices[i].product;
    const size_t n = std::min<size_t>(s.size(), kProductStringSize - 1);
    std::copy(s.begin(), s.begin() + static_cast<long>(n), buffer);
    buffer[n] = 0;
    return SI_SUCCESS;
  }
  SiStatus SI_Open(uint32_t i, SiHandle& h) override {
    if (i >= devices.size() || !devices[i].opens) return SI_DEVICE_NOT_FOUND;
    h = 100 + i;
    openHandles[h] = i;
    openedDevices.push_back(i);
    incoming.clear();
    return SI_SUCCESS;
  }
  SiStatus SI_Close(SiHandle h) override {
    return openHandles.erase(h) ? SI_SUCCESS : SI_INVALID_HANDLE;
  }
  SiStatus SI_Read(SiHandle h, uint8_t* buffer, uint32_t n, uint32_t& got) override {
    got = 0;
    if (!openHandles.count(h)) return SI_INVALID_HANDLE;
    while (got < n && !incoming.empty()) {
      buffer[got++] = incoming.front();
      incoming.pop_front();
    }
    return SI_SUCCESS;  // a read that times out returns what it has
  }
  SiStatus SI_Write(SiHandle h, const uint8_t* buffer, uint32_t n, uint32_t& written) override {
    written = 0;
    if (!openHandles.count(h)) return SI_INVALID_HANDLE;
    Bytes sent(buffer, buffer + n);
    writes.push_back(sent);
    written = n;
    const auto& device = devices[openHandles[h]];
    if (device.respond) {
      const Bytes answer = device.respond(sent);
      incoming.insert(incoming.end(), answer.begin(), answer.end());
    }
    return SI_SUCCESS;
  }
  SiStatus SI_FlushBuffers(SiHandle h, uint8_t, uint8_t) override {
    if (!openHandles.count(h)) return SI_INVALID_HANDLE;
    ++flushes;
    incoming.clear();
    return SI_SUCCESS;
  }
  SiStatus SI_SetTimeouts(uint32_t r, uint32_t w) override {
    readTimeout = r;
    writeTimeout = w;
    return SI_SUCCESS;
  }
};

// The far end of a serial line; every port object made for it shares this state.
struct FakeSerialLine {
  int openResult = kSerialOpenOk;
  bool writeFails = false;
  int readChunk = 0;  // bytes handed out per read; 0: all that is buffered
  bool open = false;
  std::vector<std::string> openedNames;
  std::vector<Bytes> writes;
  std::deque<uint8_t> incoming;
  Responder respond;
};

class FakeSerialDevice : public SerialPortDevice {
 public:
  explicit FakeSerialDevice(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {}
  int Open(const std::string& name) override {
    line_->openedNames.push_back(name);
    line_->open = line_->openResult == kSerialOpenOk;
    return line_->openResult;
  }
  void Close() override { line_->open = false; }
  bool IsOpen() const override { return line_->open; }
  bool Write(const uint8_t* data, int count) override {
    if (!line_->open || line_->writeFails) return false;
    Bytes sent(data, data + count);
    line_->writes.push_back(sent);
    if (line_->respond) {
      const Bytes answer = line_->respond(sent);
      line_->incoming.insert(line_->incoming.end(), answer.begin(), answer.end());
    }
    return true;
  }
  int Read(uint8_t* buffer, int count) override {
    if (!line_->open) return 0;
    int limit = line_->readChunk > 0 ? std::min(count, line_->readChunk) : count;
    int n = 0;
    while (n < limit && !line_->incoming.empty()) {
      buffer[n++] = line_->incoming.front();
      line_->incoming.pop_front();
    }
    return n;
  }

 private:
  std::shared_ptr<FakeSerialLine> line_;
};

class FakePorts : public SerialPortEnumerator {
 public:
  std::vector<SerialPortInfo> ports;
  int calls = 0;
  std::vector<SerialPortInfo> Ports() override {
    ++calls;
    return ports;
  }
};

// A platform over the fakes above.
struct FakePlatform {
  std::shared_ptr<FakeUsb> usb = std::make_shared<FakeUsb>();
  std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>();
  std::shared_ptr<FakePorts> ports = std::make_shared<FakePorts>();

  Platform Make(const std::string& explicitPort = {}) const {
    Platform p;
    p.usb = usb;
    auto l = line;
    p.makeSerialDevice = [l] { return std::make_unique<FakeSerialDevice>(l); };
    p.ports = ports;
    p.explicitPort = explicitPort;
    return p;
  }
};

}  // namespace zentra::fakes
