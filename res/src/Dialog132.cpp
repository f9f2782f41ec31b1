// One FTP account: name, user ID, password, server, passive mode and the proxy to use,
// with the proxy list and its buttons.
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {1000, Kind::Edit, 37, 5, 220, 15, "", kBorder | kAutoHScroll},
    {1031, Kind::Edit, 37, 32, 220, 15, "", kBorder | kAutoHScroll},
    {1037, Kind::AutoCheck, 5, 59, 84, 10, "パスワードを記録しない", kNone},
    {1012, Kind::Edit, 37, 81, 220, 15, "", kBorder | kPassword | kAutoHScroll},
    {1020, Kind::Edit, 37, 108, 220, 15, "", kBorder | kAutoHScroll},
    {1036, Kind::ComboBox, 37, 134, 45, 45, "", kVScroll},
    {1025, Kind::Edit, 135, 134, 25, 12, "", kBorder | kAutoHScroll},
    {1039, Kind::AutoCheck, 180, 135, 58, 10, "パッシブモード", kNone},
    {1014, Kind::ComboBox, 37, 181, 120, 69, "", kVScroll},
    {1, Kind::DefButton, 145, 228, 50, 14, "OK", kNone},
    {2, Kind::Button, 204, 228, 50, 14, "ｷｬﾝｾﾙ", kNone},
    {1022, Kind::AutoCheck, 37, 159, 54, 10, "PROXYを使う", kNone},
    {kStaticId, Kind::Static, 26, 35, 8, 8, "ID", kNone},
    {1038, Kind::Static, 5, 84, 29, 8, "Password", kNone},
    {kStaticId, Kind::Static, 16, 160, 18, 8, "Proxy", kNone},
    {kStaticId, Kind::Static, 6, 111, 28, 8, "サーバー", kNone},
    {kStaticId, Kind::Static, 19, 8, 15, 8, "名前", kNone},
    {kStaticId, Kind::Static, 115, 136, 19, 8, "ポート", kNone},
    {kStaticId, Kind::Static, 4, 136, 30, 8, "プロトコル", kNone},
    {1017, Kind::Button, 167, 205, 87, 14, "新規 PROXY", kNone},
    {1042, Kind::Button, 37, 205, 47, 14, "詳細", kNone},
    {1043, Kind::Button, 90, 205, 53, 14, "削除", kNone},
};

} // namespace

const Dialog& DialogTemplate132() {
    static const Dialog d{132, "アカウント情報",           263,      249, "ＭＳ Ｐゴシック",
                          9,   kDsSysMenu | kDsModalFrame, kControls};
    return d;
}

} // namespace res
