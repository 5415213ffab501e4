// Output helpers of zentra-cli: the system's number formats and a small JSON writer
// for --json (one object per command, keys in the order written).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentra::cli {

// Frequency in kHz shown as MHz with three decimals ("%.03f").
std::string MHzText(int64_t kHz);
// "%02d" of a channel or group number.
std::string TwoDigits(int value);
// Text as printable ASCII: control and non-ASCII bytes become '.'.
std::string Printable(const std::string& text);

class JsonObject {
 public:
  JsonObject& Add(const std::string& key, long long value);
  JsonObject& Add(const std::string& key, int value) { return Add(key, static_cast<long long>(value)); }
  JsonObject& Add(const std::string& key, bool value);
  JsonObject& Add(const std::string& key, const std::string& value);
  JsonObject& Add(const std::string& key, const char* value) { return Add(key, std::string(value)); }
  JsonObject& Add(const std::string& key, const std::vector<long long>& values);
  JsonObject& Add(const std::string& key, const std::vector<std::string>& values);
  JsonObject& AddRaw(const std::string& key, const std::string& json);  // nested value
  std::string str() const { return "{" + body_ + "}"; }

 private:
  void Key(const std::string& key);
  std::string body_;
};

std::string JsonString(const std::string& text);
std::string JsonArray(const std::vector<std::string>& rawElements);

}  // namespace zentra::cli
