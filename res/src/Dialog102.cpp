// Main window.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr std::uint32_t kLineEdit = kBorder | kAutoHScroll;

constexpr Control kControls[] = {
    {IDC_NAME, Kind::Edit, 24, 7, 131, 12, "", "", kLineEdit},
    {IDC_TITLE, Kind::Edit, 35, 27, 119, 12, "", "", kLineEdit},
    {IDC_COMPRESS, Kind::AutoCheck, 8, 41, 83, 10, "圧縮ファイルにまとめる",
     "Pack into one archive", kNone},
    {IDC_ARCHIVE_NAME, Kind::Edit, 10, 77, 132, 11, "", "", kLineEdit},
    {IDC_ADD_PATH, Kind::Edit, 48, 120, 101, 14, "", "", kLineEdit},
    {IDC_ADD_FILE, Kind::Button, 11, 120, 33, 14, "追加↓", "Add ↓", kNone},
    {IDC_FILES, Kind::ListView, 11, 142, 138, 110, "", "", kSingleSel | kBorder},
    {IDC_EDIT_FILE, Kind::Button, 9, 262, 37, 14, "編集", "Edit", kNone},
    {IDC_DELETE_FILE, Kind::Button, 54, 262, 37, 14, "削除", "Delete", kNone},
    {IDC_DELETE_ALL_FILES, Kind::Button, 99, 262, 37, 14, "すべて削除", "Delete all", kNone},
    {IDC_ACCOUNTS, Kind::ListBox, 181, 20, 148, 53, "", "",
     kNotify | kVScroll | kNoIntegralHeight | kBorder},
    {IDC_ACCOUNT_DETAILS, Kind::Button, 181, 79, 29, 16, "詳細", "Details", kNone},
    {IDC_DELETE_ACCOUNT, Kind::Button, 214, 79, 29, 16, "削除", "Delete", kNone},
    {IDC_NEW_ACCOUNT, Kind::Button, 261, 79, 69, 16, "新規アカウントの作成", "New account", kNone},
    {IDC_FOLDER, Kind::Edit, 214, 119, 104, 14, "", "", kLineEdit},
    {IDC_MASK, Kind::Edit, 215, 138, 72, 14, "", "", kLineEdit},
    {IDC_SHOW, Kind::Button, 291, 138, 27, 14, "表示", "Show", kNone},
    {IDC_REMOTE, Kind::ListView, 183, 158, 139, 94, "", "", kBorder},
    {IDC_BACK_OR_CONNECT, Kind::Button, 179, 262, 47, 13, "", "", kNone},
    {IDC_NEXT_OR_PARENT, Kind::Button, 229, 262, 47, 13, "", "", kNone},
    {IDC_WIZARD, Kind::Button, 279, 262, 47, 13, "", "", kNone},
    {ID_HELP, Kind::Button, 5, 287, 51, 14, "ヘルプ", "Help", kNone},
    {IDC_NEW, Kind::Button, 82, 287, 51, 14, "新規", "New", kNone},
    {IDC_LOAD, Kind::Button, 140, 287, 51, 14, "読み込み", "Open", kNone},
    {IDOK, Kind::DefButton, 219, 287, 51, 14, "保存", "Save", kNone},
    {IDCANCEL, Kind::Button, 277, 287, 50, 14, "終了", "Exit", kNone},
    {IDC_SERVER_PANEL, Kind::GroupBox, 176, 103, 153, 177, "FTP　サーバー", "FTP server", kNone},
    {IDC_ARCHIVE_GROUP, Kind::GroupBox, 5, 54, 148, 44, "圧縮ファイル情報", "Archive", kNone},
    {IDC_STATIC, Kind::Static, 186, 122, 26, 8, "フォルダ", "Folder", kNone},
    {IDC_STATIC, Kind::Static, 186, 141, 24, 8, "ファイル", "Files", kNone},
    {IDC_ADD_REMOTE, Kind::Button, 156, 190, 17, 17, "←", "←", kNone},
    {IDC_STATIC, Kind::Static, 8, 9, 15, 8, "名前", "User", kNone},
    {IDC_STATIC, Kind::Static, 8, 27, 23, 8, "タイトル", "Title", kNone},
    {IDC_ARCHIVE_NAME_LABEL, Kind::Static, 12, 64, 45, 8, "圧縮ファイル名", "Archive name", kNone},
    {IDC_ZIP, Kind::AutoCheck, 105, 63, 39, 10, "ZIP圧縮", "ZIP", kNone},
    {IDC_STATIC, Kind::Static, 181, 7, 46, 8, "アカウントリスト", "Accounts", kNone},
    {IDC_STATIC, Kind::GroupBox, 5, 103, 148, 177, "バックアップファイルリスト", "Backup file list",
     kNone},
    {IDC_WIZARD_TEXT, Kind::Edit, 183, 116, 138, 136, "", "",
     kMultiLine | kReadOnly | kAutoVScroll | kHidden | kBorder},
};

} // namespace

const Dialog& DialogTemplate102() {
    static const Dialog d{IDD_MAIN,
                          {"Tovalo", "Tovalo"},
                          335,
                          305,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame | kDsAppWindow | kDsVisible,
                          kControls};
    return d;
}

} // namespace res
