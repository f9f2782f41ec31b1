// Progress of a server listing.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr Control kControls[] = {
    {IDC_STATUS, Kind::Edit, 7, 7, 173, 12, "", "", kReadOnly | kAutoHScroll | kBorder},
    {IDC_PROGRESS, Kind::Progress, 7, 25, 110, 14, "", "", kBorder},
    {IDOK, Kind::Button, 130, 25, 50, 14, "中止", "Stop", kNone},
};

} // namespace

// Not visible when created: the window shows it for each listing.
const Dialog& DialogTemplate129() {
    static const Dialog d{IDD_CONNECTING,
                          {"サーバーに接続中", "Connecting to the server"},
                          187,
                          53,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame,
                          kControls};
    return d;
}

} // namespace res
