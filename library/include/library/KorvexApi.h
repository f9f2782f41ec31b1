// The KORVEX entry-point table. The program never links the library: BindLibrary loads it
// at run time and looks every entry point up by its exported name, in binding order.
// Call through the table with the interface handle first:
//     theApp.m_api.KorvexSetDataNum(theApp.m_hInterface, item, field, value);
#pragma once

#include "korvex.h"
#include "platform/Loader.h"
#include "platform/Win.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>

// Entry points in binding order (the position in this list, from 1, is the error code of
// BindLibrary when that entry point is missing).
#define TOVALO_KORVEX_ENTRY_POINTS(X)                                                              \
    X(KorvexNewInterface)                                                                          \
    X(KorvexDeleteInterface)                                                                       \
    X(KorvexGetVersion)                                                                            \
    X(KorvexCheckVersion)                                                                          \
    X(KorvexInitialize)                                                                            \
    X(KorvexClear)                                                                                 \
    X(KorvexGetName)                                                                               \
    X(KorvexSetName)                                                                               \
    X(KorvexNewItem)                                                                               \
    X(KorvexSetDataNum)                                                                            \
    X(KorvexSetDataValue)                                                                          \
    X(KorvexGetDataNum)                                                                            \
    X(KorvexGetDataValue)                                                                          \
    X(KorvexGetDataOrderedValue)                                                                   \
    X(KorvexTestData)                                                                              \
    X(KorvexGetItemNum)                                                                            \
    X(KorvexSave)                                                                                  \
    X(KorvexLoad)                                                                                  \
    X(KorvexLoadSDA)                                                                               \
    X(KorvexGetID)                                                                                 \
    X(KorvexFinalize)                                                                              \
    X(KorvexGetStorePath)

struct KorvexApi {
#define TOVALO_KORVEX_SLOT(name) decltype(&::name) name = nullptr;
    TOVALO_KORVEX_ENTRY_POINTS(TOVALO_KORVEX_SLOT)
#undef TOVALO_KORVEX_SLOT
};

inline constexpr std::array<const char*, 22> kKorvexEntryNames = {
#define TOVALO_KORVEX_NAME(name) #name,
    TOVALO_KORVEX_ENTRY_POINTS(TOVALO_KORVEX_NAME)
#undef TOVALO_KORVEX_NAME
};

// BindLibrary's error code when the file cannot be loaded.
inline constexpr int kBindErrorNotLoadable = 100;

// Where BindLibrary looks: the folder of a bare name (ending in "/") and the lookup of an
// export by name.
struct LibraryLoader {
    std::string directory = platform::GetModuleDirectory();
    std::function<void*(HMODULE, const char*)> lookup = platform::GetProcAddress;
};

// Binds `fileName` (a bare name such as "KORVEX.dll" is looked for in the loader's folder,
// under the platform's file name for it). Returns nonzero when bound; otherwise zero with
// *pnError set to 100 (not loadable) or the 1-based binding position of the first missing
// entry point (the module is then unloaded and *phModule reset to null; slots filled before
// the failure keep their values). Returns nonzero at once, touching nothing, when
// *phModule is already non-null.
BOOL BindLibrary(const char* fileName, HMODULE* phModule, KorvexApi* pApi, int* pnError,
                 const LibraryLoader& loader = {});

// Slot `index` (0-based binding position) of the table, for tests and diagnostics.
void* KorvexApiSlot(const KorvexApi& api, std::size_t index);
