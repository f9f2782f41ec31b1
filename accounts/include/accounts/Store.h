// The account and proxy records of the account store: the only road from the windows to
// them, through theApp.m_api and theApp.m_items. Proxy i is entry i of store list
// KORVEX_FIELD_PROXY, account i entry i of list KORVEX_FIELD_ACCOUNT; loading a record makes the
// record handle designate it.
#pragma once

#include "korvex.h"
#include "platform/Win.h"

#include <string>
#include <vector>

namespace accounts {

inline constexpr int kTextBuffer = KORVEX_TEXT_BUFFER;
inline constexpr int kAccountTypeCode = KORVEX_SERVER_TYPE_FTP;

struct AccountFields {
    std::string name;
    std::string userId;
    BOOL noSavePassword = FALSE;
    std::string password; // written only when noSavePassword is FALSE
    std::string server;
    BOOL passive = FALSE;
    std::string proxyName; // empty: no proxy
};

struct ProxyFields {
    std::string name;
    std::string server;
    std::string userId;          // empty: no login at the proxy
    BOOL noSavePassword = FALSE; // written only with a user ID
    std::string password;        // written only with a user ID and noSavePassword FALSE
};

// Text field `field` of item `item`; false (and empty) when the library has none.
bool ReadText(int item, int field, std::string& out);
std::string ReadTextOrEmpty(int item, int field);
int ReadNumber(int item, int field); // 0 when the record lacks it

int AccountCount();
int ProxyCount();
// Makes the store's lists be read again (before every refill of the account list).
void RefreshStore();
// Lets the store go at exit.
void ReleaseStore();
// Names of the first `count` accounts in store order, up to the first that cannot be
// loaded or named.
std::vector<std::string> ListAccountNames(int count);
// Loads account / proxy `index` into its record handle; false when out of range or the
// library refuses.
bool LoadAccount(int index);
bool LoadProxy(int index);

// Builds a new account record from `a` and appends it to the store. The password is
// left out entirely when the user chose not to record it. False when the store refused.
bool WriteAccount(const AccountFields& a);
// Fields of the loaded account as its details view shows them; the password stays empty.
AccountFields ReadLoadedAccount();
// Name of the loaded account / proxy; empty when the record has none.
std::string LoadedAccountName();
std::string LoadedProxyName();
// Removes the record last loaded into the account handle; false when the library refuses.
bool DeleteLoadedAccount();

// Names of the stored proxies in store order, up to the first that cannot be loaded or
// named.
std::vector<std::string> ListProxyNames();
bool WriteProxy(const ProxyFields& p); // false when the store refused
// Name, server, user ID and, with a user ID, the password of the loaded proxy.
ProxyFields ReadLoadedProxy();
// Removes the record last loaded into the proxy handle; nonzero on success.
int DeleteLoadedProxy();
// Loads the proxy named `name` (byte for byte) into the proxy handle. False when there is
// none, or a proxy before it cannot be loaded or named.
bool FindProxy(const std::string& name);

// Certificates the user chose to trust always, and servers seen with TLS, each named
// "host:port" with the port always written (an IPv6 address in brackets).
// Fingerprints of the certificates trusted for `server`, as stored.
std::vector<std::string> TrustedFingerprints(const std::string& server);
// Makes `fingerprint` the certificate trusted for `server`; one trusted before for it
// goes. False when the store refused.
bool TrustCertificate(const std::string& server, const std::string& fingerprint);
bool SeenWithTls(const std::string& server);
// Notes that `server` spoke TLS, once.
void RememberTls(const std::string& server);

} // namespace accounts
