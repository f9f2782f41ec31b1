#include "document/TaskDocument.h"

#include "korvex.h"
#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"

namespace document {

namespace {

constexpr int kBufferSize = KORVEX_TEXT_BUFFER;

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

// Builds items and fields, remembering whether the library refused any of them: a
// refused field would be missing from the file without a word.
struct TreeWriter {
    const Library& lib;
    bool ok = true;

    int NewItem(int kind) {
        const int item = lib.api.KorvexNewItem(lib.h, kind);
        ok = ok && item >= 0;
        return item;
    }
    void Text(int item, int field, const std::string& text) {
        ok = lib.api.KorvexSetDataValue(lib.h, item, field, text.c_str()) != 0 && ok;
    }
    void Num(int item, int field, int value) {
        ok = lib.api.KorvexSetDataNum(lib.h, item, field, value) != 0 && ok;
    }

    void FileList(int serverItem, const std::vector<std::unique_ptr<CBackupFileEntry>>& files,
                  int method) {
        bool any = false;
        for (const auto& e : files)
            any = any || e->m_nMethod == method;
        if (!any)
            return;
        const bool mget = method == kMethodMget;
        const int list = NewItem(KORVEX_KIND_FILELIST);
        Text(list, KORVEX_FIELD_NAME, Str(mget ? IDS_MGET_LIST_CAPTION : IDS_GET_LIST_CAPTION));
        Num(list, KORVEX_FIELD_LIST_METHOD, mget ? KORVEX_LIST_MGET : KORVEX_LIST_GET);
        Num(serverItem, KORVEX_FIELD_SERVER_LIST, list);
        for (const auto& e : files) {
            if (e->m_nMethod != method)
                continue;
            const int file = NewItem(KORVEX_KIND_FILE);
            Text(file, KORVEX_FIELD_SAVE_NAME, e->m_strSaveName);
            Text(file, KORVEX_FIELD_PATH, e->m_strPath);
            if (e->m_nMode == kModeBin)
                Num(file, KORVEX_FIELD_MODE, KORVEX_MODE_BIN);
            else if (e->m_nMode == kModeText)
                Num(file, KORVEX_FIELD_MODE, KORVEX_MODE_TEXT);
            Num(list, KORVEX_FIELD_LIST_FILE, file);
        }
    }
};

} // namespace

bool HasUnsuitableChars(std::string_view text) {
    return text.find_first_of("\\:/") != std::string_view::npos ||
           text.find("..") != std::string_view::npos;
}

unsigned ValidateFields(const DocumentFields& f) {
    if (f.name.empty())
        return IDS_NAME_REQUIRED;
    if (!f.hasFiles)
        return IDS_NOTHING_TO_SAVE;
    if (f.compress) {
        if (f.archiveName.empty())
            return IDS_ARCHIVE_NAME_REQUIRED;
        if (HasUnsuitableChars(f.archiveName))
            return IDS_BAD_CHARACTERS;
    }
    if (HasUnsuitableChars(f.name) || HasUnsuitableChars(f.title))
        return IDS_BAD_CHARACTERS;
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
    TreeWriter w{lib};
    w.ok = api.KorvexClear(lib.h) != 0;
    accountStore = w.NewItem(KORVEX_KIND_STORE);
    accountRecord = w.NewItem(KORVEX_KIND_ACCOUNT);

    const int doc = w.NewItem(KORVEX_KIND_DOCUMENT);
    w.Text(doc, KORVEX_FIELD_NAME, DisplayName(f));
    w.Num(doc, KORVEX_FIELD_DOCUMENT_TYPE, KORVEX_DOCUMENT_TYPE);
    w.Text(doc, KORVEX_FIELD_USER_NAME, f.name);
    w.Text(doc, KORVEX_FIELD_COMMENT, Str(IDS_DOCUMENT_COMMENT));

    const int task = w.NewItem(KORVEX_KIND_TASK);
    w.Text(task, KORVEX_FIELD_NAME, Str(IDS_TASK_CAPTION));
    if (f.compress) {
        w.Num(task, KORVEX_FIELD_ARCHIVE, KORVEX_ARCHIVE_ONE);
        w.Text(task, KORVEX_FIELD_ARCHIVE_NAME, f.archiveName);
    } else {
        w.Num(task, KORVEX_FIELD_ARCHIVE, KORVEX_ARCHIVE_NONE);
    }
    w.Text(task, KORVEX_FIELD_FOLDER, FolderName(f));
    w.Num(task, KORVEX_FIELD_TASK_OPTION, KORVEX_TASK_OPTION_DEFAULT);
    w.Num(doc, KORVEX_FIELD_DOCUMENT_TASK, task);

    const int server = w.NewItem(KORVEX_KIND_SERVER);
    w.Text(server, KORVEX_FIELD_NAME, Str(IDS_SERVER_CAPTION));
    if (account.row < 0 ||
        account.row >= api.KorvexGetItemNum(lib.h, accountStore, KORVEX_KIND_ACCOUNT))
        return kNoAccount;
    if (!api.KorvexTestData(lib.h, accountStore, KORVEX_FIELD_ACCOUNT, account.row, accountRecord))
        return kNoAccount;
    const std::string host = ReadText(lib, accountRecord, KORVEX_FIELD_HOST);
    w.Text(server, KORVEX_FIELD_HOST, host);
    w.Num(server, KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP);
    w.Text(server, KORVEX_FIELD_ACCOUNT, account.name);
    w.Num(task, KORVEX_FIELD_TASK_SERVER, server);

    // The GET list always comes before the MGET list.
    w.FileList(server, files, kMethodGet);
    w.FileList(server, files, kMethodMget);
    return w.ok ? doc : kRefused;
}

bool WriteTaskFile(const Library& lib, int documentItem, const std::string& path) {
    return lib.api.KorvexSave(lib.h, documentItem, path.c_str(), KORVEX_SAVE_DEFAULT) != 0;
}

unsigned ReadDocumentHeader(const Library& lib, const std::string& path, LoadedHeader& out) {
    const KorvexApi& api = lib.api;
    out = LoadedHeader{};
    if (!api.KorvexLoad(lib.h, path.c_str()))
        return IDS_LOAD_FAILED;

    const int doc = api.KorvexGetID(lib.h, -1, KORVEX_KIND_DOCUMENT, 0);
    if (doc < 0 || api.KorvexGetItemNum(lib.h, doc, KORVEX_KIND_TASK) != 1)
        return IDS_NOT_A_TASK_FILE;

    const int task = api.KorvexGetID(lib.h, doc, KORVEX_KIND_TASK, 0);
    if (task < 0)
        return IDS_LOAD_FAILED;

    const int parts = api.KorvexGetItemNum(lib.h, task, KORVEX_KIND_FOLDER_PART);
    if (parts != 1 && parts != 2)
        return IDS_NOT_A_TASK_FILE;
    char buf[kBufferSize] = {};
    api.KorvexGetDataOrderedValue(lib.h, task, KORVEX_FIELD_FOLDER, 0, buf, kBufferSize);
    out.name = platform::FromBuffer(buf, sizeof buf);
    if (parts == 2) {
        char title[kBufferSize] = {};
        api.KorvexGetDataOrderedValue(lib.h, task, KORVEX_FIELD_FOLDER, 1, title, kBufferSize);
        out.title = platform::FromBuffer(title, sizeof title);
    }

    if (ReadNum(lib, task, KORVEX_FIELD_ARCHIVE, 0) == KORVEX_ARCHIVE_ONE) {
        out.compress = true;
        out.archiveName = ReadText(lib, task, KORVEX_FIELD_ARCHIVE_NAME);
    }

    const int server = api.KorvexGetID(lib.h, task, KORVEX_KIND_SERVER, 0);
    if (server < 0)
        return IDS_LOAD_FAILED;
    if (ReadNum(lib, server, KORVEX_FIELD_SERVER_TYPE, 0) != KORVEX_SERVER_TYPE_FTP)
        return IDS_NOT_A_TASK_FILE;
    bool haveName = false;
    out.accountName = ReadText(lib, server, KORVEX_FIELD_ACCOUNT, &haveName);
    if (!haveName)
        return IDS_NOT_A_TASK_FILE;
    out.serverItem = server;
    return 0;
}

unsigned ReadFileLists(const Library& lib, int serverItem, std::vector<CBackupFileEntry>& out) {
    const KorvexApi& api = lib.api;
    out.clear();
    const int lists = api.KorvexGetItemNum(lib.h, serverItem, KORVEX_KIND_FILELIST);
    if (api.KorvexGetID(lib.h, serverItem, KORVEX_KIND_FILELIST, 0) < 0)
        return IDS_LOAD_FAILED;
    for (int k = 0; k < lists; ++k) {
        const int list = api.KorvexGetID(lib.h, serverItem, KORVEX_KIND_FILELIST, k);
        if (list < 0)
            continue;
        const int method = ReadNum(lib, list, KORVEX_FIELD_LIST_METHOD, 0) == KORVEX_LIST_MGET
                               ? kMethodMget
                               : kMethodGet;
        const int n = api.KorvexGetItemNum(lib.h, list, KORVEX_KIND_FILE);
        for (int i = 0; i < n; ++i) {
            const int file = api.KorvexGetID(lib.h, list, KORVEX_KIND_FILE, i);
            CBackupFileEntry e;
            e.m_strPath = ReadText(lib, file, KORVEX_FIELD_PATH);
            e.m_strSaveName = ReadText(lib, file, KORVEX_FIELD_SAVE_NAME);
            const int mode = ReadNum(lib, file, KORVEX_FIELD_MODE, 0);
            e.m_nMode = mode == KORVEX_MODE_BIN    ? kModeBin
                        : mode == KORVEX_MODE_TEXT ? kModeText
                                                   : kModeAuto;
            e.m_nMethod = method;
            out.push_back(std::move(e));
        }
    }
    return 0;
}

} // namespace document
