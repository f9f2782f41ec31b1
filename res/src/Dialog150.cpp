// Password prompt before a connection: the account's server, ID and protocol, read-only.
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {1012, Kind::Edit, 40, 95, 125, 12, "", kBorder | kPassword | kAutoHScroll},
    {1, Kind::DefButton, 175, 77, 50, 14, "OK", kNone},
    {2, Kind::Button, 175, 94, 50, 14, "キャンセル", kNone},
    {1020, Kind::Edit, 40, 22, 125, 12, "", kBorder | kReadOnly | kAutoHScroll},
    {kStaticId, Kind::Static, 6, 25, 28, 8, "サーバー", kRight},
    {kStaticId, Kind::Static, 26, 47, 8, 8, "ID", kRight},
    {1031, Kind::Edit, 40, 45, 125, 12, "", kBorder | kReadOnly | kAutoHScroll},
    {1036, Kind::Edit, 40, 70, 30, 12, "", kBorder | kReadOnly | kAutoHScroll},
    {kStaticId, Kind::Static, 4, 71, 30, 8, "プロトコル", kRight},
    {kStaticId, Kind::Static, 2, 97, 32, 8, "パスワード", kRight},
    {1104, Kind::Static, 5, 5, 134, 8, "下のアカウントのパスワードを入力してください", kNone},
};

} // namespace

const Dialog& DialogTemplate150() {
    static const Dialog d{
        150, "パスワード", 231, 115, "ＭＳ Ｐゴシック", 9, kDsSysMenu | kDsModalFrame, kControls};
    return d;
}

} // namespace res
