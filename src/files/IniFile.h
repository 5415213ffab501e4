// INI files as Windows writes and reads them, so that .qdf and .qcf files stay
// interchangeable with files made by the Windows tools: "[SECTION]" lines and
// "key=value" lines, section and key names matched without regard to case, sections
// and keys kept in the order they were first written, a missing section or key giving
// the caller's default, bytes above 0x7F kept as they are, CRLF line endings.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentra {

class IniFile {
 public:
  // Larger files are refused without being read: a full frequency table file is a few
  // hundred kilobytes, so anything this big is not one of ours.
  static constexpr std::size_t kMaxFileBytes = 4u * 1024u * 1024u;

  enum class Status { Ok, NotFound, TooLarge, Unreadable, WriteFailed };

  IniFile();
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // Replaces the content with the file at path (UTF-8 path). A missing file leaves the
  // content empty and returns NotFound; a file above kMaxFileBytes is not read.
  // Accepts CRLF and LF, a UTF-8 byte-order mark, blanks around names and values,
  // ";" comment lines; lines without "=" are skipped and NUL bytes read as blanks.
  Status Load(const std::string& path);
  // Replaces the content with text (same rules as Load, including the size limit).
  Status LoadText(std::string_view text);
  void Clear();

  bool SectionExists(std::string_view section) const;
  bool KeyExists(std::string_view section, std::string_view key) const;
  // The value as written (blanks around it removed); def when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // The value converted with ToIntDef; def when the key is missing or is not a number.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;

  // Sets a value. A key written again keeps its first place and takes the new value.
  // Line breaks in the value become blanks so that a value can never start a new line.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Removes a section with all its keys; written again, it comes after every other.
  void DeleteSection(std::string_view section);

  std::vector<std::string> SectionNames() const;                      // in order
  std::vector<std::string> KeyNames(std::string_view section) const;  // in order

  // The file text: "[SECTION]" and "key=value" lines ending in CRLF.
  std::string ToText() const;
  // Writes ToText() to a temporary file beside path and renames it into place, so the
  // file that stood there survives a crash or a full disk. Returns Ok or WriteFailed.
  Status Save(const std::string& path) const;

  // Text for the user about the last failed Load or Save, "" after a success.
  const std::string& errorText() const { return errorText_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  mutable std::string errorText_;
};

// Converts text the way Windows programs convert INI values to integers: optional
// blanks, an optional sign, decimal digits, or hexadecimal after "$" or "0x"; the whole
// text must be used and fit in 32 bits, else def is returned.
int ToIntDef(std::string_view text, int def);

}  // namespace zentra
