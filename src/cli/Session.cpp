#include "cli/Session.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "cli/ExitCodes.h"
#include "cli/Terminal.h"
#include "device/AccessCodes.h"
#include "device/Presence.h"
#include "link/UsbDiagnostics.h"
#include "sim/PlatformSelect.h"

namespace zentra::cli {

namespace {
constexpr int kPollIntervalMs = 1200;  // the presence poll's tick
}

void PrintError(const std::string& message) {
  std::fprintf(stderr, "zentra-cli: %s\n", message.c_str());
  std::fflush(stderr);
}

bool Session::LinkForwarder::Transact(const uint8_t* request, uint8_t requestLength,
                                      uint8_t* response, uint8_t& responseLength) {
  if (!link) {
    responseLength = 0;
    return false;
  }
  return link->Transact(request, requestLength, response, responseLength);
}

Session::Session(GlobalOptions options)
    : options_(std::move(options)), commands_(forwarder_, data_), service_(forwarder_) {}

Session::~Session() {
  if (link_) link_->CloseInterface();
}

int Session::Setup() {
  AccessCodes codes;
  std::string error;
  if (!ResolveAccessCodes(options_.accessCodesFile, codes, error)) {
    PrintError(error);
    return kExitUsage;
  }
  SetActiveAccessCodes(codes);
  Platform platform;
  if (!SelectPlatform(options_.simulate, options_.port, platform, world_, error)) {
    PrintError(error);
    // Without a SPEC the failure is the real platform's: no interface can be reached.
    const char* env = std::getenv("ZENTRA_SIMULATE");
    const bool simulating = !options_.simulate.empty() || (env && *env);
    return simulating ? kExitUsage : kExitNoInterface;
  }
  if (options_.verbose && platform.usbBus) {
    platform.usbBus->onTransfer = [](const std::string& what, const uint8_t* data, int count) {
      std::fprintf(stderr, "%s   %s%s%s\n", Timestamp().c_str(), what.c_str(),
                   count > 0 ? "  " : "", HexBytes(data, count).c_str());
      std::fflush(stderr);
    };
  }
  link_ = std::make_unique<IrLink>(std::move(platform));
  link_->linkHealth.mode = options_.confirmReads;
  forwarder_.link = link_.get();
  if (options_.verbose) {
    link_->onTrace = [this](TraceDirection d, const uint8_t* b, int n) { Trace(d, b, n); };
  }
  return kExitOk;
}

void Session::Trace(TraceDirection direction, const uint8_t* bytes, int count) {
  const char* arrow = direction == TraceDirection::Request  ? ">"
                      : direction == TraceDirection::Answer ? "<"
                                                            : "!";
  std::fprintf(stderr, "%s %s %s\n", Timestamp().c_str(), arrow,
               direction == TraceDirection::Failure && count == 0
                   ? "no answer"
                   : HexBytes(bytes, count).c_str());
  std::fflush(stderr);
}

std::vector<InterfaceEntry> Session::ListInterfaces() {
  auto entries = link_->BuildInterfaceList();
  // An interface that is plugged in but could not be opened (most often: no permission
  // without the udev rule) is named, so the user knows why it is missing.
  for (const std::string& problem : UsbOpenProblemTexts(link_->platform())) PrintError(problem);
  return entries;
}

int Session::Connect() {
  const auto entries = ListInterfaces();
  if (entries.empty()) {
    PrintError("No IR interface found");
    return kExitNoInterface;
  }
  const int index = options_.interfaceIndex;
  if (index < 0 || index >= static_cast<int>(entries.size())) {
    PrintError("No interface number " + std::to_string(index) + " (" +
               std::to_string(entries.size()) + " found; see 'zentra-cli interfaces')");
    return kExitNoInterface;
  }
  switch (link_->Connect(entries, index)) {
    case IrLink::ConnectResult::Connected:
      selectedKind_ = entries[static_cast<size_t>(index)].kind;
      return kExitOk;
    case IrLink::ConnectResult::FirmwareUnsupported:
      PrintError(kFirmwareUnsupportedMessage);
      return kExitNoInterface;
    case IrLink::ConnectResult::Failed:
      break;
  }
  PrintError("The IR interface could not be opened");
  return kExitNoInterface;
}

int Session::WaitForTransmitter(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
  for (;;) {
    if (Interrupted()) return kExitInterrupted;
    const PresenceTick tick = PresenceProbe(forwarder_, data_, selectedKind_);
    if (tick.event == PresenceEvent::Arrived || tick.event == PresenceEvent::StillThere) {
      return kExitOk;
    }
    if (std::chrono::steady_clock::now() + std::chrono::milliseconds(kPollIntervalMs) >
        deadline) {
      return kExitNoTransmitter;
    }
    if (!SleepUnlessInterrupted(kPollIntervalMs)) return kExitInterrupted;
  }
}

bool Session::WaitUntilGone() {
  for (;;) {
    const PresenceTick tick = PresenceProbe(forwarder_, data_, selectedKind_);
    if (tick.event == PresenceEvent::Left || data_.modelType == 0) {
      data_.ResetDeviceData();
      presets_.Clear();
      return true;
    }
    if (!SleepUnlessInterrupted(kPollIntervalMs)) return false;
  }
}

FullReadResult Session::Read() {
  FullReadOptions options;
  options.readFirstGroup = false;
  lastRead = FullRead(forwarder_, data_, presets_, options);
  return lastRead;
}

}  // namespace zentra::cli

#include "cli/Commands.h"
#include "device/ModelTable.h"

namespace zentra::cli {

std::string ExpandFileName(const std::string& pattern, Session& session) {
  const std::pair<std::string, std::string> fields[] = {
      {"{n}", std::to_string(session.batchNumber)},
      {"{serial}", session.data().SerialText()},
      {"{model}", ModelName(session.data().modelType)},
  };
  std::string out = pattern;
  for (const auto& [key, value] : fields) {
    for (size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + value.size())) {
      out.replace(at, key.size(), value);
    }
  }
  return out;
}

}  // namespace zentra::cli
