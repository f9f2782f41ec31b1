// Version box.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    // An icon control takes the size of its icon.
    {IDC_STATIC, Kind::Icon, 11, 17, 0, 0, "128", "128", kNone},
    {IDC_VERSION, Kind::Static, 40, 10, 217, 8, "", "", kNoPrefix},
    {IDC_STATIC, Kind::Static, 40, 29, 162, 8, "Copyright (C) Orvane. All rights reserved.",
     "Copyright (C) Orvane. All rights reserved.", kNone},
    {IDOK, Kind::DefButton, 208, 23, 50, 14, "OK", "OK", kNone},
};

} // namespace

const Dialog& DialogTemplate100() {
    static const Dialog d{IDD_ABOUTBOX,
                          {"Tovaloのﾊﾞｰｼﾞｮﾝ情報", "About Tovalo"},
                          266,
                          45,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame | kDsVisible,
                          kControls};
    return d;
}

} // namespace res
