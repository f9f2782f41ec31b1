// Save names of the backup file list: the name taken from a remote path, and the test
// that keeps names unique. Names are compared byte for byte, letter case counting.
#pragma once

#include "document/BackupFileEntry.h"

#include <memory>
#include <string>
#include <vector>

// Longest remote path the list takes, in bytes.
inline constexpr std::size_t kMaxBackupPathBytes = 260;

// The last folder component of `path` before its first "?" or "#" (only "/" separates
// folders). False, with `saveName` untouched, for an empty path or one over 260 bytes;
// true otherwise, even when the name comes out empty (a path ending in "/").
bool DeriveSaveName(const std::string& path, std::string& saveName);

namespace document {

// True when an entry other than `skip` has exactly the save name `name`.
bool IsSaveNameTaken(const std::vector<std::unique_ptr<CBackupFileEntry>>& entries,
                     const std::string& name, const CBackupFileEntry* skip = nullptr);

} // namespace document
