// A stand-in KORVEX library for start-up tests. Built three times:
//   complete    every entry point, version check passes
//   lacking     KorvexFinalize not exported
//   oldversion  every entry point, KorvexCheckVersion refuses
#include "korvex.h"

#include <cstdio>

struct KorvexInterface {
    int items;
};

static struct KorvexInterface g_interface;
static char g_name[260];

KorvexHandle KorvexNewInterface(void) {
    g_interface.items = 0;
    return &g_interface;
}
int KorvexGetVersion(int* major, int* minor, int* patch) {
    int* parts[] = {major, minor, patch};
    for (int i = 0; i < 3; ++i)
        if (parts[i])
            *parts[i] = i < 2 ? 1 : 0; // 1.1.0
    return 1;
}
int KorvexCheckVersion(int major, int minor, int patch) {
#ifdef STUB_FAIL_VERSION
    return major < 0 && minor < 0 && patch < 0; // no version a caller asks for
#else
    return major == 1 && minor >= 0 && patch >= 0;
#endif
}
int KorvexGetName(KorvexHandle h, char* buffer, int size) {
    return h && buffer && size > 0 &&
           std::snprintf(buffer, static_cast<size_t>(size), "%s", g_name) >= 0;
}
int KorvexSetName(KorvexHandle h, const char* name) {
    return h && name && std::snprintf(g_name, sizeof g_name, "%s", name) >= 0;
}
int KorvexNewItem(KorvexHandle h, int) {
    return h ? ++g_interface.items : -1;
}
// Calls on the interface succeed; calls with nothing to do fail, as they would on an empty
// document, and reads leave an empty text.
#define STUB_OK(name)                                                                              \
    int name(KorvexHandle h) {                                                                     \
        return h == &g_interface;                                                                  \
    }
#define STUB_FAILS(name, ...)                                                                      \
    int name(__VA_ARGS__) {                                                                        \
        return 0;                                                                                  \
    }
#define STUB_READ_FAILS(name, ...)                                                                 \
    int name(__VA_ARGS__, char* buffer, int size) {                                                \
        if (buffer && size > 0)                                                                    \
            buffer[0] = '\0';                                                                      \
        return 0;                                                                                  \
    }
STUB_OK(KorvexDeleteInterface)
STUB_OK(KorvexInitialize)
STUB_OK(KorvexClear)
#ifndef STUB_OMIT_FINALIZE
STUB_OK(KorvexFinalize)
#endif
STUB_FAILS(KorvexSetDataNum, KorvexHandle, int, int, int)
STUB_FAILS(KorvexSetDataValue, KorvexHandle, int, int, const char*)
STUB_FAILS(KorvexGetDataNum, KorvexHandle, int, int, int*)
STUB_READ_FAILS(KorvexGetDataValue, KorvexHandle, int, int)
STUB_READ_FAILS(KorvexGetDataOrderedValue, KorvexHandle, int, int, int)
STUB_READ_FAILS(KorvexGetStorePath, KorvexHandle)
STUB_FAILS(KorvexTestData, KorvexHandle, int, int, int, int)
STUB_FAILS(KorvexGetItemNum, KorvexHandle, int, int)
STUB_FAILS(KorvexSave, KorvexHandle, int, const char*, int)
STUB_FAILS(KorvexLoad, KorvexHandle, const char*)
STUB_FAILS(KorvexLoadSDA, KorvexHandle, const char*, int)
int KorvexGetID(KorvexHandle, int, int, int) {
    return -1;
}
