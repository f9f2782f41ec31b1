#include "document/TaskDocument.h"

#include "platform/Text.h"
#include "res/Resources.h"

namespace document {

namespace {

// Item kinds.
constexpr int kDocumentKind = 1;
constexpr int kTaskKind = 2;
constexpr int kServerKind = 3;
constexpr int kFileListKind = 4;
constexpr int kFileKind = 5;
constexpr int kFolderPartKind = 8;
constexpr int kAccountStoreKind = 9;
constexpr int kAccountRecordKind = 10;

// Fields.
constexpr int kCaption = 1011;
constexpr int kDocType = 1101;
constexpr int kDocTask = 1102;
constexpr int kTaskArchiveMode = 1201;
constexpr int kTaskFolder = 1202;
constexpr int kTaskFlag = 1203;
constexpr int kTaskArchiveName = 1204;
constexpr int kTaskServer = 1207;
constexpr int kServerType = 1301;
constexpr int kServerHost = 1302;
constexpr int kListKind = 1303;
constexpr int kServerAccount = 1304;
constexpr int kServerList = 1306;
constexpr int kFileMode = 1403;
constexpr int kListFile = 1404;
constexpr int kFileSaveName = 1501;
constexpr int kFilePath = 1502;
constexpr int kDocUserName = 1701;
constexpr int kDocComment = 1702;
constexpr int kStoreAccounts = 1304; // list field of the account store

// Values.
constexpr int kDocTypeValue = 111;
constexpr int kNoArchive = 121;
constexpr int kOneArchive = 122;
constexpr int kTaskFlagValue = 1;
constexpr int kFtpServer = 131;
constexpr int kGetList = 141;
constexpr int kMgetList = 142;
constexpr int kCodeBin = 151;
constexpr int kCodeText = 152;

constexpr int kBufferSize = 260;

std::string Str(int id) {
    return std::string(res::LoadString(id));
}

// A text field through a 260-byte buffer; "" when the read fails.
std::string ReadText(const Library& lib, int item, int field, bool* ok = nullptr) {
    char buf[kBufferSize] = {};
    const int r = lib.api.KorvexGetDataValue(lib.h, item, field, buf, kBufferSize);
    if (ok)
        *ok = r != 0;
    return r != 0 ? platform::FromBuffer(buf, sizeof buf) : std::string();
}

// A number field; `fallback` when the read fails.
int ReadNum(const Library& lib, int item, int field, int fallback) {
    int value = fallback;
    if (!lib.api.KorvexGetDataNum(lib.h, item, field, &value))
        return fallback;
    return value;
}

void SetText(const Library& lib, int item, int field, const std::string& text) {
    lib.api.KorvexSetDataValue(lib.h, item, field, text.c_str());
}

void SetNum(const Library& lib, int item, int field, int value) {
    lib.api.KorvexSetDataNum(lib.h, item, field, value);
}

void BuildFileList(const Library& lib, int serverItem,
                   const std::vector<std::unique_ptr<CBackupFileEntry>>& files, int method) {
    bool any = false;
    for (const auto& e : files)
        any = any || e->m_nMethod == method;
    if (!any)
        return;
    const bool mget = method == kMethodMget;
    const int list = lib.api.KorvexNewItem(lib.h, kFileListKind);
    SetText(lib, list, kCaption, Str(mget ? 155 : 154));
    SetNum(lib, list, kListKind, mget ? kMgetList : kGetList);
    SetNum(lib, serverItem, kServerList, list);
    for (const auto& e : files) {
        if (e->m_nMethod != method)
            continue;
        const int file = lib.api.KorvexNewItem(lib.h, kFileKind);
        SetText(lib, file, kFileSaveName, e->m_strSaveName);
        SetText(lib, file, kFilePath, e->m_strPath);
        if (e->m_nMode == kModeBin)
            SetNum(lib, file, kFileMode, kCodeBin);
        else if (e->m_nMode == kModeText)
            SetNum(lib, file, kFileMode, kCodeText);
        SetNum(lib, list, kListFile, file);
    }
}

} // namespace

bool HasUnsuitableChars(std::string_view text) {
    return text.find_first_of("\\:/") != std::string_view::npos ||
           text.find("..") != std::string_view::npos;
}

unsigned ValidateFields(const DocumentFields& f) {
    if (f.name.empty())
        return kMsgNameRequired;
    if (!f.hasFiles)
        return kMsgNothingToSave;
    if (f.compress) {
        if (f.archiveName.empty())
            return kMsgArchiveRequired;
        if (HasUnsuitableChars(f.archiveName))
            return kMsgUnsuitableChars;
    }
    if (HasUnsuitableChars(f.name) || HasUnsuitableChars(f.title))
        return kMsgUnsuitableChars;
    return 0;
}

std::string DisplayName(const DocumentFields& f) {
    return f.name + " - " + f.title;
}

std::string FolderName(const DocumentFields& f) {
    return f.title.empty() ? f.name : f.name + "\\" + f.title;
}

std::string ProposedFileName(const DocumentFields& f) {
    if (f.title.empty())
        return {};
    return platform::Utf8Cut(DisplayName(f), kBufferSize - 1);
}

int BuildDocumentTree(const Library& lib, const DocumentFields& f, const AccountChoice& account,
                      const std::vector<std::unique_ptr<CBackupFileEntry>>& files,
                      int& accountStore, int& accountRecord) {
    const KorvexApi& api = lib.api;
    api.KorvexClear(lib.h);
    accountStore = api.KorvexNewItem(lib.h, kAccountStoreKind);
    accountRecord = api.KorvexNewItem(lib.h, kAccountRecordKind);

    const int doc = api.KorvexNewItem(lib.h, kDocumentKind);
    SetText(lib, doc, kCaption, DisplayName(f));
    SetNum(lib, doc, kDocType, kDocTypeValue);
    SetText(lib, doc, kDocUserName, f.name);
    SetText(lib, doc, kDocComment, Str(150));

    const int task = api.KorvexNewItem(lib.h, kTaskKind);
    SetText(lib, task, kCaption, Str(151));
    if (f.compress) {
        SetNum(lib, task, kTaskArchiveMode, kOneArchive);
        SetText(lib, task, kTaskArchiveName, f.archiveName);
    } else {
        SetNum(lib, task, kTaskArchiveMode, kNoArchive);
    }
    SetText(lib, task, kTaskFolder, FolderName(f));
    SetNum(lib, task, kTaskFlag, kTaskFlagValue);
    SetNum(lib, doc, kDocTask, task);

    const int server = api.KorvexNewItem(lib.h, kServerKind);
    SetText(lib, server, kCaption, Str(152));
    if (account.row < 0 || account.row >= api.KorvexGetItemNum(lib.h, accountStore, 10))
        return -1;
    if (!api.KorvexTestData(lib.h, accountStore, kStoreAccounts, account.row, accountRecord))
        return -1;
    const std::string host = ReadText(lib, accountRecord, kServerHost);
    SetText(lib, server, kServerHost, host);
    SetNum(lib, server, kServerType, kFtpServer);
    SetText(lib, server, kServerAccount, account.name);
    SetNum(lib, task, kTaskServer, server);

    // The GET list always comes before the MGET list.
    BuildFileList(lib, server, files, kMethodGet);
    BuildFileList(lib, server, files, kMethodMget);
    return doc;
}

unsigned ReadDocumentHeader(const Library& lib, const std::string& path, LoadedHeader& out) {
    const KorvexApi& api = lib.api;
    out = LoadedHeader{};
    if (!api.KorvexLoad(lib.h, path.c_str()))
        return kMsgLoadFailed;

    const int doc = api.KorvexGetID(lib.h, -1, kDocumentKind, 0);
    if (doc < 0 || api.KorvexGetItemNum(lib.h, doc, kTaskKind) != 1)
        return kMsgNotOurFormat;

    const int task = api.KorvexGetID(lib.h, doc, kTaskKind, 0);
    if (task < 0)
        return kMsgLoadFailed;

    const int parts = api.KorvexGetItemNum(lib.h, task, kFolderPartKind);
    if (parts != 1 && parts != 2)
        return kMsgNotOurFormat;
    char buf[kBufferSize] = {};
    api.KorvexGetDataOrderedValue(lib.h, task, kTaskFolder, 0, buf, kBufferSize);
    out.name = platform::FromBuffer(buf, sizeof buf);
    if (parts == 2) {
        char title[kBufferSize] = {};
        api.KorvexGetDataOrderedValue(lib.h, task, kTaskFolder, 1, title, kBufferSize);
        out.title = platform::FromBuffer(title, sizeof title);
    }

    if (ReadNum(lib, task, kTaskArchiveMode, 0) == kOneArchive) {
        out.compress = true;
        out.archiveName = ReadText(lib, task, kTaskArchiveName);
    }

    const int server = api.KorvexGetID(lib.h, task, kServerKind, 0);
    if (server < 0)
        return kMsgLoadFailed;
    if (ReadNum(lib, server, kServerType, 0) != kFtpServer)
        return kMsgNotOurFormat;
    bool haveName = false;
    out.accountName = ReadText(lib, server, kServerAccount, &haveName);
    if (!haveName)
        return kMsgNotOurFormat;
    out.serverItem = server;
    return 0;
}

unsigned ReadFileLists(const Library& lib, int serverItem, std::vector<CBackupFileEntry>& out) {
    const KorvexApi& api = lib.api;
    out.clear();
    const int lists = api.KorvexGetItemNum(lib.h, serverItem, kFileListKind);
    if (api.KorvexGetID(lib.h, serverItem, kFileListKind, 0) < 0)
        return kMsgLoadFailed;
    for (int k = 0; k < lists; ++k) {
        const int list = api.KorvexGetID(lib.h, serverItem, kFileListKind, k);
        if (list < 0)
            continue;
        const int method = ReadNum(lib, list, kListKind, 0) == kMgetList ? kMethodMget : kMethodGet;
        const int n = api.KorvexGetItemNum(lib.h, list, kFileKind);
        for (int i = 0; i < n; ++i) {
            const int file = api.KorvexGetID(lib.h, list, kFileKind, i);
            CBackupFileEntry e;
            e.m_strPath = ReadText(lib, file, kFilePath);
            e.m_strSaveName = ReadText(lib, file, kFileSaveName);
            const int mode = ReadNum(lib, file, kFileMode, 0);
            e.m_nMode = mode == kCodeBin ? kModeBin : mode == kCodeText ? kModeText : kModeAuto;
            e.m_nMethod = method;
            out.push_back(std::move(e));
        }
    }
    return 0;
}

} // namespace document
