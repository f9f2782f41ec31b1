// File entry dialog: save name, remote path, transfer mode and method of one entry.
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {1015, Kind::Edit, 10, 23, 100, 12, "", kBorder | kAutoHScroll},
    {1027, Kind::Edit, 10, 54, 166, 15, "", kBorder | kAutoHScroll | kNoTabStop},
    {1, Kind::DefButton, 125, 14, 50, 14, "OK", kNone},
    {2, Kind::Button, 125, 31, 50, 14, "ｷｬﾝｾﾙ", kNone},
    {1044, Kind::ComboBox, 9, 91, 60, 60, "", kNone},
    {1045, Kind::ComboBox, 108, 91, 60, 55, "", kNone},
    {kStaticId, Kind::Static, 5, 8, 50, 10, "保存名", kNone},
    {kStaticId, Kind::Static, 5, 42, 40, 10, "ファイル名", kNone},
    {kStaticId, Kind::Static, 5, 79, 32, 8, "転送モード", kNone},
    {kStaticId, Kind::Static, 94, 79, 28, 8, "転送方法", kNone},
};

} // namespace

const Dialog& DialogTemplate158() {
    static const Dialog d{
        158, "保存名の変更", 183, 117, "ＭＳ Ｐゴシック", 9, kDsSysMenu | kDsModalFrame, kControls};
    return d;
}

} // namespace res
