#include "sim/VirtualInterface.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace zentra::sim {

namespace {

constexpr uint8_t kDirectStart1 = '0';
constexpr uint8_t kDirectStart2 = 'U';
constexpr uint8_t kDirectTrailer = 0x04;
constexpr uint8_t kAck = 0x06;

// Addresses and commands of the message interfaces.
constexpr uint8_t kAddrProbe = 0xFF;
constexpr uint8_t kAddrUsbVersion = 0x01;
constexpr uint8_t kAddrUsbPass = 0x04;
constexpr uint8_t kAddrSerial = 0x00;
constexpr uint8_t kCmdLinkOpen = 0x00;
constexpr uint8_t kCmdLinkClose = 0x01;
constexpr uint8_t kCmdVersion = 0x02;
constexpr uint8_t kCmdSub = 0x11;
constexpr uint8_t kSubProbe = 0x04;
constexpr uint8_t kSubParam = 0x05;
constexpr uint8_t kSubPass = 0x06;

}  // namespace

VirtualInterface::VirtualInterface(const InterfaceSpec& spec, int index,
                                   std::vector<LoggedRequest>* log)
    : spec_(spec), index_(index), log_(log), rng_(spec.seed) {
  if (!spec_.transmitters.empty()) {
    TransmitterSpec first = spec_.transmitters.front();
    for (size_t i = 1; i < spec_.transmitters.size(); ++i) queue_.push_back(spec_.transmitters[i]);
    Enter(first);
    present_ = spec_.present;
    if (!present_) gapLeft_ = -1;
  }
}

VirtualInterface::~VirtualInterface() = default;

std::string VirtualInterface::productString() const {
  switch (spec_.kind) {
    case SimKind::Zrv510: return "zrv510 IR interface";
    case SimKind::Dgl700: return "dgl700 IR interface";
    case SimKind::UsbMessage: return "USB IR message interface";
    case SimKind::Nano: return "";
  }
  return "";
}

std::string VirtualInterface::portName() const { return spec_.portName; }

std::string VirtualInterface::friendlyName() const { return "DGLnano (" + spec_.portName + ")"; }

std::string VirtualInterface::versionText() const {
  switch (spec_.kind) {
    case SimKind::Zrv510: return "ZRV510 fw " + spec_.firmware + "   ";  // digits at 10..12
    case SimKind::Dgl700: return "DGL700 fw 105   ";
    case SimKind::UsbMessage: return "ZRV520v2";
    case SimKind::Nano: return "DGLn 103";
  }
  return "";
}

bool VirtualInterface::OpenHost() {
  if (hostOpen_) return false;
  hostOpen_ = true;
  Flush();
  return true;
}

void VirtualInterface::CloseHost() {
  hostOpen_ = false;
  linkOpen_ = false;
  Flush();
}

// --- the IR window ---

VirtualTransmitter* VirtualInterface::transmitter() {
  return transmitterPresent() ? all_[current_].get() : nullptr;
}

void VirtualInterface::SetTransmitterPresent(bool present) {
  if (present) {
    if (current_ < 0 || (!present_ && !queue_.empty() && gapLeft_ >= 0)) {
      if (!queue_.empty()) {
        TransmitterSpec next = queue_.front();
        queue_.pop_front();
        Enter(next);
      }
    } else {
      present_ = true;
      answeredSinceArrival_ = 0;
    }
    gapLeft_ = -1;
    return;
  }
  present_ = false;
  gapLeft_ = queue_.empty() ? -1 : spec_.gapRequests;
}

VirtualTransmitter& VirtualInterface::Enter(const TransmitterSpec& spec) {
  TransmitterSpec t = spec;
  if (t.serial.empty()) {
    char buf[32];
    SimCapabilities c;
    DeriveCapabilities(t.model, t.variant, t.version, c);
    std::snprintf(buf, sizeof buf, "ZQ%02d%06d", c.modelCode % 100,
                  (index_ * 1000 + static_cast<int>(all_.size()) + 4711) % 1000000);
    t.serial = buf;
  }
  all_.push_back(std::make_unique<VirtualTransmitter>(t));
  current_ = static_cast<int>(all_.size()) - 1;
  present_ = true;
  answeredSinceArrival_ = 0;
  gapLeft_ = -1;
  return *all_.back();
}

void VirtualInterface::ArriveNextIfDue() {
  if (present_ || queue_.empty() || gapLeft_ != 0) return;
  TransmitterSpec next = queue_.front();
  queue_.pop_front();
  Enter(next);
}

void VirtualInterface::SetFaults(double lossRate, double corruptRate, uint32_t seed) {
  spec_.lossRate = lossRate;
  spec_.corruptRate = corruptRate;
  spec_.seed = seed;
  rng_.seed(seed);
}

void VirtualInterface::SetLeaveAfter(int requests) {
  spec_.leaveAfter = requests;
  answeredSinceArrival_ = 0;
}

void VirtualInterface::SetPacing(int latencyMs, int baud) {
  spec_.latencyMs = latencyMs;
  spec_.baud = baud;
}

bool VirtualInterface::PassToTransmitter(const uint8_t* request, int length,
                                         std::vector<uint8_t>& answer) {
  ++irRequests_;
  ArriveNextIfDue();
  // The same draws for every request keep a seeded run reproducible whatever happens.
  const double lossDraw = static_cast<double>(rng_()) / 4294967296.0;
  LoggedRequest entry;
  entry.time = LinkClock::now();
  entry.interfaceIndex = index_;
  entry.request.assign(request, request + length);
  entry.transmitterPresent = transmitterPresent();

  const double corruptDraw = static_cast<double>(rng_()) / 4294967296.0;
  const uint32_t corruptPos = rng_();
  const uint8_t corruptMask = static_cast<uint8_t>(1u << (rng_() % 8));
  bool answered = false;
  if (VirtualTransmitter* tx = transmitter()) {
    auto a = tx->Handle(request, length);
    if (a && lossDraw >= spec_.lossRate) {
      answer = std::move(*a);
      answered = true;
      // A garbled IR answer: one bit of it flipped before the interface frames it.
      if (corruptDraw < spec_.corruptRate && !answer.empty())
        answer[corruptPos % answer.size()] ^= corruptMask;
    }
    if (a && spec_.leaveAfter >= 0 && ++answeredSinceArrival_ >= spec_.leaveAfter) {
      present_ = false;
      gapLeft_ = queue_.empty() ? -1 : spec_.gapRequests;
    }
  } else if (gapLeft_ > 0) {
    --gapLeft_;
  }
  entry.answered = answered;
  if (log_) log_->push_back(std::move(entry));
  return answered;
}

// --- host side ---

void VirtualInterface::HostWrite(const uint8_t* data, int count) {
  if (data == nullptr || count <= 0) return;
  input_.insert(input_.end(), data, data + count);
  if (spec_.kind == SimKind::Zrv510 || spec_.kind == SimKind::Dgl700)
    HandleDirectFrames();
  else
    HandleMessages();
}

void VirtualInterface::QueueReply(std::vector<uint8_t> bytes) {
  if (bytes.empty()) return;
  auto start = LinkClock::now();
  if (!replies_.empty()) start = std::max(start, replies_.back().at);
  start += std::chrono::milliseconds(spec_.latencyMs);
  const auto perByte = spec_.baud > 0 ? std::chrono::nanoseconds(10'000'000'000LL / spec_.baud)
                                      : std::chrono::nanoseconds(0);
  for (size_t i = 0; i < bytes.size(); ++i)
    replies_.push_back({bytes[i], start + perByte * static_cast<int64_t>(i + 1)});
}

int VirtualInterface::Arrived() const {
  const auto now = LinkClock::now();
  int n = 0;
  for (const auto& p : replies_) {
    if (p.at > now) break;
    ++n;
  }
  return n;
}

bool VirtualInterface::MoreComing() const {
  return !replies_.empty() && replies_.back().at > LinkClock::now();
}

LinkClock::time_point VirtualInterface::NextArrival() const {
  const auto now = LinkClock::now();
  for (const auto& p : replies_)
    if (p.at > now) return p.at;
  return LinkClock::time_point::max();
}

int VirtualInterface::HostRead(uint8_t* buffer, int max) {
  const int n = std::min(Arrived(), max);
  for (int i = 0; i < n; ++i) {
    buffer[i] = replies_.front().byte;
    replies_.pop_front();
  }
  return n;
}

void VirtualInterface::Flush() {
  replies_.clear();
  input_.clear();
  decoder_.inFrame = false;
  decoder_.escapePending = false;
  decoder_.receivedLength = 0;
}

// Direct frames (kinds 1 and 2): start byte, '=', length, request, 0x04 for a request to
// the transmitter; start byte, 'I', 0x04 for the interface's version text. The reply
// to a request is start byte, '=', answer length, the answer and 0x06; when nothing
// answered over IR, the length is 0 and the closing byte 0x15 (or there is no reply).
void VirtualInterface::HandleDirectFrames() {
  const uint8_t start = spec_.kind == SimKind::Zrv510 ? kDirectStart1 : kDirectStart2;
  while (!input_.empty()) {
    if (input_[0] != start) {
      input_.erase(input_.begin());
      continue;
    }
    if (input_.size() < 3) return;
    if (input_[1] == 'I') {
      if (input_[2] != kDirectTrailer) {
        input_.erase(input_.begin());
        continue;
      }
      input_.erase(input_.begin(), input_.begin() + 3);
      std::string text = versionText();
      text.resize(16, ' ');
      std::vector<uint8_t> reply(19, kAck);
      reply[0] = start;
      reply[1] = 'I';
      for (size_t i = 0; i < 16; ++i) reply[2 + i] = static_cast<uint8_t>(text[i]);
      QueueReply(std::move(reply));
      continue;
    }
    if (input_[1] != '=') {
      input_.erase(input_.begin());
      continue;
    }
    const size_t len = input_[2];
    if (input_.size() < len + 4) return;
    if (input_[3 + len] != kDirectTrailer) {
      input_.erase(input_.begin());
      continue;
    }
    std::vector<uint8_t> request(input_.begin() + 3, input_.begin() + 3 + len);
    input_.erase(input_.begin(), input_.begin() + 4 + len);
    std::vector<uint8_t> answer;
    if (PassToTransmitter(request.data(), static_cast<int>(request.size()), answer)) {
      std::vector<uint8_t> reply{start, '=', static_cast<uint8_t>(answer.size())};
      reply.insert(reply.end(), answer.begin(), answer.end());
      reply.push_back(kAck);
      QueueReply(std::move(reply));
    } else if (!spec_.silentWhenNoAnswer) {
      QueueReply({start, '=', 0, kNak});
    }
  }
}

void VirtualInterface::HandleMessages() {
  while (!input_.empty()) {
    int count = static_cast<int>(input_.size());
    const bool complete = decoder_.Decode(input_.data(), count);
    input_.erase(input_.begin(), input_.begin() + std::min<int>(count, input_.size()));
    if (!complete) return;
    const QBPMsg msg = decoder_.reply();
    if (msg.length() <= kMsgMaxData) HandleMessage(msg);
  }
}

void VirtualInterface::QueueMessageReply(const QBPMsg& request, uint8_t status,
                                         const uint8_t* data, int length) {
  QBPMsg reply;
  length = std::min(length, kMsgMaxData);
  reply.bytes[0] = 0;
  reply.bytes[1] = request.address();
  reply.bytes[2] = request.sequence();
  reply.bytes[3] = static_cast<uint8_t>(length);
  reply.bytes[4] = status;
  reply.bytes[5] = request.command();
  std::copy(data, data + length, reply.bytes + 6);
  reply.bytes[6 + length] = reply.Checksum();
  uint8_t frame[kMaxEncodedFrame];
  const int n = decoder_.Encode(reply, frame);
  QueueReply(std::vector<uint8_t>(frame, frame + n));
}

void VirtualInterface::HandleMessage(const QBPMsg& msg) {
  const uint8_t addr = msg.address(), cmd = msg.command(), len = msg.length();
  const uint8_t* data = msg.data();
  auto ok = [&](const uint8_t* d, int n) { QueueMessageReply(msg, kStatusSuccess, d, n); };
  auto fail = [&](uint8_t status) { QueueMessageReply(msg, status, nullptr, 0); };
  auto passThrough = [&]() {
    std::vector<uint8_t> answer;
    if (PassToTransmitter(data + 1, len - 1, answer)) {
      std::vector<uint8_t> d{kSubPass};
      d.insert(d.end(), answer.begin(), answer.end());
      ok(d.data(), static_cast<int>(d.size()));
    } else if (!spec_.silentWhenNoAnswer) {
      fail(kSimStatusNoIrAnswer);
    }
  };
  const std::string version = versionText();
  const auto* versionBytes = reinterpret_cast<const uint8_t*>(version.data());

  if (spec_.kind == SimKind::UsbMessage) {
    if (addr == kAddrProbe && cmd == kCmdSub && len >= 1 && data[0] == kSubProbe)
      return ok(data, len);
    if (addr == kAddrUsbVersion && cmd == kCmdVersion && len == 0)
      return ok(versionBytes, static_cast<int>(version.size()));
    if (addr == kAddrUsbPass && cmd == kCmdSub && len >= 2 && data[0] == kSubPass)
      return passThrough();
    return fail(kSimStatusUnknown);
  }

  // DGLnano on a serial port.
  if (addr != kAddrSerial) return fail(kSimStatusUnknown);
  switch (cmd) {
    case kCmdLinkOpen:
      linkOpen_ = true;
      return ok(nullptr, 0);
    case kCmdLinkClose:
      linkOpen_ = false;
      return ok(nullptr, 0);
    case kCmdVersion:
      return ok(versionBytes, static_cast<int>(version.size()));
    case kCmdSub:
      if (len == 1 && data[0] == kSubParam) {
        const uint8_t d[3] = {kSubParam, static_cast<uint8_t>(param5_ & 0xFF),
                              static_cast<uint8_t>(param5_ >> 8)};
        return ok(d, 3);
      }
      if (len == 3 && data[0] == kSubParam) {
        param5_ = static_cast<uint16_t>(data[1] | (data[2] << 8));
        return ok(data, 3);
      }
      if (len >= 2 && data[0] == kSubPass) {
        // Requests reach the IR window only within an open link session.
        if (!linkOpen_) return fail(kSimStatusLinkClosed);
        return passThrough();
      }
      return fail(kSimStatusUnknown);
    default:
      return fail(kSimStatusUnknown);
  }
}

}  // namespace zentra::sim
