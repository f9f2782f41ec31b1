// Progress of a server listing.
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {1049, Kind::Edit, 7, 7, 173, 12, "", kReadOnly | kAutoHScroll | kBorder},
    {1048, Kind::Progress, 7, 25, 110, 14, "", kBorder},
    {1, Kind::Button, 130, 25, 50, 14, "中止", kNone},
};

} // namespace

// Not visible when created: the window shows it for each listing.
const Dialog& DialogTemplate129() {
    static const Dialog d{129, "サーバーに接続中",         187,      53, "ＭＳ Ｐゴシック",
                          9,   kDsSysMenu | kDsModalFrame, kControls};
    return d;
}

} // namespace res
