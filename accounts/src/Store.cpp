#include "accounts/Store.h"

#include "korvex.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/Text.h"

#include <array>

namespace accounts {
namespace {

constexpr int kListAccounts = KORVEX_FIELD_ACCOUNT;
constexpr int kListProxies = KORVEX_FIELD_PROXY;
constexpr int kAppend = KORVEX_FIELD_STORE_APPEND;
constexpr int kDelete = KORVEX_FIELD_STORE_DELETE;
constexpr int kKindAccount = KORVEX_KIND_ACCOUNT;
constexpr int kKindProxy = KORVEX_KIND_PROXY;

KorvexApi& Api() {
    return theApp.m_api;
}

void SetText(int item, int field, const std::string& value) {
    Api().KorvexSetDataValue(theApp.m_hInterface, item, field, value.c_str());
}

void SetNumber(int item, int field, int value) {
    Api().KorvexSetDataNum(theApp.m_hInterface, item, field, value);
}

bool Append(int record) {
    return Api().KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, kAppend, record) != 0;
}

void StartEmptyRecord(int handle) {
    Api().KorvexGetDataNum(theApp.m_hInterface, handle, KORVEX_FIELD_NEW_RECORD, nullptr);
}

bool Load(int listField, int kind, int index, int handle) {
    if (index < 0 ||
        index >= Api().KorvexGetItemNum(theApp.m_hInterface, theApp.m_items.store, kind))
        return false;
    return Api().KorvexTestData(theApp.m_hInterface, theApp.m_items.store, listField, index,
                                handle) != 0;
}

} // namespace

bool ReadText(int item, int field, std::string& out) {
    std::array<char, kTextBuffer> buf{};
    const int ok =
        Api().KorvexGetDataValue(theApp.m_hInterface, item, field, buf.data(), kTextBuffer);
    out = ok ? platform::FromBuffer(buf.data(), buf.size()) : std::string();
    return ok != 0;
}

std::string ReadTextOrEmpty(int item, int field) {
    std::string s;
    ReadText(item, field, s);
    return s;
}

int ReadNumber(int item, int field) {
    int v = 0;
    Api().KorvexGetDataNum(theApp.m_hInterface, item, field, &v);
    return v;
}

namespace {

std::vector<std::string> ListNames(int listField, int count, int handle) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        if (!Api().KorvexTestData(theApp.m_hInterface, theApp.m_items.store, listField, i, handle))
            break;
        std::string name;
        if (!ReadText(handle, KORVEX_FIELD_NAME, name))
            break;
        names.push_back(std::move(name));
    }
    return names;
}

} // namespace

int AccountCount() {
    return Api().KorvexGetItemNum(theApp.m_hInterface, theApp.m_items.store, kKindAccount);
}

int ProxyCount() {
    return Api().KorvexGetItemNum(theApp.m_hInterface, theApp.m_items.store, kKindProxy);
}

void RefreshStore() {
    SetNumber(theApp.m_items.store, KORVEX_FIELD_STORE_RELEASE, 0);
    SetNumber(theApp.m_items.store, KORVEX_FIELD_STORE_REFRESH, 0);
}

void ReleaseStore() {
    SetNumber(theApp.m_items.store, KORVEX_FIELD_STORE_RELEASE, 0);
}

std::vector<std::string> ListAccountNames(int count) {
    return ListNames(kListAccounts, count, theApp.m_items.record);
}

bool LoadAccount(int index) {
    return Load(kListAccounts, kKindAccount, index, theApp.m_items.record);
}

bool LoadProxy(int index) {
    return Load(kListProxies, kKindProxy, index, theApp.m_items.proxy);
}

bool WriteAccount(const AccountFields& a) {
    const int h = theApp.m_items.record;
    StartEmptyRecord(h);
    SetText(h, KORVEX_FIELD_NAME, a.name);
    SetText(h, KORVEX_FIELD_USER_ID, a.userId);
    SetNumber(h, KORVEX_FIELD_NO_PASSWORD, a.noSavePassword ? 1 : 0);
    if (!a.noSavePassword)
        SetText(h, KORVEX_FIELD_PASSWORD, a.password);
    SetText(h, KORVEX_FIELD_HOST, a.server);
    SetNumber(h, KORVEX_FIELD_SERVER_TYPE, kAccountTypeCode);
    SetNumber(h, KORVEX_FIELD_PASSIVE, a.passive ? 1 : 0);
    SetText(h, KORVEX_FIELD_PROXY, a.proxyName);
    return Append(h);
}

AccountFields ReadLoadedAccount() {
    const int h = theApp.m_items.record;
    AccountFields a;
    a.name = ReadTextOrEmpty(h, KORVEX_FIELD_NAME);
    a.userId = ReadTextOrEmpty(h, KORVEX_FIELD_USER_ID);
    a.server = ReadTextOrEmpty(h, KORVEX_FIELD_HOST);
    a.noSavePassword = ReadNumber(h, KORVEX_FIELD_NO_PASSWORD) ? TRUE : FALSE;
    a.passive = ReadNumber(h, KORVEX_FIELD_PASSIVE) ? TRUE : FALSE;
    a.proxyName = ReadTextOrEmpty(h, KORVEX_FIELD_PROXY);
    return a;
}

std::vector<std::string> ListProxyNames() {
    return ListNames(kListProxies, ProxyCount(), theApp.m_items.proxy);
}

bool WriteProxy(const ProxyFields& p) {
    const int h = theApp.m_items.proxy;
    StartEmptyRecord(h);
    SetText(h, KORVEX_FIELD_NAME, p.name);
    SetText(h, KORVEX_FIELD_HOST, p.server);
    if (!p.userId.empty()) {
        SetText(h, KORVEX_FIELD_USER_ID, p.userId);
        SetNumber(h, KORVEX_FIELD_NO_PASSWORD, p.noSavePassword ? 1 : 0);
        if (!p.noSavePassword)
            SetText(h, KORVEX_FIELD_PASSWORD, p.password);
    }
    return Append(h);
}

ProxyFields ReadLoadedProxy() {
    const int h = theApp.m_items.proxy;
    ProxyFields p;
    p.name = ReadTextOrEmpty(h, KORVEX_FIELD_NAME);
    p.server = ReadTextOrEmpty(h, KORVEX_FIELD_HOST);
    p.userId = ReadTextOrEmpty(h, KORVEX_FIELD_USER_ID);
    if (!p.userId.empty())
        p.password = ReadTextOrEmpty(h, KORVEX_FIELD_PASSWORD);
    return p;
}

std::string LoadedAccountName() {
    return ReadTextOrEmpty(theApp.m_items.record, KORVEX_FIELD_NAME);
}

std::string LoadedProxyName() {
    return ReadTextOrEmpty(theApp.m_items.proxy, KORVEX_FIELD_NAME);
}

bool DeleteLoadedAccount() {
    return Api().KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, kDelete,
                                  theApp.m_items.record) != 0;
}

int DeleteLoadedProxy() {
    return Api().KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, kDelete,
                                  theApp.m_items.proxy);
}

bool FindProxy(const std::string& name) {
    const int n = ProxyCount();
    for (int i = 0; i < n; ++i) {
        if (!Api().KorvexTestData(theApp.m_hInterface, theApp.m_items.store, kListProxies, i,
                                  theApp.m_items.proxy))
            return false;
        std::string candidate;
        if (!ReadText(theApp.m_items.proxy, KORVEX_FIELD_NAME, candidate))
            return false;
        if (candidate == name)
            return true;
    }
    return false;
}

namespace {

int RecordHandle(int& slot, int kind) {
    if (slot < 0)
        slot = Api().KorvexNewItem(theApp.m_hInterface, kind);
    return slot;
}

// Calls `onRecord` with each stored record of the list loaded into `handle`, until it
// returns false; the record it stopped at stays loaded.
template <typename F> void ForEachRecord(int listField, int kind, int handle, F onRecord) {
    const int n = Api().KorvexGetItemNum(theApp.m_hInterface, theApp.m_items.store, kind);
    for (int i = 0; i < n; ++i) {
        if (!Api().KorvexTestData(theApp.m_hInterface, theApp.m_items.store, listField, i, handle))
            return;
        if (!onRecord())
            return;
    }
}

} // namespace

std::vector<std::string> TrustedFingerprints(const std::string& server) {
    const int h = RecordHandle(theApp.m_items.certificate, KORVEX_KIND_CERTIFICATE);
    std::vector<std::string> out;
    ForEachRecord(KORVEX_FIELD_FINGERPRINT, KORVEX_KIND_CERTIFICATE, h, [&] {
        if (ReadTextOrEmpty(h, KORVEX_FIELD_HOST) == server)
            out.push_back(ReadTextOrEmpty(h, KORVEX_FIELD_FINGERPRINT));
        return true;
    });
    return out;
}

bool TrustCertificate(const std::string& server, const std::string& fingerprint) {
    const int h = RecordHandle(theApp.m_items.certificate, KORVEX_KIND_CERTIFICATE);
    // Each delete renews the snapshot, so the search starts over after it.
    for (bool removed = true; removed;) {
        removed = false;
        ForEachRecord(KORVEX_FIELD_FINGERPRINT, KORVEX_KIND_CERTIFICATE, h, [&] {
            if (ReadTextOrEmpty(h, KORVEX_FIELD_HOST) != server)
                return true;
            removed =
                Api().KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, kDelete, h) != 0;
            return false;
        });
    }
    StartEmptyRecord(h);
    SetText(h, KORVEX_FIELD_HOST, server);
    SetText(h, KORVEX_FIELD_FINGERPRINT, fingerprint);
    return Api().KorvexSetDataNum(theApp.m_hInterface, theApp.m_items.store, kAppend, h) != 0;
}

bool SeenWithTls(const std::string& server) {
    const int h = RecordHandle(theApp.m_items.tlsHost, KORVEX_KIND_TLS_HOST);
    bool seen = false;
    ForEachRecord(KORVEX_FIELD_TLS_HOSTS, KORVEX_KIND_TLS_HOST, h, [&] {
        seen = ReadTextOrEmpty(h, KORVEX_FIELD_HOST) == server;
        return !seen;
    });
    return seen;
}

void RememberTls(const std::string& server) {
    if (SeenWithTls(server))
        return;
    const int h = theApp.m_items.tlsHost;
    StartEmptyRecord(h);
    SetText(h, KORVEX_FIELD_HOST, server);
    SetNumber(theApp.m_items.store, kAppend, h);
}

} // namespace accounts
