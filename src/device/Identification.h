// Model identification from the transmitter's 16-character identity text: the quick
// identification of the presence poll (model code only) and the full identification
// of every full read (capability flags from model and firmware version).
#pragma once

#include <string>

#include "device/TDeviceData.h"

namespace zentra {

// The firmware version from positions 10..12: (c10-48)*256 + (c11-48)*16 + (c12-48),
// bytes taken as signed. Three decimal digits read as hexadecimal ("123" -> 0x123).
// Texts shorter than 13 characters give 0.
int VersionNumber(const std::string& identity);

// Sets modelType from the identity text (as shown: cut at its first zero byte). Does
// nothing unless the text is exactly 16 characters and matches a model; returns true
// when it matched.
bool IdentifyModel(TDeviceData& data, const std::string& identity);
bool IdentifyModel(TDeviceData& data);  // from data.idText

// Clears every capability flag, micVariant, txNameLength and rfLevelsRead, then sets
// them (and modelType, except for model code 1) from the model and version. Does
// nothing at all unless the text is exactly 16 characters; returns true when a model
// matched.
bool IdentifyCapabilities(TDeviceData& data, const std::string& identity);
bool IdentifyCapabilities(TDeviceData& data);  // from data.idText

}  // namespace zentra
