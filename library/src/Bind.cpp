#include "library/KorvexApi.h"

#include "platform/Loader.h"

namespace {

// Stores `address` in slot `index`; returns false for an index past the table.
bool SetSlot(KorvexApi& api, std::size_t index, void* address) {
    std::size_t i = 0;
#define TOVALO_KORVEX_SET(name)                                                                    \
    if (i++ == index) {                                                                            \
        api.name = reinterpret_cast<decltype(api.name)>(address);                                  \
        return true;                                                                               \
    }
    TOVALO_KORVEX_ENTRY_POINTS(TOVALO_KORVEX_SET)
#undef TOVALO_KORVEX_SET
    return false;
}

} // namespace

void* KorvexApiSlot(const KorvexApi& api, std::size_t index) {
    std::size_t i = 0;
#define TOVALO_KORVEX_GET(name)                                                                    \
    if (i++ == index)                                                                              \
        return reinterpret_cast<void*>(api.name);
    TOVALO_KORVEX_ENTRY_POINTS(TOVALO_KORVEX_GET)
#undef TOVALO_KORVEX_GET
    return nullptr;
}

BOOL BindLibrary(const char* fileName, HMODULE* phModule, KorvexApi* pApi, int* pnError,
                 const LibraryLoader& loader) {
    if (phModule == nullptr || pApi == nullptr)
        return FALSE;
    if (*phModule != nullptr)
        return TRUE;
    *phModule = platform::LoadLibrary(fileName ? fileName : "", loader.directory);
    if (*phModule == nullptr) {
        if (pnError)
            *pnError = kBindErrorNotLoadable;
        return FALSE;
    }
    for (std::size_t i = 0; i < kKorvexEntryNames.size(); ++i) {
        void* address = loader.lookup(*phModule, kKorvexEntryNames[i]);
        SetSlot(*pApi, i, address);
        if (address == nullptr) {
            if (pnError)
                *pnError = static_cast<int>(i) + 1;
            platform::FreeLibrary(*phModule);
            *phModule = nullptr;
            return FALSE;
        }
    }
    return TRUE;
}
