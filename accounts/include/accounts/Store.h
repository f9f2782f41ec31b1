// The account and proxy records of the account store, through theApp.m_api and the item
// handles of library/Globals.h. Proxy i is entry i of store list 2004, account i entry i
// of list 1304; loading a record makes the record handle designate it.
#pragma once

#include "platform/Win.h"

#include <string>
#include <vector>

namespace accounts {

inline constexpr int kTextBuffer = 260; // every text read passes a buffer of this size
inline constexpr int kAccountTypeCode = 131;

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
// Loads account / proxy `index` into its record handle; false when out of range or the
// library refuses.
bool LoadAccount(int index);
bool LoadProxy(int index);

// Builds a new account record from `a` and appends it to the store. The password is
// left out entirely when the user chose not to record it.
void WriteAccount(const AccountFields& a);
// Fields of the loaded account as its details view shows them; the password stays empty.
AccountFields ReadLoadedAccount();

// Names of the stored proxies in store order, up to the first that cannot be loaded or
// named.
std::vector<std::string> ListProxyNames();
void WriteProxy(const ProxyFields& p);
// Name, server, user ID and, with a user ID, the password of the loaded proxy.
ProxyFields ReadLoadedProxy();
// Removes the record last loaded into the proxy handle; nonzero on success.
int DeleteLoadedProxy();

} // namespace accounts
