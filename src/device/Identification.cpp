#include "device/Identification.h"

#include <cstring>

namespace zentra {

namespace {

constexpr size_t kIdentityLength = 16;

// The identity as the window shows it: cut at its first zero byte.
std::string Shown(const std::string& identity) {
  size_t zero = identity.find('\0');
  return zero == std::string::npos ? identity : identity.substr(0, zero);
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

struct MatchRule {
  const char* prefix;
  int8_t code;
};

// The quick identification tries the names in this order.
constexpr MatchRule kQuickOrder[] = {
    {"ZQK120 ", 1}, {"ZQL11 ", 2}, {"ZQL12 ", 2}, {"ZQL21 ", 3}, {"ZQN21 ", 6}, {"ZQL22 ", 5},
    {"ZQL22X", 9},  {"ZQK220 ", 4}, {"ZQK230 ", 10}, {"ZQL21X", 7}, {"ZQN21X", 8},
};

// The full identification tries them in this order.
constexpr MatchRule kFullOrder[] = {
    {"ZQK120 ", 1}, {"ZQL11 ", 2}, {"ZQL12 ", 2}, {"ZQL21 ", 3}, {"ZQN21 ", 6}, {"ZQL22 ", 5},
    {"ZQK220 ", 4}, {"ZQK230 ", 10}, {"ZQL21X", 7}, {"ZQN21X", 8}, {"ZQL22X", 9},
};

void ClearCapabilities(TDeviceData& d) {
  d.pttSupported = 0;
  d.pttMode3Supported = 0;
  d.groupLockSupported = 0;
  d.micInputSupported = 0;
  d.groupHiddenSupported = 0;
  d.channelFlagsSupported = 0;
  d.syncSupported = 0;
  d.groupNamesSupported = 0;
  d.micVariant = 0;
  d.presetsSupported = 0;
  d.audioExtended = 0;
  d.limiterSupported = 0;
  d.bandPlanSupported = 0;
  d.rfLevelsRead = 0;
  d.optionsSupported = 0;
  d.txNameSupported = 0;
  d.extendedLockSupported = 0;
  d.bootVersionSupported = 0;
  d.hiddenMenuSupported = 0;
  d.batteryType3Supported = 0;
  d.txNameLength = 0;
  d.menuInfoHiddenSupported = 0;
  d.audioModLpfSupported = 0;
}

// What every model of the new family (codes 3..10) has.
void ApplyBaseSet(TDeviceData& d) {
  d.audioExtended = 1;
  d.groupLockSupported = 1;
  d.groupHiddenSupported = 1;
  d.channelFlagsSupported = 1;
  d.syncSupported = 1;
  d.groupNamesSupported = 1;
  d.presetsSupported = 1;
}

// Firmware steps of the new family, applied in order of their thresholds.
void ApplyVersionSet(TDeviceData& d, int version) {
  if (version >= 0x121) d.bandPlanSupported = 1;
  if (version >= 0x122) d.optionsSupported = 1;
  if (version >= 0x123) {
    d.txNameSupported = 1;
    d.txNameLength = 12;
    d.extendedLockSupported = 1;
    d.bootVersionSupported = 1;
    d.hiddenMenuSupported = 1;
  }
  if (version >= 0x129) {
    d.menuInfoHiddenSupported = 1;
    d.batteryType3Supported = 1;
    d.txNameLength = 8;
  }
}

// Groups with names, flags and a SYNC channel arrived with firmware 1.10 on both old
// models.
void ApplyOldGroupFeatures(TDeviceData& d, int version) {
  if (version >= 0x110) {
    d.groupHiddenSupported = 1;
    d.channelFlagsSupported = 1;
    d.syncSupported = 1;
    d.groupNamesSupported = 1;
  }
}

void ApplyRule(TDeviceData& d, int code, const std::string& text, int version) {
  const char variant = text[6];
  switch (code) {
    case 1:
      // Normally already 1 from the quick identification; set here as well so that an
      // identity rewritten by the service tools never leaves another model's code.
      d.modelType = 1;
      d.micInputSupported = 0;
      if (version >= 0x102) d.pttSupported = 1;
      if (version >= 0x103) {
        d.pttMode3Supported = 1;
        d.groupLockSupported = 1;
      }
      ApplyOldGroupFeatures(d, version);
      break;
    case 2:
      d.modelType = 2;
      d.micInputSupported = 1;
      d.pttSupported = 1;
      if (version >= 0x102) {
        d.pttMode3Supported = 1;
        d.groupLockSupported = 1;
      }
      ApplyOldGroupFeatures(d, version);
      if (version >= 0x111) d.presetsSupported = 1;
      if (version >= 0x112) d.audioExtended = 1;
      if (variant == 'P') {
        d.micVariant = 1;
        d.pttSupported = 0;
      } else if (variant == 'R') {
        d.micVariant = 2;
        d.pttSupported = 0;
      }
      break;
    case 3:
      d.modelType = 3;
      d.micVariant = version < 0x111 ? 0 : (variant == 'U' ? 2 : 1);
      ApplyVersionSet(d, version);
      ApplyBaseSet(d);
      d.micInputSupported = 1;
      d.pttSupported = 1;
      break;
    case 6:
      d.modelType = 6;
      ApplyVersionSet(d, version);
      ApplyBaseSet(d);
      d.micInputSupported = 1;
      d.pttSupported = 0;
      break;
    case 5:
      d.modelType = 5;
      ApplyVersionSet(d, version);
      ApplyBaseSet(d);
      d.micInputSupported = 1;
      d.pttSupported = 1;
      d.micVariant = 1;
      break;
    case 4:
    case 10:
      d.modelType = static_cast<int8_t>(code);
      ApplyVersionSet(d, version);
      ApplyBaseSet(d);
      d.micInputSupported = 0;
      d.pttSupported = 1;
      if (code == 10) d.audioModLpfSupported = 1;
      break;
    case 7:
    case 8:
    case 9:
      d.modelType = static_cast<int8_t>(code);
      ApplyVersionSet(d, version);
      ApplyBaseSet(d);
      d.micInputSupported = 1;
      d.pttSupported = 1;
      d.limiterSupported = 1;
      d.micVariant = 1;
      break;
    default:
      break;
  }
}

std::string FromIdText(const TDeviceData& data) {
  return std::string(data.idText.data(), data.idText.size());
}

}  // namespace

int VersionNumber(const std::string& identity) {
  if (identity.size() < 13) return 0;
  auto c = [&](size_t i) { return static_cast<int>(static_cast<signed char>(identity[i])); };
  return (c(10) - 48) * 256 + (c(11) - 48) * 16 + (c(12) - 48);
}

bool IdentifyModel(TDeviceData& data, const std::string& identity) {
  std::string text = Shown(identity);
  if (text.size() != kIdentityLength) return false;
  for (const MatchRule& rule : kQuickOrder) {
    if (StartsWith(text, rule.prefix)) {
      data.modelType = rule.code;
      return true;
    }
  }
  return false;
}

bool IdentifyModel(TDeviceData& data) { return IdentifyModel(data, FromIdText(data)); }

bool IdentifyCapabilities(TDeviceData& data, const std::string& identity) {
  std::string text = Shown(identity);
  if (text.size() != kIdentityLength) return false;
  int version = VersionNumber(text);
  ClearCapabilities(data);
  for (const MatchRule& rule : kFullOrder) {
    if (StartsWith(text, rule.prefix)) {
      ApplyRule(data, rule.code, text, version);
      return true;
    }
  }
  return false;
}

bool IdentifyCapabilities(TDeviceData& data) {
  return IdentifyCapabilities(data, FromIdText(data));
}

}  // namespace zentra
