/* KORVEX — document library for Sendera task files.
 *
 * C interface. Every text is zero-terminated UTF-8. Item handles are 32-bit
 * integers; a negative handle means "none". Results are nonzero for success
 * unless a function says otherwise. Reads into a caller's buffer write at most
 * `size` bytes including the terminator, never split a UTF-8 sequence and always
 * terminate. The library owns everything behind a handle; callers own their
 * buffers. */
#ifndef KORVEX_H
#define KORVEX_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define KORVEX_CALL __stdcall
#if defined(KORVEX_BUILDING)
#define KORVEX_API __declspec(dllexport)
#else
#define KORVEX_API __declspec(dllimport)
#endif
#else
#define KORVEX_CALL
#define KORVEX_API __attribute__((visibility("default")))
#endif

typedef struct KorvexInterface* KorvexHandle;

/* Item kinds. */
enum {
    KORVEX_KIND_DOCUMENT = 1,
    KORVEX_KIND_TASK = 2,
    KORVEX_KIND_SERVER = 3,
    KORVEX_KIND_FILELIST = 4,
    KORVEX_KIND_FILE = 5,
    KORVEX_KIND_FOLDER_PART = 8, /* count of "\"-separated parts of task field 1202 */
    KORVEX_KIND_STORE = 9,
    KORVEX_KIND_ACCOUNT = 10,
    KORVEX_KIND_PROXY = 11
};

/* The library's own version. */
#define KORVEX_VERSION_MAJOR 1
#define KORVEX_VERSION_MINOR 1
#define KORVEX_VERSION_PATCH 0

/* Entry points, in binding order. */
KORVEX_API KorvexHandle KORVEX_CALL KorvexNewInterface(void);
KORVEX_API int KORVEX_CALL KorvexDeleteInterface(KorvexHandle h);
KORVEX_API int KORVEX_CALL KorvexGetVersion(int* major, int* minor, int* patch);
KORVEX_API int KORVEX_CALL KorvexCheckVersion(int major, int minor, int patch);
KORVEX_API int KORVEX_CALL KorvexInitialize(KorvexHandle h);
KORVEX_API int KORVEX_CALL KorvexClear(KorvexHandle h);
KORVEX_API int KORVEX_CALL KorvexGetName(KorvexHandle h, char* buffer, int size);
KORVEX_API int KORVEX_CALL KorvexSetName(KorvexHandle h, const char* name);
KORVEX_API int KORVEX_CALL KorvexNewItem(KorvexHandle h, int kind);
KORVEX_API int KORVEX_CALL KorvexSetDataNum(KorvexHandle h, int item, int field, int value);
KORVEX_API int KORVEX_CALL KorvexSetDataValue(KorvexHandle h, int item, int field,
                                              const char* text);
KORVEX_API int KORVEX_CALL KorvexGetDataNum(KorvexHandle h, int item, int field, int* value);
KORVEX_API int KORVEX_CALL KorvexGetDataValue(KorvexHandle h, int item, int field, char* buffer,
                                              int size);
KORVEX_API int KORVEX_CALL KorvexGetDataOrderedValue(KorvexHandle h, int item, int field,
                                                     int index, char* buffer, int size);
KORVEX_API int KORVEX_CALL KorvexTestData(KorvexHandle h, int item, int listField, int index,
                                          int target);
KORVEX_API int KORVEX_CALL KorvexGetItemNum(KorvexHandle h, int item, int kind);
KORVEX_API int KORVEX_CALL KorvexSave(KorvexHandle h, int documentItem, const char* path,
                                      int flags);
KORVEX_API int KORVEX_CALL KorvexLoad(KorvexHandle h, const char* path);
KORVEX_API int KORVEX_CALL KorvexLoadSDA(KorvexHandle h, const char* data, int size);
KORVEX_API int KORVEX_CALL KorvexGetID(KorvexHandle h, int parent, int kind, int index);
KORVEX_API int KORVEX_CALL KorvexFinalize(KorvexHandle h);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_H */
