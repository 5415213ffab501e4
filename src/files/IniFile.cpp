#include "files/IniFile.h"

#include <SimpleIni.h>

#include "files/TextFile.h"


#include <climits>
#include <cstdint>

namespace zentra {

namespace {

// Multi-key mode lets a repeated key in a loaded file keep its first value, as Windows
// reads it; writes then replace every copy in place of the first.
using Store = CSimpleIniA;

// Collects SimpleIni's output, turning every lone LF into CRLF and keeping at most one
// blank line between sections.
class CrlfWriter : public Store::OutputWriter {
 public:
  explicit CrlfWriter(std::string& out) : out_(out) {}
  void Write(const char* text) override {
    for (const char* p = text; *p; ++p) {
      if (*p == '\r') continue;  // line ends are rebuilt below
      if (*p == '\n') {
        if (++newlines_ > 2) continue;
        out_.append("\r\n");
      } else {
        newlines_ = 0;
        out_.push_back(*p);
      }
    }
  }

 private:
  std::string& out_;
  int newlines_ = 2;  // no blank lines at the top of the file
};

std::string Cleaned(std::string_view value) {
  std::string s(value);
  for (char& c : s) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return s;
}

std::string Z(std::string_view v) { return std::string(v); }

std::string PathText(const std::string& path) { return path.empty() ? "(no name)" : path; }

}  // namespace

struct IniFile::Impl {
  Store ini{false, true, false};  // not UTF-8 mode, multi-key, no multi-line values
  Impl() {
    ini.SetSpaces(false);
    ini.SetQuotes(false);
  }
};

IniFile::IniFile() : impl_(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;

void IniFile::Clear() {
  impl_ = std::make_unique<Impl>();
  errorText_.clear();
}

IniFile::Status IniFile::LoadText(std::string_view text) {
  Clear();
  if (text.size() > kMaxFileBytes) {
    errorText_ = "File too large (more than " + std::to_string(kMaxFileBytes / (1024 * 1024)) +
                 " MB)!";
    return Status::TooLarge;
  }
  std::string data(text);
  for (char& c : data) {
    if (c == '\0') c = ' ';
  }
  if (impl_->ini.LoadData(data.data(), data.size()) < 0) {
    Clear();
    errorText_ = "File not readable!";
    return Status::Unreadable;
  }
  return Status::Ok;
}

IniFile::Status IniFile::Load(const std::string& path) {
  Clear();
  std::string bytes;
  switch (ReadWholeFile(path, kMaxFileBytes, bytes, errorText_)) {
    case TextFileStatus::Ok: break;
    case TextFileStatus::NotFound: return Status::NotFound;
    case TextFileStatus::TooLarge: return Status::TooLarge;
    case TextFileStatus::Unreadable: return Status::Unreadable;
  }
  Status st = LoadText(bytes);
  if (st != Status::Ok && errorText_.find(':') == std::string::npos) {
    errorText_ += " " + PathText(path);
  }
  return st;
}

bool IniFile::SectionExists(std::string_view section) const {
  return impl_->ini.SectionExists(Z(section).c_str());
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
  return impl_->ini.GetValue(Z(section).c_str(), Z(key).c_str(), nullptr) != nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  const char* v = impl_->ini.GetValue(Z(section).c_str(), Z(key).c_str(), nullptr);
  return v ? std::string(v) : std::string(def);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const char* v = impl_->ini.GetValue(Z(section).c_str(), Z(key).c_str(), nullptr);
  return v ? ToIntDef(v, def) : def;
}

void IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) {
  const std::string v = Cleaned(value);
  const std::string s = Z(section);
  // A key written again keeps the spelling it had, as Windows keeps it.
  std::string k = Z(key);
  if (const Store::TKeyVal* keys = impl_->ini.GetSection(s.c_str())) {
    auto it = keys->find(Store::Entry(k.c_str()));
    if (it != keys->end()) k = it->first.pItem;
  }
  // Force-replace keeps the first place of the key (and drops later copies).
  impl_->ini.SetValue(s.c_str(), k.c_str(), v.c_str(), nullptr, true);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::DeleteSection(std::string_view section) {
  impl_->ini.Delete(Z(section).c_str(), nullptr, true);
}

std::vector<std::string> IniFile::SectionNames() const {
  Store::TNamesDepend names;
  impl_->ini.GetAllSections(names);
  names.sort(Store::Entry::LoadOrder());
  std::vector<std::string> out;
  for (const auto& e : names) out.emplace_back(e.pItem);
  return out;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
  Store::TNamesDepend names;
  impl_->ini.GetAllKeys(Z(section).c_str(), names);
  names.sort(Store::Entry::LoadOrder());
  std::vector<std::string> out;
  for (const auto& e : names) out.emplace_back(e.pItem);
  return out;
}

std::string IniFile::ToText() const {
  std::string out;
  CrlfWriter writer(out);
  impl_->ini.Save(writer, false);
  return out;
}

IniFile::Status IniFile::Save(const std::string& path) const {
  return WriteWholeFile(path, ToText(), errorText_) ? Status::Ok : Status::WriteFailed;
}

int ToIntDef(std::string_view text, int def) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return def;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return def;
    }
    value = value * base + digit;
    if (value > static_cast<int64_t>(INT_MAX) + 1) return def;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return def;
  return static_cast<int>(value);
}

}  // namespace zentra
