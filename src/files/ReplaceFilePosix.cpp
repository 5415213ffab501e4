// The safe file write on POSIX systems: mkstemp beside the target, fsync, rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "files/ReplaceFile.h"

namespace zentra {

namespace {
bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

ReplaceFileResult WriteFileReplacing(const std::filesystem::path& target,
                                     std::string_view bytes) {
  const std::string path = target.string();
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  // An existing file that may not be written is not replaced behind the user's back.
  if (exists && (S_ISDIR(existing.st_mode) || ::access(path.c_str(), W_OK) != 0))
    return ReplaceFileResult::NotCreated;

  std::vector<char> temp(path.begin(), path.end());
  const std::string suffix = ".XXXXXX";
  temp.insert(temp.end(), suffix.begin(), suffix.end());
  temp.push_back('\0');
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return ReplaceFileResult::NotCreated;
  // mkstemp makes the file private; a replaced file keeps its permissions, a new one
  // gets the usual ones (0666 less the umask).
  mode_t mode = existing.st_mode & 07777;
  if (!exists) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(temp.data());
    return ReplaceFileResult::NotWritten;
  }
  if (::rename(temp.data(), path.c_str()) != 0) {
    ::unlink(temp.data());
    return ReplaceFileResult::NotReplaced;
  }
  return ReplaceFileResult::Ok;
}

}  // namespace zentra
