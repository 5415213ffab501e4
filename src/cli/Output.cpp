#include "cli/Output.h"

#include <cstdio>

namespace zentra::cli {

std::string MHzText(int64_t kHz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.03f", static_cast<double>(kHz) * 0.001);
  return text;
}

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) c = '.';
  }
  return out;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  char cell[8];
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        // Bytes outside printable ASCII are written as their code so that the output
        // is valid JSON whatever the transmitter sent.
        if (u < 0x20 || u > 0x7E) {
          std::snprintf(cell, sizeof cell, "\\u%04x", u);
          out += cell;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonArray(const std::vector<std::string>& rawElements) {
  std::string out = "[";
  for (size_t i = 0; i < rawElements.size(); ++i) {
    if (i) out += ",";
    out += rawElements[i];
  }
  return out + "]";
}

void JsonObject::Key(const std::string& key) {
  if (!body_.empty()) body_ += ",";
  body_ += JsonString(key) + ":";
}

JsonObject& JsonObject::Add(const std::string& key, long long value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Add(const std::string& key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::Add(const std::string& key, const std::string& value) {
  Key(key);
  body_ += JsonString(value);
  return *this;
}

JsonObject& JsonObject::Add(const std::string& key, const std::vector<long long>& values) {
  std::vector<std::string> raw;
  for (long long v : values) raw.push_back(std::to_string(v));
  return AddRaw(key, JsonArray(raw));
}

JsonObject& JsonObject::Add(const std::string& key, const std::vector<std::string>& values) {
  std::vector<std::string> raw;
  for (const auto& v : values) raw.push_back(JsonString(v));
  return AddRaw(key, JsonArray(raw));
}

JsonObject& JsonObject::AddRaw(const std::string& key, const std::string& json) {
  Key(key);
  body_ += json;
  return *this;
}

}  // namespace zentra::cli
