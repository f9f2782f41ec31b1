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

/* Fields. One number may serve several kinds; the comment says where it is used. */
enum {
    /* KorvexGetDataNum(h, record, KORVEX_FIELD_NEW_RECORD, NULL) starts an empty record. */
    KORVEX_FIELD_NEW_RECORD = 0,
    KORVEX_FIELD_NAME = 1011,         /* text: every kind's caption or name */
    KORVEX_FIELD_STORE_APPEND = 1014, /* store: number = record handle to append */
    KORVEX_FIELD_STORE_DELETE = 1015, /* store: number = record handle whose record goes */
    KORVEX_FIELD_PASSWORD = 1016,     /* account, proxy: text */
    KORVEX_FIELD_DOCUMENT_TYPE = 1101, /* document: KORVEX_DOCUMENT_TYPE */
    KORVEX_FIELD_DOCUMENT_TASK = 1102, /* document: link to a task */
    KORVEX_FIELD_ARCHIVE = 1201,       /* task: KORVEX_ARCHIVE_NONE or _ONE */
    KORVEX_FIELD_FOLDER = 1202,        /* task: "\"-separated target folder */
    KORVEX_FIELD_TASK_OPTION = 1203,   /* task: KORVEX_TASK_OPTION_DEFAULT */
    KORVEX_FIELD_ARCHIVE_NAME = 1204,  /* task: text, only with KORVEX_ARCHIVE_ONE */
    KORVEX_FIELD_TASK_SERVER = 1207,   /* task: link to a server */
    KORVEX_FIELD_SERVER_TYPE = 1301,   /* server, account: KORVEX_SERVER_TYPE_FTP */
    KORVEX_FIELD_HOST = 1302,          /* server, account, proxy: host text */
    KORVEX_FIELD_LIST_METHOD = 1303,   /* file list: KORVEX_LIST_GET or _MGET */
    KORVEX_FIELD_ACCOUNT = 1304,       /* server: account name; store: account list */
    KORVEX_FIELD_SERVER_LIST = 1306,   /* server: link to a file list */
    KORVEX_FIELD_MODE = 1403,          /* file: KORVEX_MODE_BIN or _TEXT; absent: auto */
    KORVEX_FIELD_LIST_FILE = 1404,     /* file list: link to a file */
    KORVEX_FIELD_SAVE_NAME = 1501,     /* file: local save name */
    KORVEX_FIELD_PATH = 1502,          /* file: remote path or pattern */
    KORVEX_FIELD_USER_NAME = 1701,     /* document: the user's name */
    KORVEX_FIELD_COMMENT = 1702,       /* document: the program that made it */
    KORVEX_FIELD_STORE_REFRESH = 1901, /* store: set to 0, re-reads the snapshot */
    KORVEX_FIELD_STORE_RELEASE = 1902, /* store: set to 0, re-reads the snapshot */
    KORVEX_FIELD_USER_ID = 2001,       /* account, proxy: login ID */
    KORVEX_FIELD_NO_PASSWORD = 2002,   /* account, proxy: 1 = password not recorded */
    KORVEX_FIELD_PASSIVE = 2003,       /* account: 1 = passive mode */
    KORVEX_FIELD_PROXY = 2004          /* account: proxy name; store: proxy list */
};

/* Values of number fields. */
enum {
    KORVEX_DOCUMENT_TYPE = 111,
    KORVEX_ARCHIVE_NONE = 121,
    KORVEX_ARCHIVE_ONE = 122,
    KORVEX_TASK_OPTION_DEFAULT = 1,
    KORVEX_SERVER_TYPE_FTP = 131,
    KORVEX_LIST_GET = 141,
    KORVEX_LIST_MGET = 142,
    KORVEX_MODE_BIN = 151,
    KORVEX_MODE_TEXT = 152
};

/* Size of the text buffers callers pass for reads. */
#define KORVEX_TEXT_BUFFER 260
/* The flags argument of KorvexSave; the only value defined. */
#define KORVEX_SAVE_DEFAULT 1

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
