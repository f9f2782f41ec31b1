// The dynamic loader and the running executable's folder (LoadLibrary, GetProcAddress,
// FreeLibrary over dlopen and /proc/self/exe).
#pragma once

#include "platform/Win.h"

#include <string>

namespace platform {

// Platform file name of a library named the Windows way: "KORVEX.dll" -> "libKORVEX.so".
// Other names are returned unchanged.
std::string LibraryFileName(const std::string& name);

// Folder of the running executable, ending in "/".
std::string GetModuleDirectory();

// Loads a library. A bare name ("KORVEX.dll") is looked for only in `directory` (ending in
// "/"), under its platform file name, never in the current directory or the search path;
// a name with a "/" is taken as a path. Returns null when it cannot be loaded.
HMODULE LoadLibrary(const std::string& name, const std::string& directory = GetModuleDirectory());

// Address of an exported name, or null.
void* GetProcAddress(HMODULE module, const char* name);

// Unloads a library loaded by LoadLibrary.
BOOL FreeLibrary(HMODULE module);

} // namespace platform
