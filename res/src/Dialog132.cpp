// One FTP account: name, user ID, password, server, passive mode and the proxy to use,
// with the proxy list and its buttons.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {IDC_RECORD_NAME, Kind::Edit, 37, 5, 220, 15, "", "", kBorder | kAutoHScroll},
    {IDC_USER_ID, Kind::Edit, 37, 32, 220, 15, "", "", kBorder | kAutoHScroll},
    {IDC_NO_PASSWORD, Kind::AutoCheck, 5, 59, 84, 10, "パスワードを記録しない",
     "Don't save password", kNone},
    {IDC_PASSWORD, Kind::Edit, 37, 81, 220, 15, "", "", kBorder | kPassword | kAutoHScroll},
    {IDC_SERVER, Kind::Edit, 37, 108, 220, 15, "", "", kBorder | kAutoHScroll},
    {IDC_PROTOCOL, Kind::ComboBox, 37, 134, 45, 45, "", "", kVScroll},
    {IDC_PORT, Kind::Edit, 135, 134, 25, 12, "", "", kBorder | kAutoHScroll},
    {IDC_PASSIVE, Kind::AutoCheck, 180, 135, 58, 10, "パッシブモード", "Passive mode", kNone},
    {IDC_PROXIES, Kind::ComboBox, 37, 181, 120, 69, "", "", kVScroll},
    {IDOK, Kind::DefButton, 145, 228, 50, 14, "OK", "OK", kNone},
    {IDCANCEL, Kind::Button, 204, 228, 50, 14, "ｷｬﾝｾﾙ", "Cancel", kNone},
    {IDC_USE_PROXY, Kind::AutoCheck, 37, 159, 54, 10, "PROXYを使う", "Use a proxy", kNone},
    {IDC_STATIC, Kind::Static, 26, 35, 8, 8, "ID", "ID", kNone},
    {IDC_PASSWORD_LABEL, Kind::Static, 5, 84, 29, 8, "Password", "Password", kNone},
    {IDC_STATIC, Kind::Static, 16, 160, 18, 8, "Proxy", "Proxy", kNone},
    {IDC_STATIC, Kind::Static, 6, 111, 28, 8, "サーバー", "Server", kNone},
    {IDC_STATIC, Kind::Static, 19, 8, 15, 8, "名前", "Alias", kNone},
    {IDC_STATIC, Kind::Static, 115, 136, 19, 8, "ポート", "Port", kNone},
    {IDC_STATIC, Kind::Static, 4, 136, 30, 8, "プロトコル", "Protocol", kNone},
    {IDC_NEW_PROXY, Kind::Button, 167, 205, 87, 14, "新規 PROXY", "New proxy", kNone},
    {IDC_PROXY_DETAILS, Kind::Button, 37, 205, 47, 14, "詳細", "Details", kNone},
    {IDC_DELETE_PROXY, Kind::Button, 90, 205, 53, 14, "削除", "Delete", kNone},
};

} // namespace

const Dialog& DialogTemplate132() {
    static const Dialog d{
        IDD_ACCOUNT, {"アカウント情報", "Account"}, 263,      249, "ＭＳ Ｐゴシック",
        9,           kDsSysMenu | kDsModalFrame,    kControls};
    return d;
}

} // namespace res
