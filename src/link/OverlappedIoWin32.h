// Overlapped reads and writes with bounded waits on one Win32 handle: a COM port, or in
// the tests a named pipe. At most one operation is in flight, and each call waits for
// its own completion before it returns; an operation whose wait expires is cancelled and
// waited for, so its buffer and completion record stay valid until it has ended.
#pragma once

#include <windows.h>

#include <cstdint>

namespace zentra {

class OverlappedIo {
 public:
  OverlappedIo();
  ~OverlappedIo();
  OverlappedIo(const OverlappedIo&) = delete;
  OverlappedIo& operator=(const OverlappedIo&) = delete;

  // The handle, opened with FILE_FLAG_OVERLAPPED; not owned.
  void Attach(HANDLE handle) { handle_ = handle; }
  // True when the completion events could be made.
  bool Ready() const { return readEvent_ != nullptr && writeEvent_ != nullptr; }

  // Writes count bytes; true only when all were written within waitMs.
  bool Write(const uint8_t* data, int count, int waitMs);
  // Starts a read of up to count bytes and waits up to waitMs for it to complete; the
  // number of bytes read (0 on time-out or error). When lost is given, it is set on an
  // error that means the port has gone (an unplugged interface).
  int Read(uint8_t* buffer, int count, int waitMs, bool* lost = nullptr);

 private:
  // Waits up to waitMs for the operation; cancels it when the wait expires. The count
  // transferred (for a cancelled read, what it had read), or -1 when it failed.
  long Finish(OVERLAPPED& op, int waitMs, bool* lost);

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE readEvent_ = nullptr;
  HANDLE writeEvent_ = nullptr;
};

}  // namespace zentra
