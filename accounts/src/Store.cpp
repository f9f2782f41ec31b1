#include "accounts/Store.h"

#include "library/App.h"
#include "library/Globals.h"
#include "platform/Text.h"

#include <array>

namespace accounts {
namespace {

constexpr int kListAccounts = 1304;
constexpr int kListProxies = 2004;
constexpr int kAppend = 1014;
constexpr int kDelete = 1015;
constexpr int kKindAccount = 10;
constexpr int kKindProxy = 11;

KorvexApi& Api() {
    return theApp.m_api;
}

void SetText(int item, int field, const std::string& value) {
    Api().KorvexSetDataValue(theApp.m_hInterface, item, field, value.c_str());
}

void SetNumber(int item, int field, int value) {
    Api().KorvexSetDataNum(theApp.m_hInterface, item, field, value);
}

void StartEmptyRecord(int handle) {
    Api().KorvexGetDataNum(theApp.m_hInterface, handle, 0, nullptr);
}

bool Load(int listField, int kind, int index, int handle) {
    if (index < 0 || index >= Api().KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, kind))
        return false;
    return Api().KorvexTestData(theApp.m_hInterface, g_hAccountStore, listField, index, handle) !=
           0;
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

int AccountCount() {
    return Api().KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, kKindAccount);
}

int ProxyCount() {
    return Api().KorvexGetItemNum(theApp.m_hInterface, g_hAccountStore, kKindProxy);
}

bool LoadAccount(int index) {
    return Load(kListAccounts, kKindAccount, index, g_hAccountRecord);
}

bool LoadProxy(int index) {
    return Load(kListProxies, kKindProxy, index, g_hProxyRecord);
}

void WriteAccount(const AccountFields& a) {
    const int h = g_hAccountRecord;
    StartEmptyRecord(h);
    SetText(h, 1011, a.name);
    SetText(h, 2001, a.userId);
    SetNumber(h, 2002, a.noSavePassword ? 1 : 0);
    if (!a.noSavePassword)
        SetText(h, 1016, a.password);
    SetText(h, 1302, a.server);
    SetNumber(h, 1301, kAccountTypeCode);
    SetNumber(h, 2003, a.passive ? 1 : 0);
    SetText(h, 2004, a.proxyName);
    SetNumber(g_hAccountStore, kAppend, h);
}

AccountFields ReadLoadedAccount() {
    const int h = g_hAccountRecord;
    AccountFields a;
    a.name = ReadTextOrEmpty(h, 1011);
    a.userId = ReadTextOrEmpty(h, 2001);
    a.server = ReadTextOrEmpty(h, 1302);
    a.noSavePassword = ReadNumber(h, 2002) ? TRUE : FALSE;
    a.passive = ReadNumber(h, 2003) ? TRUE : FALSE;
    a.proxyName = ReadTextOrEmpty(h, 2004);
    return a;
}

std::vector<std::string> ListProxyNames() {
    std::vector<std::string> names;
    const int n = ProxyCount();
    for (int i = 0; i < n; ++i) {
        if (!Api().KorvexTestData(theApp.m_hInterface, g_hAccountStore, kListProxies, i,
                                  g_hProxyRecord))
            break;
        std::string name;
        if (!ReadText(g_hProxyRecord, 1011, name))
            break;
        names.push_back(std::move(name));
    }
    return names;
}

void WriteProxy(const ProxyFields& p) {
    const int h = g_hProxyRecord;
    StartEmptyRecord(h);
    SetText(h, 1011, p.name);
    SetText(h, 1302, p.server);
    if (!p.userId.empty()) {
        SetText(h, 2001, p.userId);
        SetNumber(h, 2002, p.noSavePassword ? 1 : 0);
        if (!p.noSavePassword)
            SetText(h, 1016, p.password);
    }
    SetNumber(g_hAccountStore, kAppend, h);
}

ProxyFields ReadLoadedProxy() {
    const int h = g_hProxyRecord;
    ProxyFields p;
    p.name = ReadTextOrEmpty(h, 1011);
    p.server = ReadTextOrEmpty(h, 1302);
    p.userId = ReadTextOrEmpty(h, 2001);
    if (!p.userId.empty())
        p.password = ReadTextOrEmpty(h, 1016);
    return p;
}

int DeleteLoadedProxy() {
    return Api().KorvexSetDataNum(theApp.m_hInterface, g_hAccountStore, kDelete, g_hProxyRecord);
}

} // namespace accounts
