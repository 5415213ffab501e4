// The safe file write on Windows: a new file beside the target, flushed to the disk,
// then moved over the target. MoveFileExW without MOVEFILE_REPLACE_EXISTING (like the C
// library's rename) refuses a target that exists; with it the target is replaced in one
// step, and MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
#include <windows.h>

#include <string>

#include "files/ReplaceFile.h"

namespace zentra {

namespace {
// A name no other writer uses at the same moment: the process id and a running number.
std::wstring TemporaryName(const std::wstring& target, unsigned attempt) {
  static unsigned counter = 0;
  return target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter + attempt) + L".tmp";
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, want, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}
}  // namespace

ReplaceFileResult WriteFileReplacing(const std::filesystem::path& target,
                                     std::string_view bytes) {
  const std::wstring path = target.wstring();
  const DWORD attributes = GetFileAttributesW(path.c_str());
  // An existing file that may not be written (read-only, a folder) is not replaced.
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return ReplaceFileResult::NotCreated;

  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp = TemporaryName(path, attempt);
    file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) return ReplaceFileResult::NotCreated;
  const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
  const bool closed = CloseHandle(file) != 0;
  if (!written || !closed) {
    DeleteFileW(temp.c_str());
    return ReplaceFileResult::NotWritten;
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return ReplaceFileResult::NotReplaced;
  }
  return ReplaceFileResult::Ok;
}

}  // namespace zentra
