// Version box.
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    // An icon control takes the size of its icon.
    {kStaticId, Kind::Icon, 11, 17, 0, 0, "128", kNone},
    {1002, Kind::Static, 40, 10, 217, 8, "", kNoPrefix},
    {kStaticId, Kind::Static, 40, 29, 162, 8, "Copyright (C) Orvane. All rights reserved.", kNone},
    {1, Kind::DefButton, 208, 23, 50, 14, "OK", kNone},
};

} // namespace

const Dialog& DialogTemplate100() {
    static const Dialog d{100,
                          "Tovaloのﾊﾞｰｼﾞｮﾝ情報",
                          266,
                          45,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame | kDsVisible,
                          kControls};
    return d;
}

} // namespace res
