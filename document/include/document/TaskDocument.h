// The task document: the mapping between the main window's fields and the library's item
// tree (document, task, server, file lists, files), used by Save and Load. No widgets here:
// the window gathers its fields, these helpers check them, build the tree or read it back.
#pragma once

#include "document/BackupFileEntry.h"
#include "library/KorvexApi.h"
#include "res/Ids.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace document {

// The window's fields that make up a document.
struct DocumentFields {
    std::string name;
    std::string title;
    bool compress = false;
    std::string archiveName;
    bool hasFiles = false; // the file list shows at least one row
};

// True when `text` holds "\", ":", "/" or "..". Works on UTF-8 bytes: no byte of a
// multibyte character is below 0x80, so none is ever taken for one of these.
bool HasUnsuitableChars(std::string_view text);

// 0 when the fields may be saved, else the message of the first failure, in the order
// name, file list, archive name (only with compression), name, title.
unsigned ValidateFields(const DocumentFields& f);

// "name - title" (the separator stands also when the title is empty).
std::string DisplayName(const DocumentFields& f);
// "name" or "name\title": the folder the download client stores into.
std::string FolderName(const DocumentFields& f);
// The file name the Save As dialog proposes: the display name cut to 259 bytes at a
// character boundary, or nothing when the title is empty.
std::string ProposedFileName(const DocumentFields& f);

// Where the library is reached.
struct Library {
    const KorvexApi& api;
    KorvexHandle h;
};

// The account the document names: the selected row of the account list.
struct AccountChoice {
    int row = -1;
    std::string name; // the row's text
};

// Empties the library's document, renews the account store and record handles (stored
// back into `accountStore` / `accountRecord`) and builds the whole tree. Returns the
// document item; kNoAccount when the account at `account.row` cannot be fetched from the
// store (a silent stop; the library's document is then partly rebuilt); kRefused when
// the library refused an item or a field, so that the tree would not hold the document.
inline constexpr int kNoAccount = -1;
inline constexpr int kRefused = -2;
int BuildDocumentTree(const Library& lib, const DocumentFields& f, const AccountChoice& account,
                      const std::vector<std::unique_ptr<CBackupFileEntry>>& files,
                      int& accountStore, int& accountRecord);

// Has the library write the tree of `documentItem` to `path`; false when nothing was
// written.
bool WriteTaskFile(const Library& lib, int documentItem, const std::string& path);

// What Load reads before it turns to the file lists.
struct LoadedHeader {
    std::string name;
    std::string title;
    bool compress = false;
    std::string archiveName;
    std::string accountName;
    int serverItem = -1;
};

// Reads file `path` into the library and checks the tree down to the server item.
// Returns 0, or the message that ends the load (IDS_LOAD_FAILED, IDS_NOT_A_TASK_FILE).
unsigned ReadDocumentHeader(const Library& lib, const std::string& path, LoadedHeader& out);

// Reads the server item's file lists, each list's entries in order, into `out`.
// Returns 0, or IDS_LOAD_FAILED when the server item has no file list at all.
unsigned ReadFileLists(const Library& lib, int serverItem, std::vector<CBackupFileEntry>& out);

} // namespace document
