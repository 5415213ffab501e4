// The three 8-byte unlock codes: one per transmitter family for the presence probe, and
// the service code sent before every service command. Built-in defaults live here; an
// INI file (section [access], keys handheld, bodypack, service) may replace them. The
// file is named by --access-codes FILE or the variable ZENTRA_ACCESS_CODES; the programs
// and the simulator read the same setting.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zentra {

using AccessCode = std::array<uint8_t, 8>;

struct AccessCodes {
  AccessCode handheld;  // familyAccessCode of model codes 1, 4, 10
  AccessCode bodypack;  // familyAccessCode of model codes 2, 3, 5..9
  AccessCode service;   // serviceAccessCode
};

AccessCodes DefaultAccessCodes();

// Reads the override file. Keys that are missing keep the value already in codes.
// A code must be exactly 8 printable ASCII characters; anything else is an error
// (error receives a message naming the key) and leaves codes unchanged.
bool LoadAccessCodesFile(const std::string& path, AccessCodes& codes, std::string& error);

// The codes in force: the defaults, replaced from the file given on the command line
// (when not empty) or else from ZENTRA_ACCESS_CODES (when set).
bool ResolveAccessCodes(const std::string& commandLineFile, AccessCodes& codes,
                        std::string& error);

// The codes the process uses; set once at start by the programs (and by tests).
const AccessCodes& ActiveAccessCodes();
void SetActiveAccessCodes(const AccessCodes& codes);

}  // namespace zentra
