// Whole files read and written as bytes, with the limits and the safe replacement every
// file of the system needs: a read refuses files above a size limit without reading
// them whole, and a write goes to a temporary file beside the target that is renamed
// into place, so the file that stood there survives a crash or a full disk.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace zentra {

enum class TextFileStatus { Ok, NotFound, TooLarge, Unreadable };

// Reads the file at path (UTF-8 path) into bytes. errorText says what went wrong, with
// the path, e.g. "File not found: PATH".
TextFileStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                             std::string& errorText);
// Reads at most count bytes from the start of the file (fewer when it is shorter).
// False when the file cannot be opened or read.
bool ReadFileStart(const std::string& path, std::size_t count, std::string& bytes);
// Writes bytes to path through a temporary file renamed into place. False, with
// errorText, when the file could not be written; the old file is then untouched. In a
// folder where no new file can be made but the file itself is writable, the file is
// written in place instead (without the protection of the rename).
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& errorText);

// A UTF-8 path as the file system takes it (wide characters on Windows).
std::filesystem::path PathFromUtf8(const std::string& path);

}  // namespace zentra
