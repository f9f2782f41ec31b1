// One proxy: name, server, port, user ID, the don't-record-password flag and the password.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {IDC_RECORD_NAME, Kind::Edit, 34, 5, 220, 15, "", "", kBorder | kAutoHScroll},
    {IDC_SERVER, Kind::Edit, 34, 31, 220, 15, "", "", kBorder | kAutoHScroll},
    {IDC_PORT, Kind::Edit, 34, 57, 25, 15, "", "", kBorder | kAutoHScroll},
    {IDC_USER_ID, Kind::Edit, 34, 83, 220, 15, "", "", kBorder | kAutoHScroll},
    {IDC_PROXY_NO_PASSWORD, Kind::AutoCheck, 4, 109, 85, 10, "パスワードを記録しない",
     "Don't save password", kNone},
    {IDC_PASSWORD, Kind::Edit, 34, 130, 220, 15, "", "", kBorder | kPassword | kAutoHScroll},
    {IDOK, Kind::DefButton, 119, 156, 50, 14, "OK", "OK", kNone},
    {IDCANCEL, Kind::Button, 204, 156, 50, 14, "ｷｬﾝｾﾙ", "Cancel", kNone},
    {IDC_STATIC, Kind::Static, 23, 86, 8, 8, "ID", "ID", kNone},
    {IDC_STATIC, Kind::Static, 2, 133, 32, 8, "パスワード", "Password", kNone},
    {IDC_STATIC, Kind::Static, 16, 8, 15, 8, "名前", "Alias", kNone},
    {IDC_STATIC, Kind::Static, 3, 34, 28, 8, "サーバー", "Server", kNone},
    {IDC_STATIC, Kind::Static, 12, 60, 19, 8, "ポート", "Port", kNone},
};

} // namespace

const Dialog& DialogTemplate156() {
    static const Dialog d{IDD_PROXY, {"PROXY追加", "Add proxy"}, 263,      175, "ＭＳ Ｐゴシック",
                          9,         kDsSysMenu | kDsModalFrame, kControls};
    return d;
}

} // namespace res
