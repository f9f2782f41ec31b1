// A stand-in KORVEX library for start-up tests. Built three times:
//   complete    every entry point, version check passes
//   lacking     KorvexFinalize not exported
//   oldversion  every entry point, KorvexCheckVersion refuses
#include "korvex.h"

#include <cstring>

struct KorvexInterface {
    int items;
};

static struct KorvexInterface g_interface;
static char g_name[260];

KorvexHandle KorvexNewInterface(void) {
    g_interface.items = 0;
    return &g_interface;
}
int KorvexDeleteInterface(KorvexHandle h) {
    return h == &g_interface;
}
int KorvexGetVersion(int* major, int* minor, int* patch) {
    if (major)
        *major = 1;
    if (minor)
        *minor = 1;
    if (patch)
        *patch = 0;
    return 1;
}
int KorvexCheckVersion(int major, int minor, int patch) {
#ifdef STUB_FAIL_VERSION
    (void)major;
    (void)minor;
    (void)patch;
    return 0;
#else
    return major == 1 && minor >= 0 && patch >= 0;
#endif
}
int KorvexInitialize(KorvexHandle h) {
    return h != nullptr;
}
int KorvexClear(KorvexHandle h) {
    return h != nullptr;
}
int KorvexGetName(KorvexHandle h, char* buffer, int size) {
    if (!h || !buffer || size <= 0)
        return 0;
    strncpy(buffer, g_name, static_cast<size_t>(size) - 1);
    buffer[size - 1] = '\0';
    return 1;
}
int KorvexSetName(KorvexHandle h, const char* name) {
    if (!h || !name)
        return 0;
    strncpy(g_name, name, sizeof g_name - 1);
    return 1;
}
int KorvexNewItem(KorvexHandle h, int) {
    return h ? ++g_interface.items : -1;
}
// Entry points with nothing to do fail, as they would on an empty document; reads leave an
// empty text.
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
STUB_FAILS(KorvexSetDataNum, KorvexHandle, int, int, int)
STUB_FAILS(KorvexSetDataValue, KorvexHandle, int, int, const char*)
STUB_FAILS(KorvexGetDataNum, KorvexHandle, int, int, int*)
STUB_READ_FAILS(KorvexGetDataValue, KorvexHandle, int, int)
STUB_READ_FAILS(KorvexGetDataOrderedValue, KorvexHandle, int, int, int)
STUB_FAILS(KorvexTestData, KorvexHandle, int, int, int, int)
STUB_FAILS(KorvexGetItemNum, KorvexHandle, int, int)
STUB_FAILS(KorvexSave, KorvexHandle, int, const char*, int)
STUB_FAILS(KorvexLoad, KorvexHandle, const char*)
STUB_FAILS(KorvexLoadSDA, KorvexHandle, const char*, int)
int KorvexGetID(KorvexHandle, int, int, int) {
    return -1;
}
#ifndef STUB_OMIT_FINALIZE
int KorvexFinalize(KorvexHandle h) {
    return h != nullptr;
}
#endif
