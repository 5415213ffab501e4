// Transact and the exchanges beneath it: direct frames of the ZRV510 and dgl700
// interfaces, and pass-through messages over the USB message interface and the serial
// DGLnano.
#include "link/IrLink.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "link/LinkWait.h"

namespace zentra {

namespace {
constexpr uint8_t kDirectStartZrv510 = 0x30;  // '0'
constexpr uint8_t kDirectStartDgl700 = 0x55;  // 'U'
constexpr uint8_t kDirectRequest = 0x3D;      // '='
constexpr uint8_t kDirectEnd = 0x04;
constexpr uint8_t kAck = 0x06;

constexpr uint8_t kCmdInterface = 0x11;     // interface command; data byte 0 selects
constexpr uint8_t kSelectPassThrough = 0x06;
constexpr uint8_t kAddressUsbPassThrough = 0x04;
constexpr uint8_t kAddressSerial = 0x00;

constexpr int kMessageAttempts = 3;
constexpr int kUsbReadSize = 64;            // one USB read of a message reply
constexpr int kSerialReceiveWaitMs = 500;   // bound of one serial reply

// The serial receive bound: 500 ms, or ZENTRA_SERIAL_WAIT_MS (100..60000) for an
// interface served by another process on a busy machine (the tests' zentra-sim).
int SerialReceiveWaitMs() {
  const char* env = std::getenv("ZENTRA_SERIAL_WAIT_MS");
  if (env == nullptr || *env == '\0') return kSerialReceiveWaitMs;
  const int ms = std::atoi(env);
  return ms >= 100 && ms <= 60000 ? ms : kSerialReceiveWaitMs;
}
// A pass-through request carries the marker byte and the request in one message.
constexpr int kMaxPassThroughRequest = kMsgMaxData - 1;
constexpr int kHeaderSize = 6;
constexpr int kStaleDrainRounds = 8;        // bounded, even on a line that never falls quiet
}  // namespace

IrLink::IrLink(Platform platform)
    : serialReceiveWaitMs(SerialReceiveWaitMs()),
      platform_(std::move(platform)),
      serialPort(platform_.makeSerialDevice) {
  if (!platform_.usb) platform_.usb = std::make_shared<NoUsbHostLibrary>();
}

IrLink::~IrLink() {
  CloseInterface();
  CloseSerialPort();
}

void IrLink::FlushUsb() {
  if (usbHandle != 0) usb().SI_FlushBuffers(usbHandle, 1, 1);
}

bool IrLink::ReplySucceeded() const {
  const int received = protocol.receivedLength;
  if (received < kHeaderSize) return false;  // a stale status byte must not count
  // An escape byte right before the end mark: the frame was cut or garbled.
  if (protocol.escapePending) return false;
  const QBPMsg& reply = protocol.reply();
  // The data bytes and the checksum after them must all have arrived.
  if (kHeaderSize + reply.length() + 1 > received) return false;
  // A byte garbled on the interface's own line shows in the checksum: such a reply
  // counts as lost.
  if (reply.bytes[kHeaderSize + reply.length()] != reply.Checksum()) return false;
  return reply.status() == kStatusSuccess;
}

std::string IrLink::ReplyText(int maxChars) const {
  const QBPMsg& reply = protocol.reply();
  const int n = std::min<int>(maxChars, reply.length());
  // The bytes as the interface sent them, zero bytes included.
  return std::string(reinterpret_cast<const char*>(reply.data()), static_cast<size_t>(n));
}

bool IrLink::Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                      uint8_t& responseLength) {
  responseLength = 0;
  // One transaction at a time: a request issued from inside a running wait (a timer
  // firing while the link waits for a reply) would tangle the two replies.
  if (InTransaction()) {
    if (onTrace) onTrace(TraceDirection::Failure, nullptr, 0);
    return false;
  }
  if (response == nullptr || (requestLength > 0 && request == nullptr)) return false;

  BusyScope busy(*this);
  SetActivity(true);
  SetError(false);
  if (onTrace) onTrace(TraceDirection::Request, request, requestLength);

  bool ok = false;
  int attempts = 0;
  if (usbHandle != 0) {
    if (interfaceKind == kKindZrv510 || interfaceKind == kKindDgl700) {
      ++attempts;
      ok = DirectFrameTransact(request, requestLength, response, responseLength);
    } else if (interfaceKind == kKindUsbMessage) {
      for (; attempts < kMessageAttempts && !ok;) {
        ++attempts;
        ok = UsbMessageTransact(request, requestLength, response, responseLength);
        if (!ok) FlushUsb();
      }
    }
  } else if (serialOpen && interfaceKind == kKindDglNano) {
    for (; attempts < kMessageAttempts && !ok;) {
      ++attempts;
      ok = SerialMessageTransact(request, requestLength, response, responseLength);
    }
  }
  // Every attempt that went unanswered is a fault of the link (a lost or garbled reply,
  // an error status); an answer at the first attempt is a clean exchange.
  for (int failed = ok ? attempts - 1 : attempts; failed > 0; --failed) linkHealth.NoteFault(ok);
  if (ok && attempts == 1) linkHealth.NoteClean();

  SetActivity(false);
  if (!ok) SetError(true);
  if (onTrace) {
    if (ok)
      onTrace(TraceDirection::Answer, response, responseLength);
    else
      onTrace(TraceDirection::Failure, nullptr, 0);
  }
  return ok;
}

bool IrLink::DirectFrameTransact(const uint8_t* request, uint8_t requestLength,
                                 uint8_t* response, uint8_t& responseLength) {
  // Start byte, '=', length, request, end byte: four bytes more than the request.
  uint8_t frame[kMaxResponse + 4];
  int n = 0;
  frame[n++] = interfaceKind == kKindZrv510 ? kDirectStartZrv510 : kDirectStartDgl700;
  frame[n++] = kDirectRequest;
  frame[n++] = requestLength;
  if (requestLength > 0) std::memcpy(frame + n, request, requestLength);
  n += requestLength;
  frame[n++] = kDirectEnd;

  uint32_t done = 0;
  if (usb().SI_Write(usbHandle, frame, static_cast<uint32_t>(n), done) != SI_SUCCESS ||
      done != static_cast<uint32_t>(n))
    return false;

  uint8_t header[3] = {};
  done = 0;
  if (usb().SI_Read(usbHandle, header, 3, done) != SI_SUCCESS || done != 3) return false;
  const uint8_t announced = header[2];
  responseLength = announced;

  // From here on a failure leaves unread bytes in the interface: flush them so the next
  // request starts clean.
  bool ok = true;
  if (announced > 0) {
    done = 0;
    ok = usb().SI_Read(usbHandle, response, announced, done) == SI_SUCCESS &&
         done == announced;
  }
  if (ok) {
    uint8_t ack = 0;
    done = 0;
    ok = usb().SI_Read(usbHandle, &ack, 1, done) == SI_SUCCESS && done == 1 && ack == kAck;
  }
  if (!ok) FlushUsb();
  return ok;
}

bool IrLink::UsbMessageTransact(const uint8_t* request, uint8_t requestLength,
                                uint8_t* response, uint8_t& responseLength) {
  return PassThroughTransact(true, request, requestLength, response, responseLength);
}

bool IrLink::SerialMessageTransact(const uint8_t* request, uint8_t requestLength,
                                   uint8_t* response, uint8_t& responseLength) {
  return PassThroughTransact(false, request, requestLength, response, responseLength);
}

bool IrLink::PassThroughTransact(bool overUsb, const uint8_t* request, uint8_t requestLength,
                                 uint8_t* response, uint8_t& responseLength) {
  // A longer request would be cut short by the message record and reach the
  // transmitter as a different command; refuse it instead.
  if (requestLength > kMaxPassThroughRequest) return false;
  uint8_t data[kMsgMaxData];
  data[0] = kSelectPassThrough;
  if (requestLength > 0) std::memcpy(data + 1, request, requestLength);
  QBPMsg msg;
  BuildMessage(msg, overUsb ? kAddressUsbPassThrough : kAddressSerial, kCmdInterface, data,
               static_cast<uint8_t>(requestLength + 1), true);
  const bool ok = overUsb ? UsbMessageExchange(msg) : SerialMessageExchange(msg);
  if (!ok) return false;
  // Data byte 0 echoes the pass-through marker; the transmitter's answer follows it.
  const QBPMsg& reply = protocol.reply();
  const int length = reply.length();
  const int answer = length > 0 ? length - 1 : 0;
  if (answer > 0) std::memcpy(response, reply.data() + 1, answer);
  responseLength = static_cast<uint8_t>(answer);
  return true;
}

bool IrLink::UsbMessageExchange(const QBPMsg& msg) {
  BusyScope busy(*this);
  const int encoded = protocol.Encode(msg, protocol.transmitArea);

  // Debug pacing, for watching single messages on the IR window.
  if (debug.singleMessage) {
    if (onSingleMessageWait) onSingleMessageWait();
  } else if (debug.messageDelay && debug.messageDelayMs > 0) {
    WaitMs(debug.messageDelayMs);
  }

  if (usbHandle == kInvalidSiHandle || usbHandle == 0) return false;
  uint32_t written = 0;
  if (usb().SI_Write(usbHandle, protocol.transmitArea, static_cast<uint32_t>(encoded),
                     written) != SI_SUCCESS)
    return false;

  uint8_t received[kUsbReadSize] = {};
  uint32_t got = 0;
  if (usb().SI_Read(usbHandle, received, kUsbReadSize, got) != SI_SUCCESS) return false;
  int count = static_cast<int>(std::min<uint32_t>(got, kUsbReadSize));
  if (!protocol.Decode(received, count)) return false;
  return ReplySucceeded();
}

bool IrLink::SerialMessageExchange(const QBPMsg& msg) {
  BusyScope busy(*this);
  const int encoded = protocol.Encode(msg, protocol.transmitArea);
  serialBusy = true;
  rxTimedOut = false;  // set again only by a receive wait that expires
  bool ok = false;
  if (serialOpen) {
    frameComplete = false;
    assemblyCount_ = 0;
    // Bytes that came in before this request went out (an answer that arrived after
    // an earlier receive wait gave up) cannot be its answer: drop them.
    uint8_t stale[kMaxEncodedFrame];
    for (int round = 0; round < kStaleDrainRounds; ++round)
      if (serialPort.ReadWithin(stale, kMaxEncodedFrame, 0) <= 0) break;
    ok = serialPort.IsOpen() && serialPort.Write(protocol.transmitArea, encoded) &&
         ReceiveSerialFrame();
    if (ok) {
      int count = frameLength_;
      ok = protocol.Decode(frame_, count) && ReplySucceeded();
    }
  }
  // Cleared on every path: a failed send must not leave the poll stepping aside for
  // good.
  serialBusy = false;
  return ok;
}

bool IrLink::ReceiveSerialFrame() {
  rxTimedOut = false;
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(serialReceiveWaitMs);
  uint8_t chunk[kMaxEncodedFrame];
  while (!frameComplete && !rxTimedOut && serialPort.IsOpen()) {
    const auto now = LinkClock::now();
    if (now >= deadline) {
      // Bytes that came in while this program was not scheduled still count: take what
      // has arrived before the wait is called expired.
      const int late = serialPort.ReadWithin(chunk, kMaxEncodedFrame, 0);
      if (late > 0) AssembleSerialBytes(chunk, late);
      if (frameComplete) break;
      rxTimedOut = true;  // the receive wait has expired
      break;
    }
    const int leftMs = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count());
    const int n = serialPort.ReadWithin(chunk, kMaxEncodedFrame, std::max(leftMs, 1));
    if (n > 0) {
      AssembleSerialBytes(chunk, n);
    } else {
      // Nothing yet: let timers and painting run briefly rather than spin.
      WaitUntil(std::min(deadline, LinkClock::now() + std::chrono::milliseconds(2)),
                [] { return false; });
    }
  }
  serialBusy = false;
  return frameComplete;
}

void IrLink::AssembleSerialBytes(const uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) return;
  const int room = kMaxEncodedFrame - assemblyCount_;
  const int take = std::min(count, room);  // what does not fit is dropped
  if (take > 0) {
    std::memcpy(assembly_ + assemblyCount_, bytes, take);
    assemblyCount_ += take;
  }
  const uint8_t* begin = assembly_;
  const uint8_t* end = assembly_ + assemblyCount_;
  const uint8_t* start = std::find(begin, end, kFrameStart);
  if (start == end) return;
  const uint8_t* stop = std::find(start + 1, end, kFrameEnd);
  if (stop == end) return;
  frameLength_ = static_cast<int>(stop - start) + 1;
  std::memcpy(frame_, start, frameLength_);
  frameComplete = true;
}

}  // namespace zentra
