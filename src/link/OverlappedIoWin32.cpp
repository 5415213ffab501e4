#include "link/OverlappedIoWin32.h"

#include "link/LinkWait.h"

namespace zentra {

namespace {
// Errors after which the port is not coming back: the device was removed.
bool PortGone(DWORD error) {
  return error == ERROR_DEVICE_REMOVED || error == ERROR_BAD_COMMAND ||
         error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_HANDLE ||
         error == ERROR_BROKEN_PIPE || error == ERROR_FILE_NOT_FOUND ||
         error == ERROR_GEN_FAILURE;
}
}  // namespace

OverlappedIo::OverlappedIo()
    : readEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      writeEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

OverlappedIo::~OverlappedIo() {
  if (readEvent_ != nullptr) CloseHandle(readEvent_);
  if (writeEvent_ != nullptr) CloseHandle(writeEvent_);
}

long OverlappedIo::Finish(OVERLAPPED& op, int waitMs, bool* lost) {
  DWORD transferred = 0;
  const DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) {
    if (lost != nullptr) *lost = PortGone(error);
    return -1;
  }
  // The wait lets the window's events run (LinkWait), the event itself is the answer.
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(waitMs);
  const bool done = WaitForReady(deadline, [&](int ms) {
    return WaitForSingleObject(op.hEvent, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
  });
  if (!done) {
    // Expired: cancel it and wait until the cancellation (or a completion that came at
    // the same moment) has ended, so the system no longer writes into the buffer.
    CancelIoEx(handle_, &op);
    GetOverlappedResult(handle_, &op, &transferred, TRUE);
    // Bytes a cancelled read had already taken are real data: they are returned, not
    // dropped (a write that did not finish has failed whatever it sent).
    return op.hEvent == readEvent_ && transferred > 0
               ? static_cast<long>(transferred)
               : -1;
  }
  if (!GetOverlappedResult(handle_, &op, &transferred, FALSE)) {
    if (lost != nullptr) *lost = PortGone(GetLastError());
    return -1;
  }
  return static_cast<long>(transferred);
}

bool OverlappedIo::Write(const uint8_t* data, int count, int waitMs) {
  if (handle_ == INVALID_HANDLE_VALUE || !Ready() || count < 0) return false;
  if (count == 0) return true;
  OVERLAPPED op{};
  op.hEvent = writeEvent_;
  DWORD written = 0;
  long result = 0;
  if (WriteFile(handle_, data, static_cast<DWORD>(count), &written, &op)) {
    result = static_cast<long>(written);
  } else {
    result = Finish(op, waitMs, nullptr);
  }
  return result == count;
}

int OverlappedIo::Read(uint8_t* buffer, int count, int waitMs, bool* lost) {
  if (lost != nullptr) *lost = false;
  if (handle_ == INVALID_HANDLE_VALUE || !Ready() || buffer == nullptr || count <= 0) return 0;
  OVERLAPPED op{};
  op.hEvent = readEvent_;
  DWORD got = 0;
  long result = 0;
  if (ReadFile(handle_, buffer, static_cast<DWORD>(count), &got, &op)) {
    result = static_cast<long>(got);
  } else {
    result = Finish(op, waitMs, lost);
  }
  return result > 0 ? static_cast<int>(result) : 0;
}

}  // namespace zentra
