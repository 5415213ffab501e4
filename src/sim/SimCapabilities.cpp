// What each transmitter firmware offers. Kept as data: one row per model name with the
// features every firmware of that model has, plus the version steps at which the
// firmware gained features. The configurator derives the same facts from the identity
// text on its side; this table is written separately so that a slip there shows up as a
// refused or mis-shaped answer here instead of being mirrored.
#include <cctype>

#include "sim/VirtualTransmitter.h"

namespace zentra::sim {

namespace {

enum Family { kOld120, kOld11, kNew };

struct ModelRow {
  const char* name;
  int code;
  bool handheld;
  Family family;
  bool micInput;
  bool ptt;
  bool limiter;       // suffix models
  int fixedVariant;   // -1: from the identity letter (ZQL21, ZQL11/12), else fixed
  bool modLpf;
};

constexpr ModelRow kModels[] = {
    {"ZQK120", 1, true, kOld120, false, false, false, 0, false},
    {"ZQL11", 2, false, kOld11, true, true, false, -1, false},
    {"ZQL12", 2, false, kOld11, true, true, false, -1, false},
    {"ZQL21", 3, false, kNew, true, true, false, -1, false},
    {"ZQK220", 4, true, kNew, false, true, false, 0, false},
    {"ZQL22", 5, false, kNew, true, true, false, 1, false},
    {"ZQN21", 6, false, kNew, true, false, false, 0, false},
    {"ZQL21X", 7, false, kNew, true, true, true, 1, false},
    {"ZQN21X", 8, false, kNew, true, true, true, 1, false},
    {"ZQL22X", 9, false, kNew, true, true, true, 1, false},
    {"ZQK230", 10, true, kNew, false, true, false, 0, true},
};

}  // namespace

bool DeriveCapabilities(const std::string& model, char variant, const std::string& version,
                        SimCapabilities& out) {
  const ModelRow* row = nullptr;
  for (const auto& m : kModels)
    if (model == m.name) row = &m;
  if (row == nullptr || version.size() != 3) return false;
  for (char c : version)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  const int v = (version[0] - '0') * 256 + (version[1] - '0') * 16 + (version[2] - '0');

  SimCapabilities c;
  c.modelCode = row->code;
  c.handheld = row->handheld;
  c.version = v;
  c.micInput = row->micInput;
  c.ptt = row->ptt;
  c.limiter = row->limiter;
  c.audioModLpf = row->modLpf;

  switch (row->family) {
    case kOld120:
      c.ptt = v >= 0x102;
      c.pttMode3 = c.groupLock = v >= 0x103;
      c.groupHidden = c.channelFlags = c.sync = c.groupNames = v >= 0x110;
      break;
    case kOld11:
      c.pttMode3 = c.groupLock = v >= 0x102;
      c.groupHidden = c.channelFlags = c.sync = c.groupNames = v >= 0x110;
      c.presets = v >= 0x111;
      c.audioExtended = v >= 0x112;
      if (variant == 'P') {
        c.micVariant = 1;
        c.ptt = false;
      } else if (variant == 'R') {
        c.micVariant = 2;
        c.ptt = false;
      }
      break;
    case kNew:
      c.audioExtended = c.groupLock = c.groupHidden = c.channelFlags = c.sync = c.groupNames =
          c.presets = true;
      c.bandPlan = v >= 0x121;
      c.options = v >= 0x122;
      if (v >= 0x123) {
        c.txName = c.extendedLock = c.bootVersion = c.hiddenMenu = true;
        c.txNameLength = 12;
      }
      if (v >= 0x129) {
        c.menuInfoHidden = c.batteryType3 = true;
        c.txNameLength = 8;
      }
      if (row->fixedVariant >= 0) c.micVariant = row->fixedVariant;
      else c.micVariant = v < 0x111 ? 0 : (variant == 'U' ? 2 : 1);
      break;
  }
  out = c;
  return true;
}

}  // namespace zentra::sim
