// The string table: every text the user sees, by ID, in UTF-8, in Japanese and English.
#include "res/Ids.h"
#include "res/Resources.h"

#include <algorithm>
#include <array>
#include <utility>

namespace res {
namespace {

struct Entry {
    int id;
    Text text;
};

// Sorted by ID.
constexpr Entry kStrings[] = {
    {IDS_ABOUTBOX, {"Tovalo のﾊﾞｰｼﾞｮﾝ情報(&A)...", "&About Tovalo..."}},
    {IDS_COL_FILE_NAME, {"ファイル名", "File name"}},
    {IDS_COL_MODE, {"A/B/T", "A/B/T"}},
    {IDS_COL_METHOD, {"G/M", "G/M"}},
    {IDS_COL_REMOTE, {"リモート", "Remote"}},
    {IDS_WIZARD_PAGE_NAME,
     {"Tovalo　へようこそ。\r\n\r\nTovaloはＦＴＰサーバ上のデータのバックアップを取るためのSend"
      "eraを簡単に作るためのソフトウェアです。\r\n\r\nまず、名前欄にあなたの名前を入力してくだ"
      "さい。\r\n\r\n入力が終わったら「次へ」ボタンを押してください。",
      "Welcome to Tovalo.\r\n\r\nTovalo makes it easy to create Sendera task files that back up "
      "data on an FTP server.\r\n\r\nFirst, enter your name in the \"User\" box.\r\n\r\nWhen you "
      "have "
      "finished, click \"Next\"."}},
    {IDS_WIZARD_CAPTION, {"Tovalo・ウィザード", "Tovalo Wizard"}},
    {IDS_SERVER_PANEL, {"FTP サーバー", "FTP server"}},
    {IDS_NEXT, {"次へ", "Next"}},
    {IDS_STOP_WIZARD, {"ウィザード中止", "Stop wizard"}},
    {IDS_CONNECT, {"接続", "Connect"}},
    {IDS_PARENT_FOLDER, {"親フォルダ", "Parent folder"}},
    {IDS_WIZARD_PAGE_TITLE,
     {"次にタイトルを入力してください。\r\n\r\nタイトルはたとえば「掲示板データ」などになります"
      "。\r\nこのタイトルはフォルダ名になりますので、フォルダ名に使えない文字を含めることはでき"
      "ません。\r\n\r\n入力が終わったら、「次へ」ボタンを押してください。",
      "Next, enter a title.\r\n\r\nA title might be \"BBS data\", for example.\r\nThe title "
      "becomes a folder name, so it cannot contain characters that are not allowed in folder "
      "names.\r\n\r\nWhen you have finished, click \"Next\"."}},
    {IDS_BACK, {"戻る", "Back"}},
    {IDS_WIZARD, {"ウィザード", "Wizard"}},
    {IDS_WIZARD_PAGE_ARCHIVE,
     {"次に受信後にファイル全体を一つの圧縮ファイルにするかどうかを指定してください。圧縮する場"
      "合には「圧縮ファイルにまとめる」をチェックしてから、圧縮ファイル名を入力してください。\r"
      "\n\r\nバックアップ目的の場合などで、すぐにファイルを利用する必要がないため、圧縮して保存"
      "しても構わないという場合に指定してください。\r\n\r\n圧縮しない場合には、チェックをはずし"
      "たままにしてください。\r\n\r\n指定が終わったら、「次へ」ボタンを押してください。",
      "Next, choose whether to pack all the files into one archive after they are received. "
      "To pack them, check \"Pack into one archive\" and enter an archive name.\r\n\r\n"
      "Choose this when, for example, the files are a backup you will not need right away and "
      "can be kept compressed.\r\n\r\nTo leave them unpacked, leave the box unchecked.\r\n\r\n"
      "When you have finished, click \"Next\"."}},
    {IDS_WIZARD_PAGE_ACCOUNT,
     {"次に、ＦＴＰサーバへの接続に使用するアカウントを選んでください。もし、アカウントが無い場"
      "合には、新規に作成してください。\r\n\r\n選択したら（リスト内で反転表示させます）、「次へ"
      "」ボタンを押してください。",
      "Next, choose the account for connecting to the FTP server. If you have no account yet, "
      "create a new one.\r\n\r\nWhen it is selected (highlighted in the list), click \"Next\"."}},
    {IDS_WIZARD_PAGE_FILES,
     {"バックアップをとるファイルのリストを作成してください。\r\n\r\nリストにファイルを追加する"
      "には、「追加↓」ボタンの右にファイルパス（フォルダ＋ファイル名）を入力して「追加↓」ボタン"
      "を押してください。\r\n",
      "Make the list of files to back up.\r\n\r\nTo add a file to the list, type its path (folder "
      "and file name) to the right of the \"Add ↓\" button and click \"Add ↓\".\r\n"}},
    {IDS_WIZARD_PAGE_SERVER,
     {"ＦＴＰサーバに接続して、サーバの内容を確認しながらファイルリストを作成することも可能です"
      "。\r\n\r\n「次へ」ボタンを押すと、ウィザードが終了して、ＦＴＰサーバ接続のためのパネルが"
      "表示されます。そこで「接続」ボタンを押して、ＦＴＰサーバに接続してください。",
      "You can also connect to the FTP server and make the file list while you look at what is "
      "on the server.\r\n\r\nClick \"Next\" to end the wizard and show the FTP server panel. "
      "There, click \"Connect\" to connect to the FTP server."}},
    {IDS_LIBRARY_VERSION,
     {"プログラム・サブモジュールが正しいバージョンではありません。インストールしなおしてくださ"
      "い。",
      "A program component is the wrong version. Please reinstall Tovalo."}},
    {IDS_LIBRARY_LOAD,
     {"プログラム・サブモジュールを読み込むことができません。インストールしなおしてください。",
      "A program component cannot be loaded. Please reinstall Tovalo."}},
    {IDS_LIBRARY_BAD,
     {"プログラム・サブモジュールが正しくありません。インストールしなおしてください。",
      "A program component is not valid. Please reinstall Tovalo."}},
    {IDS_ACCOUNT_INCOMPLETE,
     {"アカウント作成のための項目が正しく指定されていません。",
      "The fields needed for the account are not filled in correctly."}},
    {IDS_CONFIRM_DELETE_RECORD,
     {"%s というアカウントを削除してもよろしいですか？", "Are you sure you want to delete %s?"}},
    {IDS_DELETE_RECORD_FAILED,
     {"アカウントを削除するときにエラーが生じました。",
      "An error occurred while deleting the account."}},
    {IDS_SAVE_NAME_INVALID,
     {"保存名が空白かまたはすでにある名前と重複しています。",
      "The save name is empty or the same as one already in the list."}},
    {IDS_SAVE_NAME_REQUIRED, {"保存名は必ず指定する必要があります。", "A save name is required."}},
    {IDS_SAVE_NAME_DUPLICATE,
     {"保存名がすでに存在するものと重複しています。",
      "The save name is the same as one already in the list."}},
    {IDS_SELECT_FILE_TO_EDIT, {"編集するファイルを選択してください。", "Select the file to edit."}},
    {IDS_CONFIRM_DELETE, {"削除してもよろしいですか？", "Are you sure you want to delete it?"}},
    {IDS_SELECT_FILE_TO_DELETE,
     {"削除するファイルを選択してください。", "Select the file to delete."}},
    {IDS_CONFIRM_CONNECT,
     {"現在選択されているアカウントを使ってサーバに接続してもよろしいですか?"
      "\r\nただし、パスワードは入力する必要があります。",
      "Connect to the server with the selected account?\r\nYou will be asked for the password."}},
    {IDS_CONNECT_FAILED,
     {"サーバーに接続できません。サーバー名かアカウントが正しくありません。",
      "Cannot connect to the server. The server name or the account is not correct."}},
    {IDS_BAD_FOLDER, {"場所の指定が正しくありません。", "The location is not valid."}},
    {IDS_COL_REMOTE_NAME, {"ファイル名", "File name"}},
    {IDS_CANCELLED, {"処理が中断されました。", "The operation was stopped."}},
    {IDS_STATUS_CONNECTING, {"サーバーに接続しています・・・", "Connecting to the server..."}},
    {IDS_STATUS_CONNECTED, {"サーバーに接続しました", "Connected to the server"}},
    {IDS_STATUS_FOLDERS, {"フォルダ情報を取得しています", "Getting the folders"}},
    {IDS_STATUS_FILES, {"ファイル情報を取得しています", "Getting the files"}},
    {IDS_STATUS_STOPPING,
     {"中断処理中です・・・しばらくお待ちください", "Stopping... please wait"}},
    {IDS_STATUS_DONE,
     {"サーバー情報の取得を完了しました", "Finished getting the server's contents"}},
    {IDS_CONFIRM_EXIT, {"終了しますか？", "Do you want to exit?"}},
    {IDS_CONNECT_FIRST,
     {"まず「接続」ボタンでパスワードを指定してください",
      "First click \"Connect\" and enter the password."}},
    {IDS_PASSWORD_NEEDED,
     {"サーバーに接続するにはパスワードが必要です",
      "A password is needed to connect to the server."}},
    {IDS_NAME_REQUIRED, {"名前は必ず入力してください", "Please enter your name."}},
    {IDS_NOTHING_TO_SAVE, {"保存する項目が一つもありません", "There is nothing to save."}},
    {IDS_BAD_CHARACTERS,
     {"名前、タイトル、圧縮ファイル名に不適切な文字が含まれています。(\\,:,/,\\\"..\\\"など）",
      "The name, title or archive name contains characters that are not allowed (such as \\, :, / "
      "or \"..\")."}},
    {IDS_DOCUMENT_COMMENT,
     {"Orvane Tovaloで作成したSenderaです", "Sendera task file made with Orvane Tovalo"}},
    {IDS_TASK_CAPTION, {"タスク", "Task"}},
    {IDS_SERVER_CAPTION, {"FTP サーバー", "FTP server"}},
    {IDS_FILE_FILTER, {"Sendera (*.sd)|*.sd||", "Sendera task files (*.sd)|*.sd||"}},
    {IDS_GET_LIST_CAPTION, {"ファイルリスト(GET)", "File list (GET)"}},
    {IDS_MGET_LIST_CAPTION, {"ファイルリスト(MGET)", "File list (MGET)"}},
    {IDS_OLE_INIT_FAILED,
     {"OLE の初期化に失敗しました。 OLE ﾗｲﾌﾞﾗﾘのﾊﾞｰｼﾞｮﾝが正しいことを確認してください。",
      "OLE initialization failed. Make sure that the OLE libraries are the correct version."}},
    {IDS_LOAD_FAILED, {"読み込みで失敗しました", "The file could not be loaded."}},
    {IDS_NOT_A_TASK_FILE,
     {"ファイルがTovalo形式ではありません", "The file is not a Tovalo task file."}},
    {IDS_ARCHIVE_NAME_REQUIRED, {"圧縮ファイル名が必要です", "An archive name is required."}},
    {IDS_ACCOUNT_MISSING,
     {"Senderaに指定されているアカウントがありません",
      "The account named in the task file does not exist."}},
    {IDS_CONFIRM_NEW,
     {"現在のデータを削除してもよろしいですか？",
      "Are you sure you want to clear the current data?"}},
    {IDS_NAME_AND_SERVER_REQUIRED,
     {"名前とサーバー名は必ず入力してください", "Please enter an alias and a server."}},
    {IDS_HELP_FAILED, {"ヘルプファイルを表示できません。", "The help file cannot be shown."}},
    {IDS_SAVE_FAILED, {"保存で失敗しました", "The file could not be saved."}},
    {IDS_LIST_FAILED,
     {"ファイル一覧を取得できませんでした。", "The file list could not be retrieved."}},
    {IDS_VERSION_FORMAT, {"Tovalo バージョン %s", "Tovalo version %s"}},
    {IDS_STATUS_CONNECTED_TLS, {"サーバーに接続しました（TLS）", "Connected to the server (TLS)"}},
    {IDS_STATUS_CONNECTED_PROXY,
     {"プロキシ経由でサーバーに接続しました（暗号化なし）",
      "Connected through a proxy (not encrypted)"}},
    {IDS_CONFIRM_PLAIN,
     {"このサーバーには以前 TLS で暗号化して接続しましたが、今回は暗号化を断られました。"
      "\r\n通信が途中で書き換えられている可能性があります。"
      "\r\nパスワードを暗号化せずに送って接続を続けますか？",
      "Earlier connections to this server were encrypted with TLS, but this time encryption "
      "was refused.\r\nSomeone may be tampering with the connection.\r\nSend the password "
      "unencrypted and continue?"}},
    {IDS_CERT_NOT_VERIFIED,
     {"サーバーの証明書を確認できませんでした。内容を確かめて、信頼するかどうかを選んでください。",
      "The server's certificate could not be verified. Check its details and choose whether to "
      "trust it."}},
    {IDS_CERT_CHANGED,
     {"サーバーの証明書が、常に信頼するとした証明書から変わっています。"
      "内容を確かめて、信頼するかどうかを選んでください。",
      "The server's certificate has changed from the one you chose to always trust. Check its "
      "details and choose whether to trust it."}},
    {IDS_STORE_UNUSABLE,
     {"アカウントの保存ファイル %s を開けません。修復するか別の場所へ移動するまで、アカウント"
      "の読み込みも保存もできません。",
      "The account file %s cannot be opened. Accounts can be neither loaded nor saved until it "
      "is repaired or moved elsewhere."}},
    {IDS_STORE_WRITE_FAILED,
     {"アカウントの変更を保存できませんでした。", "The account changes could not be saved."}},
    {IDS_LIST_TOO_LARGE,
     {"フォルダのファイルが多すぎるため、すべては表示できません。"
      "最初の一部だけを表示しています。",
      "The folder has too many files to show them all. Only the first ones are shown."}},
    {IDS_CONFIRM_DELETE_ALL,
     {"すべてのファイルを削除してもよろしいですか？",
      "Are you sure you want to delete all the files?"}},
    {IDS_CLI_USAGE,
     {"使い方: tovalo [ファイル.sd | --help | --version]",
      "Usage: tovalo [FILE.sd | --help | --version]"}},
    {IDS_CLI_HELP,
     {"Sendera (*.sd) を作成します。ファイルを指定すると、起動後に読み込みます。\n"
      "  --help     この説明を表示して終了します\n"
      "  --version  バージョンを表示して終了します",
      "Composes Sendera task files (*.sd). A file given is loaded once the window is open.\n"
      "  --help     show this text and exit\n"
      "  --version  show the version and exit"}},
    {IDS_CLI_VERSION, {"Tovalo %s", "Tovalo %s"}},
    {IDS_CLI_BAD_ARGUMENT, {"tovalo: 使えない引数です: %s", "tovalo: unknown argument: %s"}},
    {AFX_IDS_SCCLOSE, {"閉じる(&C)", "&Close"}},
    {AFX_IDP_PARSE_STRING_SIZE,
     {"%s 文字以内で入力してください。", "Please enter no more than %s characters."}},
    {AFX_IDP_PARSE_UINT, {"正の整数を入力してください。", "Please enter a positive integer."}},
};

Language g_language = Language::Japanese;

} // namespace

void SetLanguage(Language language) {
    g_language = language;
}

Language CurrentLanguage() {
    return g_language;
}

std::string_view Text::Get() const {
    return g_language == Language::English ? en : ja;
}

std::string_view LoadString(int id) {
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const Entry& e, int v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return it->text.Get();
}

bool HasString(int id) {
    return !LoadString(id).empty();
}

} // namespace res
