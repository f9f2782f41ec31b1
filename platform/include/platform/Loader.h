// The dynamic loader and the running executable's path (LoadLibrary, GetProcAddress,
// FreeLibrary, GetModuleFileName over dlopen and /proc/self/exe).
#pragma once

#include "platform/Win.h"

#include <functional>
#include <string>

namespace platform {

// Platform file name of a library named the Windows way: "KORVEX.dll" -> "libKORVEX.so".
// Other names are returned unchanged.
std::string LibraryFileName(const std::string& name);

// Full path of the running executable (see SetModuleFileNameForTesting).
std::string GetModuleFileName();
// Folder of the executable, ending in "/".
std::string GetModuleDirectory();

// Tests: pretend the executable is `path` (empty: the real one again). Library lookup and
// the help path follow it.
void SetModuleFileNameForTesting(const std::string& path);

// Loads a library. A bare name ("KORVEX.dll") is looked for only in the executable's own
// folder, under its platform file name, never in the current directory or the search
// path; a name with a "/" is taken as a path. Returns null when it cannot be loaded.
HMODULE LoadLibrary(const std::string& name);

// Address of an exported name, or null.
void* GetProcAddress(HMODULE module, const char* name);

// Unloads a library loaded by LoadLibrary.
BOOL FreeLibrary(HMODULE module);

// Tests: every GetProcAddress passes through `resolver` with the real result, and its
// answer is what the caller gets (return null to make an export missing). Empty: none.
using Resolver = std::function<void*(HMODULE module, const char* name, void* real)>;
void SetResolverForTesting(Resolver resolver);

} // namespace platform
