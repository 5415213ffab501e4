// Finding the IR interfaces present, opening and closing the chosen one, asking an
// interface for its version, and finding the serial port of a DGLnano.
#include <algorithm>

#include "link/IrLink.h"
#include "link/LinkWait.h"

namespace zentra {

namespace {
constexpr int kMaxComPorts = 16;
constexpr int kPortSettleMs = 100;      // let a freshly opened serial port settle
constexpr int kHandshakeAttempts = 3;   // a handshake request whose answer was lost
constexpr int kProbeVersionChars = 8;   // version text of a message interface
constexpr uint16_t kSerialParamValue = 500;

constexpr uint8_t kAddressProbe = 0xFF;
constexpr uint8_t kAddressUsbVersion = 0x01;
constexpr uint8_t kAddressSerial = 0x00;
constexpr uint8_t kCmdLinkOpen = 0x00;
constexpr uint8_t kCmdLinkClose = 0x01;
constexpr uint8_t kCmdVersion = 0x02;
constexpr uint8_t kCmdInterface = 0x11;
constexpr uint8_t kSelectParam = 0x05;

// Direct-frame version request: start byte, 'I', end byte; the answer is 19 bytes with
// the 16-character version text at positions 2 to 17.
constexpr uint8_t kDirectVersion = 0x49;  // 'I'
constexpr uint8_t kDirectEnd = 0x04;
constexpr uint32_t kDirectVersionAnswer = 19;
}  // namespace

uint8_t KindNamedByProductString(const std::string& text) {
  // Tested first: a string naming both is a dgl700.
  if (text.find("dgl700") != std::string::npos) return kKindDgl700;
  if (text.find("zrv510") != std::string::npos) return kKindZrv510;
  return kKindNone;
}

// --- serial port ---

std::vector<std::string> IrLink::EnumerateComPorts() {
  std::vector<std::string> names;
  if (!platform_.ports) return names;
  for (const SerialPortInfo& info : platform_.ports->Ports()) {
    if (static_cast<int>(names.size()) >= kMaxComPorts) break;
    names.push_back(info.friendlyName);
  }
  return names;
}

std::string IrLink::FindSerialInterfacePort() {
  // A port named by the user is the serial interface; nothing is enumerated.
  if (!platform_.explicitPort.empty()) return platform_.explicitPort;
  for (const std::string& name : EnumerateComPorts()) {
    if (name.find("DGLnano") == std::string::npos) continue;
    const auto open = name.find('(');
    const auto close = name.find(')');
    if (open != std::string::npos && close != std::string::npos && close > open)
      return name.substr(open + 1, close - open - 1);
  }
  return {};
}

bool IrLink::OpenSerialPort(const std::string& name) {
  serialOpen = serialPort.Open(name) == kSerialOpenOk;
  return serialOpen;
}

void IrLink::CloseSerialPort() {
  serialPort.Close();
  serialOpen = false;
}

// --- version and probe ---

std::string IrLink::DirectVersionText() {
  const uint8_t start = interfaceKind == kKindZrv510 ? 0x30 : 0x55;
  const uint8_t request[3] = {start, kDirectVersion, kDirectEnd};
  uint32_t done = 0;
  if (usb().SI_Write(usbHandle, request, 3, done) != SI_SUCCESS || done != 3) return {};
  uint8_t answer[kDirectVersionAnswer] = {};
  done = 0;
  bool ok = usb().SI_Read(usbHandle, answer, kDirectVersionAnswer, done) == SI_SUCCESS &&
            done == kDirectVersionAnswer;
  if (ok && interfaceKind == kKindDgl700) ok = answer[18] == 0x06;
  if (!ok) {
    FlushUsb();
    return {};
  }
  // All 16 bytes, zero bytes and blanks included: the text is the interface's as sent.
  return std::string(reinterpret_cast<const char*>(answer) + 2, 16);
}

std::string IrLink::QueryInterfaceVersion() {
  BusyScope busy(*this);
  if ((interfaceKind == kKindZrv510 || interfaceKind == kKindDgl700) && usbHandle != 0)
    return DirectVersionText();
  if (interfaceKind == kKindUsbMessage && usbHandle != 0) {
    QBPMsg msg;
    BuildMessage(msg, kAddressUsbVersion, kCmdVersion, nullptr, 0, true);
    if (!UsbMessageExchange(msg)) {
      FlushUsb();
      return {};
    }
    return ReplyText(kProbeVersionChars);
  }
  if (interfaceKind == kKindDglNano && serialOpen) {
    QBPMsg msg;
    BuildMessage(msg, kAddressSerial, kCmdVersion, nullptr, 0, true);
    if (!SerialMessageExchange(msg)) return {};
    return ReplyText(kProbeVersionChars);
  }
  return {};
}

bool IrLink::ProbeMessageInterface() {
  const uint8_t data[3] = {0x04, 0x01, 0xFE};
  QBPMsg msg;
  BuildMessage(msg, kAddressProbe, kCmdInterface, data, 3, true);
  return UsbMessageExchange(msg);
}

bool IrLink::SimpleSerialExchange(uint8_t command, const uint8_t* data, uint8_t length) {
  QBPMsg msg;
  BuildMessage(msg, kAddressSerial, command, data, length, true);
  return SerialMessageExchange(msg);
}

// --- discovery ---

std::vector<InterfaceEntry> IrLink::BuildInterfaceList() {
  const bool nested = InTransaction();
  BusyScope busy(*this);
  std::vector<InterfaceEntry> entries;
  CloseInterface();
  CloseSerialPort();
  if (nested) {
    interfaceKind = kKindNone;
    return entries;
  }

  serialPortName = FindSerialInterfacePort();
  if (!serialPortName.empty()) {
    // A serial interface rules out the USB scan, even when its port will not open.
    CloseSerialPort();
    OpenSerialPort(serialPortName);
    WaitMs(kPortSettleMs);
    PumpEvents();
    if (serialOpen) {
      interfaceKind = kKindDglNano;
      entries.push_back({QueryInterfaceVersion(), kKindDglNano, 0});
      CloseSerialPort();
    }
  } else {
    uint32_t count = 0;
    if (usb().SI_GetNumDevices(count) == SI_SUCCESS) {
      for (uint32_t i = 0; i < count; ++i) {
        char product[kProductStringSize] = {};
        if (usb().SI_GetProductString(i, product, 0) != SI_SUCCESS) continue;
        product[kProductStringSize - 1] = 0;
        const std::string text(product);
        const uint8_t kind = KindNamedByProductString(text);

        SiHandle handle = 0;
        if (kind != kKindNone) interfaceKind = kind;
        if (usb().SI_Open(i, handle) != SI_SUCCESS || handle == 0) continue;
        usbHandle = handle;
        if (kind != kKindNone) {
          entries.push_back({QueryInterfaceVersion(), kind, i});
        } else if (ProbeMessageInterface()) {
          interfaceKind = kKindUsbMessage;
          entries.push_back({QueryInterfaceVersion(), kKindUsbMessage, i});
        }
        usb().SI_Close(handle);
        usbHandle = 0;
      }
    }
  }
  // Nothing stays open after the list is built.
  usbHandle = 0;
  interfaceKind = kKindNone;
  return entries;
}

bool IrLink::OpenSelectedInterface(const std::vector<InterfaceEntry>& entries, int index) {
  const bool nested = InTransaction();
  BusyScope busy(*this);
  CloseInterface();
  if (entries.empty() || nested) return false;
  linkHealth.Reset();  // a new connection: nothing seen of this link yet
  if (index < 0 || index >= static_cast<int>(entries.size())) {
    interfaceKind = kKindNone;
    return false;
  }
  const InterfaceEntry& entry = entries[static_cast<size_t>(index)];
  interfaceKind = entry.kind;

  switch (entry.kind) {
    case kKindZrv510:
    case kKindDgl700:
    case kKindUsbMessage: {
      // The entry's own device number: with several interfaces attached the list
      // position need not match it.
      SiHandle handle = 0;
      if (usb().SI_Open(entry.deviceNumber, handle) != SI_SUCCESS || handle == 0) {
        usbHandle = 0;
        return false;
      }
      usbHandle = handle;
      if (entry.kind == kKindUsbMessage && !ProbeMessageInterface()) {
        usb().SI_Close(usbHandle);
        usbHandle = 0;
        return false;
      }
      FlushUsb();
      return true;
    }
    case kKindDglNano: {
      if (serialPortName.empty()) return false;
      OpenSerialPort(serialPortName);
      WaitMs(kPortSettleMs);
      PumpEvents();
      if (!serialOpen) return false;
      // The first frames after the port opens meet a line that may still be settling
      // (or an interface served by a busy process): a request whose answer never came
      // is sent again; a refusal is final.
      const auto exchange = [this](uint8_t command, const uint8_t* data, uint8_t length) {
        bool answered = SimpleSerialExchange(command, data, length);
        for (int attempt = 1; attempt < kHandshakeAttempts && !answered && rxTimedOut; ++attempt)
          answered = SimpleSerialExchange(command, data, length);
        return answered;
      };
      bool ok = exchange(kCmdLinkOpen, nullptr, 0);
      if (ok) {
        const uint8_t get[1] = {kSelectParam};
        const uint8_t set[3] = {kSelectParam, kSerialParamValue & 0xFF,
                                kSerialParamValue >> 8};
        SimpleSerialExchange(kCmdInterface, get, 1);  // answer not needed
        exchange(kCmdInterface, set, 3);               // checked by the read-back below
        ok = exchange(kCmdInterface, get, 1);
      }
      if (!ok) CloseSerialPort();
      return ok;
    }
    default:
      return false;
  }
}

void IrLink::CloseInterface() {
  const bool nested = InTransaction();
  BusyScope busy(*this);
  if (usbHandle != 0) {
    FlushUsb();
    usb().SI_Close(usbHandle);
    usbHandle = 0;
  }
  if (serialOpen) {
    // Inside a running exchange the link-close message would tangle with the reply
    // being waited for; the port closes either way.
    if (!nested) SimpleSerialExchange(kCmdLinkClose, nullptr, 0);
    CloseSerialPort();
  }
}

IrLink::ConnectResult IrLink::Connect(const std::vector<InterfaceEntry>& entries, int index) {
  serialBusy = false;
  if (!OpenSelectedInterface(entries, index)) {
    SetError(true);
    return ConnectResult::Failed;
  }
  interfaceKind = entries[static_cast<size_t>(index)].kind;
  if (interfaceKind == kKindZrv510) {
    // Characters 11 to 13 of the version text carry the firmware generation.
    const std::string version = QueryInterfaceVersion();
    if (version.size() < 13 || version.compare(10, 3, "112") != 0) {
      usb().SI_Close(usbHandle);
      usbHandle = 0;
      return ConnectResult::FirmwareUnsupported;
    }
  }
  return ConnectResult::Connected;
}

}  // namespace zentra
