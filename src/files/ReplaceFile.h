// The platform's part of the safe file write: the bytes go to a new temporary file in
// the target's folder, reach the disk, and only then take the target's place in one
// step. POSIX: rename() replaces an existing file atomically. Windows: a plain rename
// refuses an existing target, so the temporary file is moved over it with
// MOVEFILE_REPLACE_EXISTING (and write-through), which replaces it in one step too.
#pragma once

#include <filesystem>
#include <string_view>

namespace zentra {

enum class ReplaceFileResult {
  Ok,
  NotCreated,   // no temporary file could be made in the target's folder
  NotWritten,   // writing or flushing the temporary file failed (disk full, I/O error)
  NotReplaced,  // the target could not be replaced (read-only, a folder, locked)
};

// Writes bytes to target through a temporary file beside it. On any failure the
// temporary file is removed and the target is untouched. A replaced file keeps its
// permissions (POSIX).
ReplaceFileResult WriteFileReplacing(const std::filesystem::path& target,
                                     std::string_view bytes);

}  // namespace zentra
