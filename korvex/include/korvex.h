/* KORVEX — document library for Sendera task files.
 *
 * C interface. Every text is a zero-terminated byte string, kept exactly: UTF-8
 * or any other bytes (CP932 names of Japanese servers). Item handles are 32-bit
 * integers; a negative handle means "none". Results are nonzero for success
 * unless a function says otherwise. Reads into a caller's buffer write at most
 * `size` bytes including the terminator, never split a character (a UTF-8 one in
 * a UTF-8 text, a CP932 double-byte one in any other) and always terminate. The
 * library owns everything behind a handle; callers own their buffers. */
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
    KORVEX_KIND_FOLDER_PART = 8, /* count of "\"-separated parts of KORVEX_FIELD_FOLDER */
    KORVEX_KIND_STORE = 9,
    KORVEX_KIND_ACCOUNT = 10,
    KORVEX_KIND_PROXY = 11,
    KORVEX_KIND_CERTIFICATE = 12, /* since 1.2.0: a server certificate the user trusts */
    KORVEX_KIND_TLS_HOST = 13     /* since 1.2.0: a server that was seen speaking TLS */
};

/* Fields. One number may serve several kinds; the comment says where it is used. */
enum {
    /* KorvexGetDataNum(h, record, KORVEX_FIELD_NEW_RECORD, NULL) starts an empty record. */
    KORVEX_FIELD_NEW_RECORD = 0,
    KORVEX_FIELD_NAME = 1011,          /* text: every kind's caption or name */
    KORVEX_FIELD_STORE_APPEND = 1014,  /* store: number = record handle to append */
    KORVEX_FIELD_STORE_DELETE = 1015,  /* store: number = record handle whose record goes */
    KORVEX_FIELD_PASSWORD = 1016,      /* account, proxy: text */
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
    KORVEX_FIELD_PROXY = 2004,         /* account: proxy name; store: proxy list */
    /* certificate: its SHA-256 fingerprint text, "AB:01:...:FF"; store: certificate list */
    KORVEX_FIELD_FINGERPRINT = 2005,
    KORVEX_FIELD_TLS_HOSTS = 2006 /* store: list of servers seen with TLS */
};
/* Certificate and TLS-host records name their server in KORVEX_FIELD_HOST as
 * "host:port" (an IPv6 address in brackets), the port always written. They are
 * made, appended, listed and deleted like accounts and proxies: KorvexNewItem,
 * KORVEX_FIELD_NEW_RECORD, KORVEX_FIELD_STORE_APPEND and _DELETE, KorvexTestData
 * with the list field above, KorvexGetItemNum(store, kind). Libraries before 1.2.0
 * keep such records in the store and do not list them. */

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
#define KORVEX_VERSION_MINOR 3
#define KORVEX_VERSION_PATCH 0

/* Entry points, in binding order. */

/* A new interface with an empty document and a closed store; NULL when out of memory. */
KORVEX_API KorvexHandle KORVEX_CALL KorvexNewInterface(void);
/* Finalizes and frees the interface; its handle is refused from then on.
 * Returns 0 for an unknown handle. */
KORVEX_API int KORVEX_CALL KorvexDeleteInterface(KorvexHandle h);
/* Writes the library's version into each pointer that is not NULL; returns 1. */
KORVEX_API int KORVEX_CALL KorvexGetVersion(int* major, int* minor, int* patch);
/* Nonzero when a caller built against header version major.minor.patch is served. */
KORVEX_API int KORVEX_CALL KorvexCheckVersion(int major, int minor, int patch);
/* Opens the account store (creating it when absent) and reads its snapshot.
 * Returns 0 when the store cannot be opened or is not a sound store. A store that can
 * be read but not written (read-only or full file system) opens; its writes fail. */
KORVEX_API int KORVEX_CALL KorvexInitialize(KorvexHandle h);
/* Removes every document item of the interface; records and the store stay. */
KORVEX_API int KORVEX_CALL KorvexClear(KorvexHandle h);
/* Reads the user's name from the store into buffer; 0 (empty text) when the
 * store is closed or holds no name. */
KORVEX_API int KORVEX_CALL KorvexGetName(KorvexHandle h, char* buffer, int size);
/* Stores the user's name, cut to KORVEX_TEXT_BUFFER - 1 bytes at a character
 * boundary; 0 when the store is closed. */
KORVEX_API int KORVEX_CALL KorvexSetName(KorvexHandle h, const char* name);
/* A new item of a KORVEX_KIND_ (document kinds, store or a record kind) without
 * a parent; its handle, or a negative value for another kind or past the limit. */
KORVEX_API int KORVEX_CALL KorvexNewItem(KorvexHandle h, int kind);
/* Sets a number field; a link field adds item `value` as the last child instead,
 * and a store action field (KORVEX_FIELD_STORE_...) runs that action. 0 when refused. */
KORVEX_API int KORVEX_CALL KorvexSetDataNum(KorvexHandle h, int item, int field, int value);
/* Sets a text field (any bytes, at most 65,535); 0 when refused or on a link field. */
KORVEX_API int KORVEX_CALL KorvexSetDataValue(KorvexHandle h, int item, int field,
                                              const char* text);
/* Reads a number field into *value; 0 when it is absent or holds a text.
 * With KORVEX_FIELD_NEW_RECORD and value NULL it empties a record handle. */
KORVEX_API int KORVEX_CALL KorvexGetDataNum(KorvexHandle h, int item, int field, int* value);
/* Reads a text field into buffer; 0 (empty text) when it is absent or a number. */
KORVEX_API int KORVEX_CALL KorvexGetDataValue(KorvexHandle h, int item, int field, char* buffer,
                                              int size);
/* Reads part `index` of a "\"-separated text field into buffer (in a text that is
 * not UTF-8, a 0x5C trailing a CP932 lead byte separates nothing); 0 (empty text)
 * when there is no such part. */
KORVEX_API int KORVEX_CALL KorvexGetDataOrderedValue(KorvexHandle h, int item, int field, int index,
                                                     char* buffer, int size);
/* Loads entry `index` of the store's account (listField KORVEX_FIELD_ACCOUNT), proxy
 * (KORVEX_FIELD_PROXY), certificate (KORVEX_FIELD_FINGERPRINT) or TLS-host list
 * (KORVEX_FIELD_TLS_HOSTS) snapshot into record handle `target` of that kind; 0 when
 * absent. */
KORVEX_API int KORVEX_CALL KorvexTestData(KorvexHandle h, int item, int listField, int index,
                                          int target);
/* The number of children of that kind (item -1: items without a parent), of stored
 * records, or of folder parts; negative for an unknown interface or item. */
KORVEX_API int KORVEX_CALL KorvexGetItemNum(KorvexHandle h, int item, int kind);
/* Writes the document below documentItem to path atomically; pass
 * KORVEX_SAVE_DEFAULT as flags. 0, with path untouched, when anything fails. */
KORVEX_API int KORVEX_CALL KorvexSave(KorvexHandle h, int documentItem, const char* path,
                                      int flags);
/* Replaces the document with the task file at path; 0, with the document kept,
 * when the file cannot be read or is not a valid task file. */
KORVEX_API int KORVEX_CALL KorvexLoad(KorvexHandle h, const char* path);
/* Like KorvexLoad, from the size bytes at data. */
KORVEX_API int KORVEX_CALL KorvexLoadSDA(KorvexHandle h, const char* data, int size);
/* The index-th child of that kind of parent (-1: items without a parent, in
 * creation order); negative when there is none. */
KORVEX_API int KORVEX_CALL KorvexGetID(KorvexHandle h, int parent, int kind, int index);
/* Closes the account store and drops its snapshot; the document stays. */
KORVEX_API int KORVEX_CALL KorvexFinalize(KorvexHandle h);
/* Since 1.3.0: the full path of the account store's file, also when KorvexInitialize
 * failed, so that the user can be told which file to repair; 0 when no folder is known. */
KORVEX_API int KORVEX_CALL KorvexGetStorePath(KorvexHandle h, char* buffer, int size);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_H */
