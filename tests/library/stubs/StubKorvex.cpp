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
int KorvexNewItem(KorvexHandle h, int kind) {
    (void)kind;
    return h ? ++g_interface.items : -1;
}
int KorvexSetDataNum(KorvexHandle h, int item, int field, int value) {
    (void)h, (void)item, (void)field, (void)value;
    return 0;
}
int KorvexSetDataValue(KorvexHandle h, int item, int field, const char* text) {
    (void)h, (void)item, (void)field, (void)text;
    return 0;
}
int KorvexGetDataNum(KorvexHandle h, int item, int field, int* value) {
    (void)h, (void)item, (void)field, (void)value;
    return 0;
}
int KorvexGetDataValue(KorvexHandle h, int item, int field, char* buffer, int size) {
    (void)h, (void)item, (void)field;
    if (buffer && size > 0)
        buffer[0] = '\0';
    return 0;
}
int KorvexGetDataOrderedValue(KorvexHandle h, int item, int field, int index, char* buffer,
                              int size) {
    (void)h, (void)item, (void)field, (void)index;
    if (buffer && size > 0)
        buffer[0] = '\0';
    return 0;
}
int KorvexTestData(KorvexHandle h, int item, int listField, int index, int target) {
    (void)h, (void)item, (void)listField, (void)index, (void)target;
    return 0;
}
int KorvexGetItemNum(KorvexHandle h, int item, int kind) {
    (void)h, (void)item, (void)kind;
    return 0;
}
int KorvexSave(KorvexHandle h, int documentItem, const char* path, int flags) {
    (void)h, (void)documentItem, (void)path, (void)flags;
    return 0;
}
int KorvexLoad(KorvexHandle h, const char* path) {
    (void)h, (void)path;
    return 0;
}
int KorvexLoadSDA(KorvexHandle h, const char* data, int size) {
    (void)h, (void)data, (void)size;
    return 0;
}
int KorvexGetID(KorvexHandle h, int parent, int kind, int index) {
    (void)h, (void)parent, (void)kind, (void)index;
    return -1;
}
#ifndef STUB_OMIT_FINALIZE
int KorvexFinalize(KorvexHandle h) {
    return h != nullptr;
}
#endif
