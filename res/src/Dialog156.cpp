// One proxy: name, server, port, user ID, the don't-record-password flag and the password.
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {1000, Kind::Edit, 34, 5, 220, 15, "", kBorder | kAutoHScroll},
    {1020, Kind::Edit, 34, 31, 220, 15, "", kBorder | kAutoHScroll},
    {1025, Kind::Edit, 34, 57, 25, 15, "", kBorder | kAutoHScroll},
    {1031, Kind::Edit, 34, 83, 220, 15, "", kBorder | kAutoHScroll},
    {1116, Kind::AutoCheck, 4, 109, 85, 10, "パスワードを記録しない", kNone},
    {1012, Kind::Edit, 34, 130, 220, 15, "", kBorder | kPassword | kAutoHScroll},
    {1, Kind::DefButton, 119, 156, 50, 14, "OK", kNone},
    {2, Kind::Button, 204, 156, 50, 14, "ｷｬﾝｾﾙ", kNone},
    {kStaticId, Kind::Static, 23, 86, 8, 8, "ID", kNone},
    {kStaticId, Kind::Static, 2, 133, 32, 8, "パスワード", kNone},
    {kStaticId, Kind::Static, 16, 8, 15, 8, "名前", kNone},
    {kStaticId, Kind::Static, 3, 34, 28, 8, "サーバー", kNone},
    {kStaticId, Kind::Static, 12, 60, 19, 8, "ポート", kNone},
};

} // namespace

const Dialog& DialogTemplate156() {
    static const Dialog d{
        156, "PROXY追加", 263, 175, "ＭＳ Ｐゴシック", 9, kDsSysMenu | kDsModalFrame, kControls};
    return d;
}

} // namespace res
