#include "files/TextFile.h"

#include <fstream>
#include <system_error>

#include "files/ReplaceFile.h"

namespace zentra {

namespace {
std::string PathText(const std::string& path) { return path.empty() ? "(no name)" : path; }

// Reads up to limit bytes of an open stream; false on a read error.
bool ReadUpTo(std::ifstream& in, std::size_t limit, std::string& bytes) {
  bytes.clear();
  char chunk[64 * 1024];
  while (bytes.size() < limit) {
    const std::size_t want = std::min(sizeof chunk, limit - bytes.size());
    in.read(chunk, static_cast<std::streamsize>(want));
    const std::streamsize got = in.gcount();
    if (got > 0) bytes.append(chunk, static_cast<std::size_t>(got));
    if (in.eof()) return true;
    if (!in) return false;
  }
  return true;
}

// Overwrites an existing plain file with bytes; false when there is none or it cannot
// be opened for writing (then nothing was changed).
bool WriteExistingFileInPlace(const std::filesystem::path& file, std::string_view bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  {
    // Opened for appending first: a file the user may not write is refused before it
    // is truncated.
    std::ofstream probe(file, std::ios::binary | std::ios::app);
    if (!probe.is_open()) return false;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}
}  // namespace

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

TextFileStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                             std::string& errorText) {
  bytes.clear();
  errorText.clear();
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code ec;
  if (path.empty() || !std::filesystem::exists(file, ec)) {
    errorText = "File not found: " + PathText(path);
    return TextFileStatus::NotFound;
  }
  std::ifstream in;
  if (!std::filesystem::is_directory(file, ec)) in.open(file, std::ios::binary);
  if (!in.is_open()) {
    errorText = "File not readable: " + PathText(path);
    return TextFileStatus::Unreadable;
  }
  // Read one byte past the limit so that an oversized file is recognised even where
  // the size is not known in advance (pipes, special files).
  std::string data;
  if (!ReadUpTo(in, maxBytes + 1, data)) {
    errorText = "File not readable: " + PathText(path);
    return TextFileStatus::Unreadable;
  }
  if (data.size() > maxBytes) {
    errorText = "File too large (more than " + std::to_string(maxBytes / (1024 * 1024)) +
                " MB): " + PathText(path);
    return TextFileStatus::TooLarge;
  }
  bytes = std::move(data);
  return TextFileStatus::Ok;
}

bool ReadFileStart(const std::string& path, std::size_t count, std::string& bytes) {
  bytes.clear();
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code ec;
  if (path.empty() || std::filesystem::is_directory(file, ec)) return false;
  std::ifstream in(file, std::ios::binary);
  return in.is_open() && ReadUpTo(in, count, bytes);
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& errorText) {
  errorText.clear();
  ReplaceFileResult result =
      path.empty() ? ReplaceFileResult::NotCreated : WriteFileReplacing(PathFromUtf8(path), bytes);
  // A folder that takes no new file (read-only, while the file itself may be written)
  // has no room for the temporary file: the file is then written in place, as the user
  // asked for it, rather than refused.
  if (result == ReplaceFileResult::NotCreated && !path.empty() &&
      WriteExistingFileInPlace(PathFromUtf8(path), bytes))
    result = ReplaceFileResult::Ok;
  switch (result) {
    case ReplaceFileResult::Ok:
      return true;
    case ReplaceFileResult::NotCreated:
      errorText = "File not writable: " + PathText(path);
      return false;
    default:
      errorText = "File not written: " + PathText(path);
      return false;
  }
}

}  // namespace zentra
