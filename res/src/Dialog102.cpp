// Main window.
#include "res/Resources.h"

namespace res {
namespace {

constexpr std::uint32_t kLineEdit = kBorder | kAutoHScroll;

constexpr Control kControls[] = {
    {1000, Kind::Edit, 24, 7, 131, 12, "", kLineEdit},
    {1002, Kind::Edit, 35, 27, 119, 12, "", kLineEdit},
    {1027, Kind::AutoCheck, 8, 41, 83, 10, "圧縮ファイルにまとめる", kNone},
    {1004, Kind::Edit, 10, 77, 132, 11, "", kLineEdit},
    {1013, Kind::Edit, 48, 120, 101, 14, "", kLineEdit},
    {1011, Kind::Button, 11, 120, 33, 14, "追加↓", kNone},
    {1010, Kind::ListView, 11, 142, 138, 110, "", kSingleSel | kBorder},
    {1015, Kind::Button, 9, 262, 37, 14, "編集", kNone},
    {1016, Kind::Button, 54, 262, 37, 14, "削除", kNone},
    {1018, Kind::Button, 99, 262, 37, 14, "すべて削除", kNone},
    {1007, Kind::ListBox, 181, 20, 148, 53, "", kNotify | kVScroll | kNoIntegralHeight | kBorder},
    {1026, Kind::Button, 181, 79, 29, 16, "詳細", kNone},
    {1041, Kind::Button, 214, 79, 29, 16, "削除", kNone},
    {1008, Kind::Button, 261, 79, 69, 16, "新規アカウントの作成", kNone},
    {1019, Kind::Edit, 214, 119, 104, 14, "", kLineEdit},
    {1047, Kind::Edit, 215, 138, 72, 14, "", kLineEdit},
    {1024, Kind::Button, 291, 138, 27, 14, "表示", kNone},
    {1021, Kind::ListView, 183, 158, 139, 94, "", kBorder},
    {1033, Kind::Button, 179, 262, 47, 13, "", kNone},
    {1028, Kind::Button, 229, 262, 47, 13, "", kNone},
    {1029, Kind::Button, 279, 262, 47, 13, "", kNone},
    {57670, Kind::Button, 5, 287, 51, 14, "ヘルプ", kNone},
    {1051, Kind::Button, 82, 287, 51, 14, "新規", kNone},
    {1050, Kind::Button, 140, 287, 51, 14, "読み込み", kNone},
    {1, Kind::DefButton, 219, 287, 51, 14, "保存", kNone},
    {2, Kind::Button, 277, 287, 50, 14, "終了", kNone},
    {1030, Kind::GroupBox, 176, 103, 153, 177, "FTP　サーバー", kNone},
    {1034, Kind::GroupBox, 5, 54, 148, 44, "圧縮ファイル情報", kNone},
    {kStaticId, Kind::Static, 186, 122, 26, 8, "フォルダ", kNone},
    {kStaticId, Kind::Static, 186, 141, 24, 8, "ファイル", kNone},
    {1023, Kind::Button, 156, 190, 17, 17, "←", kNone},
    {kStaticId, Kind::Static, 8, 9, 15, 8, "名前", kNone},
    {kStaticId, Kind::Static, 8, 27, 23, 8, "タイトル", kNone},
    {1035, Kind::Static, 12, 64, 45, 8, "圧縮ファイル名", kNone},
    {1009, Kind::AutoCheck, 105, 63, 39, 10, "ZIP圧縮", kNone},
    {kStaticId, Kind::Static, 181, 7, 46, 8, "アカウントリスト", kNone},
    {kStaticId, Kind::GroupBox, 5, 103, 148, 177, "バックアップファイルリスト", kNone},
    {1032, Kind::Edit, 183, 116, 138, 136, "",
     kMultiLine | kReadOnly | kAutoVScroll | kHidden | kBorder},
};

} // namespace

const Dialog& DialogTemplate102() {
    static const Dialog d{102,
                          "Tovalo",
                          335,
                          305,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame | kDsAppWindow | kDsVisible,
                          kControls};
    return d;
}

} // namespace res
