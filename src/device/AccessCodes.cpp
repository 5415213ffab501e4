#include "device/AccessCodes.h"

#include <SimpleIni.h>

#include <cstdlib>

namespace zentra {

namespace {

AccessCode FromText(const char* text) {
  AccessCode code{};
  for (size_t i = 0; i < code.size(); ++i) code[i] = static_cast<uint8_t>(text[i]);
  return code;
}

bool ParseCode(const char* text, AccessCode& out) {
  std::string s(text);
  if (s.size() != 8) return false;
  for (unsigned char c : s)
    if (c < 0x20 || c > 0x7E) return false;
  out = FromText(s.c_str());
  return true;
}

AccessCodes& Active() {
  static AccessCodes codes = DefaultAccessCodes();
  return codes;
}

}  // namespace

AccessCodes DefaultAccessCodes() {
  // Factory values of this configurator; sites with other codes use the override file.
  return AccessCodes{FromText("ZQHH2011"), FromText("ZQBP2011"), FromText("ZQSV7391")};
}

bool LoadAccessCodesFile(const std::string& path, AccessCodes& codes, std::string& error) {
  CSimpleIniA ini(false, false, false);
  if (ini.LoadFile(path.c_str()) < 0) {
    error = "cannot read access code file " + path;
    return false;
  }
  AccessCodes result = codes;
  struct Key { const char* name; AccessCode* target; } keys[] = {
      {"handheld", &result.handheld}, {"bodypack", &result.bodypack}, {"service", &result.service}};
  for (const auto& k : keys) {
    const char* v = ini.GetValue("access", k.name, nullptr);
    if (v == nullptr) continue;
    if (!ParseCode(v, *k.target)) {
      error = std::string("access code '") + k.name + "' in " + path +
              " must be exactly 8 printable ASCII characters";
      return false;
    }
  }
  codes = result;
  return true;
}

bool ResolveAccessCodes(const std::string& commandLineFile, AccessCodes& codes,
                        std::string& error) {
  codes = DefaultAccessCodes();
  std::string file = commandLineFile;
  if (file.empty()) {
    const char* env = std::getenv("ZENTRA_ACCESS_CODES");
    if (env != nullptr) file = env;
  }
  if (file.empty()) return true;
  return LoadAccessCodesFile(file, codes, error);
}

const AccessCodes& ActiveAccessCodes() { return Active(); }
void SetActiveAccessCodes(const AccessCodes& codes) { Active() = codes; }

}  // namespace zentra
