// Password prompt before a connection: the account's server, ID and protocol, read-only.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {IDC_PASSWORD, Kind::Edit, 40, 95, 125, 12, "", "", kBorder | kPassword | kAutoHScroll},
    {IDOK, Kind::DefButton, 175, 77, 50, 14, "OK", "OK", kNone},
    {IDCANCEL, Kind::Button, 175, 94, 50, 14, "キャンセル", "Cancel", kNone},
    {IDC_SERVER, Kind::Edit, 40, 22, 125, 12, "", "", kBorder | kReadOnly | kAutoHScroll},
    {IDC_STATIC, Kind::Static, 6, 25, 28, 8, "サーバー", "Server", kRight},
    {IDC_STATIC, Kind::Static, 26, 47, 8, 8, "ID", "ID", kRight},
    {IDC_USER_ID, Kind::Edit, 40, 45, 125, 12, "", "", kBorder | kReadOnly | kAutoHScroll},
    {IDC_PROTOCOL, Kind::Edit, 40, 70, 30, 12, "", "", kBorder | kReadOnly | kAutoHScroll},
    {IDC_STATIC, Kind::Static, 4, 71, 30, 8, "プロトコル", "Protocol", kRight},
    {IDC_STATIC, Kind::Static, 2, 97, 32, 8, "パスワード", "Password", kRight},
    {IDC_PROMPT, Kind::Static, 5, 5, 134, 8, "下のアカウントのパスワードを入力してください",
     "Enter the password of the account below", kNone},
};

} // namespace

const Dialog& DialogTemplate150() {
    static const Dialog d{IDD_PASSWORD,
                          {"パスワード", "Password"},
                          231,
                          115,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame,
                          kControls};
    return d;
}

} // namespace res
