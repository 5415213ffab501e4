#include "sim/SimSpec.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace zentra::sim {

namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t pos = text.find(sep, start);
    parts.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  return parts;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool ParseInt(const std::string& text, long long lo, long long hi, long long& out) {
  if (text.empty()) return false;
  long long v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || p != text.data() + text.size()) return false;
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

bool ParseRate(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !(v >= 0.0 && v <= 1.0)) return false;
  out = v;
  return true;
}

bool ParseKind(const std::string& text, SimKind& kind) {
  const std::string k = Lower(text);
  if (k == "zrv510") kind = SimKind::Zrv510;
  else if (k == "dgl700") kind = SimKind::Dgl700;
  else if (k == "usbmsg") kind = SimKind::UsbMessage;
  else if (k == "nano") kind = SimKind::Nano;
  else return false;
  return true;
}

bool ParseInterface(const std::string& text, InterfaceSpec& out, std::string& error) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) {
    error = "'" + text + "': expected KIND:MODEL (KIND one of zrv510, dgl700, usbmsg, nano)";
    return false;
  }
  InterfaceSpec spec;
  const std::string kindText = Trim(text.substr(0, colon));
  if (!ParseKind(kindText, spec.kind)) {
    error = "unknown interface kind '" + kindText + "' (expected zrv510, dgl700, usbmsg or nano)";
    return false;
  }
  std::vector<std::string> parts = Split(text.substr(colon + 1), ',');
  TransmitterSpec first;
  if (!ParseTransmitterSpec(Trim(parts[0]), first, error)) return false;
  spec.transmitters.push_back(first);
  int groups = 0, channels = 0, presets = -1;
  std::string serial;
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string opt = Trim(parts[i]);
    const size_t eq = opt.find('=');
    const std::string name = Lower(Trim(opt.substr(0, eq)));
    const std::string value = eq == std::string::npos ? std::string() : Trim(opt.substr(eq + 1));
    const bool hasValue = eq != std::string::npos;
    long long n = 0;
    auto bad = [&](const std::string& what) {
      error = "option '" + opt + "': " + what;
      return false;
    };
    if (name == "empty" && !hasValue) {
      spec.present = false;
    } else if (name == "silent" && !hasValue) {
      spec.silentWhenNoAnswer = true;
    } else if (name == "old-firmware" && !hasValue) {
      spec.firmware = "111";
    } else if (name == "next") {
      TransmitterSpec t;
      std::string e;
      if (!ParseTransmitterSpec(value, t, e)) return bad(e);
      spec.transmitters.push_back(t);
    } else if (name == "gap") {
      if (!ParseInt(value, 0, 1000000, n)) return bad("expected a count of requests");
      spec.gapRequests = static_cast<int>(n);
    } else if (name == "leave-after") {
      if (!ParseInt(value, 1, 100000000, n)) return bad("expected a count of requests from 1 on");
      spec.leaveAfter = static_cast<int>(n);
    } else if (name == "groups") {
      if (!ParseInt(value, 1, 40, n)) return bad("groups must be 1..40");
      groups = static_cast<int>(n);
    } else if (name == "channels") {
      if (!ParseInt(value, 1, 60, n)) return bad("channels must be 1..60");
      channels = static_cast<int>(n);
    } else if (name == "presets") {
      if (!ParseInt(value, 0, 10, n)) return bad("presets must be 0..10");
      presets = static_cast<int>(n);
    } else if (name == "serial") {
      if (value.empty() || value.size() > 10) return bad("serial must be 1..10 characters");
      serial = value;
    } else if (name == "firmware") {
      if (value.size() != 3 || !std::all_of(value.begin(), value.end(), ::isdigit))
        return bad("firmware must be three digits");
      spec.firmware = value;
    } else if (name == "loss") {
      if (!ParseRate(value, spec.lossRate)) return bad("expected a rate from 0 to 1");
    } else if (name == "corrupt") {
      if (!ParseRate(value, spec.corruptRate)) return bad("expected a rate from 0 to 1");
    } else if (name == "seed") {
      if (!ParseInt(value, 0, 0xFFFFFFFFLL, n)) return bad("expected a number");
      spec.seed = static_cast<uint32_t>(n);
    } else if (name == "latency") {
      if (!ParseInt(value, 0, 60000, n)) return bad("latency must be 0..60000 ms");
      spec.latencyMs = static_cast<int>(n);
    } else if (name == "baud") {
      if (!ParseInt(value, 0, 10000000, n)) return bad("expected a baud rate");
      spec.baud = static_cast<int>(n);
    } else if ((name == "libusb" || name == "no-access") && !hasValue) {
      if (spec.kind == SimKind::Nano) return bad("only a USB interface sits on the USB bus");
      spec.overUsbBus = true;
      if (name == "no-access") spec.usbAccessDenied = true;
    } else if (name == "port") {
      if (spec.kind != SimKind::Nano) return bad("only a nano interface has a port name");
      if (value.empty() || value.find_first_of("()") != std::string::npos)
        return bad("expected a port name without parentheses");
      spec.portName = value;
    } else {
      error = "unknown option '" + opt + "'";
      return false;
    }
  }
  for (auto& t : spec.transmitters) {
    if (groups) t.groups = groups;
    if (channels) t.channels = channels;
    if (presets >= 0) t.presets = presets;
    if (!serial.empty()) t.serial = serial;
  }
  out = spec;
  return true;
}

}  // namespace

const std::vector<std::string>& SimModelNames() {
  static const std::vector<std::string> names = {"ZQK120", "ZQL11",  "ZQL12",  "ZQL21",
                                                 "ZQK220", "ZQL22",  "ZQN21",  "ZQL21X",
                                                 "ZQN21X", "ZQL22X", "ZQK230"};
  return names;
}

bool ParseTransmitterSpec(const std::string& text, TransmitterSpec& out, std::string& error) {
  std::string rest = Trim(text);
  TransmitterSpec spec;
  const size_t slash = rest.find('/');
  if (slash != std::string::npos) {
    const std::string v = rest.substr(slash + 1);
    if (v.size() != 1 || !std::isalpha(static_cast<unsigned char>(v[0]))) {
      error = "variant '" + v + "' must be one letter";
      return false;
    }
    spec.variant = static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])));
    rest = rest.substr(0, slash);
  }
  const size_t at = rest.find('@');
  if (at != std::string::npos) {
    const std::string v = rest.substr(at + 1);
    if (v.size() != 3 || !std::all_of(v.begin(), v.end(), ::isdigit)) {
      error = "version '" + v + "' must be three digits, e.g. 129";
      return false;
    }
    spec.version = v;
    rest = rest.substr(0, at);
  }
  const std::string model = Upper(rest);
  const auto& names = SimModelNames();
  if (std::find(names.begin(), names.end(), model) == names.end()) {
    std::string list;
    for (const auto& n : names) list += (list.empty() ? "" : " ") + n;
    error = "unknown model '" + rest + "' (expected one of " + list + ")";
    return false;
  }
  spec.model = model;
  out = spec;
  return true;
}

bool ParseSimSpec(const std::string& text, SimSpec& out, std::string& error) {
  if (Trim(text).empty()) {
    error = "empty simulation SPEC";
    return false;
  }
  SimSpec spec;
  for (const std::string& part : Split(text, '+')) {
    InterfaceSpec i;
    if (!ParseInterface(Trim(part), i, error)) return false;
    spec.interfaces.push_back(i);
  }
  int nano = 0;
  for (auto& i : spec.interfaces)
    if (i.kind == SimKind::Nano && i.portName.empty()) i.portName = "simnano" + std::to_string(nano++);
  out = spec;
  return true;
}

std::string SimSpecHelp() {
  return "SPEC is KIND:MODEL[@VERSION][/VARIANT][,OPTION...], several joined with '+'.\n"
         "KIND: zrv510, dgl700, usbmsg, nano. MODEL: ZQK120 ZQL11 ZQL12 ZQL21 ZQK220 ZQL22 "
         "ZQN21 ZQL21X ZQN21X ZQL22X ZQK230. VERSION: three digits (default 129).\n"
         "OPTIONS: empty, next=MODEL[@V][/L], gap=N, leave-after=N, groups=G, channels=C, "
         "presets=N, serial=TEXT, firmware=NNN, old-firmware, silent, loss=P, corrupt=P, "
         "seed=N, latency=MS, baud=B, port=NAME, libusb, no-access.\n"
         "Example: nano:ZQL22X@129  zrv510:ZQL21@123/U,groups=8,channels=16";
}

}  // namespace zentra::sim
