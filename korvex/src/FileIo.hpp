// Reading a task file whole and replacing one atomically.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

// Reads the regular file at `path` into `out`. False for anything else
// (absent, a folder, a pipe, a device) and for a file past kMaxFileBytes,
// also one that grows past it while being read.
bool readWholeFile(const char* path, std::string& out);

// Replaces the file at `path` with `data`: written to a temporary file in the
// same folder, flushed and renamed over it. A symbolic link is written
// through; a folder, pipe, device or dangling link is refused. An existing
// file keeps its mode, a new one gets 0666 less the umask. False, with `path`
// untouched and no temporary file left, when anything fails.
bool writeFileAtomically(const char* path, std::string_view data);

} // namespace korvex
