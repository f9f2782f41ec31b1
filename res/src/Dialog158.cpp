// File entry dialog: save name, remote path, transfer mode and method of one entry.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {IDC_SAVE_NAME, Kind::Edit, 10, 23, 100, 12, "", "", kBorder | kAutoHScroll},
    {IDC_FILE_PATH, Kind::Edit, 10, 54, 166, 15, "", "", kBorder | kAutoHScroll | kNoTabStop},
    {IDOK, Kind::DefButton, 125, 14, 50, 14, "OK", "OK", kNone},
    {IDCANCEL, Kind::Button, 125, 31, 50, 14, "ｷｬﾝｾﾙ", "Cancel", kNone},
    {IDC_MODE, Kind::ComboBox, 9, 91, 60, 60, "", "", kNone},
    {IDC_METHOD, Kind::ComboBox, 108, 91, 60, 55, "", "", kNone},
    {IDC_STATIC, Kind::Static, 5, 8, 50, 10, "保存名", "Save name", kNone},
    {IDC_STATIC, Kind::Static, 5, 42, 40, 10, "ファイル名", "File name", kNone},
    {IDC_STATIC, Kind::Static, 5, 79, 32, 8, "転送モード", "Mode", kNone},
    {IDC_STATIC, Kind::Static, 94, 79, 28, 8, "転送方法", "Method", kNone},
};

} // namespace

const Dialog& DialogTemplate158() {
    static const Dialog d{IDD_SAVENAME,
                          {"保存名の変更", "Change save name"},
                          183,
                          117,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame,
                          kControls};
    return d;
}

} // namespace res
