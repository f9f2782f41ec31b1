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
int KorvexSetDataNum(KorvexHandle, int, int, int) {
    return 0;
}
int KorvexSetDataValue(KorvexHandle, int, int, const char*) {
    return 0;
}
int KorvexGetDataNum(KorvexHandle, int, int, int*) {
    return 0;
}
int KorvexGetDataValue(KorvexHandle, int, int, char* buffer, int size) {
    if (buffer && size > 0)
        buffer[0] = '\0';
    return 0;
}
int KorvexGetDataOrderedValue(KorvexHandle, int, int, int, char* buffer, int size) {
    if (buffer && size > 0)
        buffer[0] = '\0';
    return 0;
}
int KorvexTestData(KorvexHandle, int, int, int, int) {
    return 0;
}
int KorvexGetItemNum(KorvexHandle, int, int) {
    return 0;
}
int KorvexSave(KorvexHandle, int, const char*, int) {
    return 0;
}
int KorvexLoad(KorvexHandle, const char*) {
    return 0;
}
int KorvexLoadSDA(KorvexHandle, const char*, int) {
    return 0;
}
int KorvexGetID(KorvexHandle, int, int, int) {
    return -1;
}
#ifndef STUB_OMIT_FINALIZE
int KorvexFinalize(KorvexHandle h) {
    return h != nullptr;
}
#endif
