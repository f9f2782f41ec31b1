// The string table: every text the user sees, by ID, in UTF-8.
#include "res/Ids.h"
#include "res/Resources.h"

#include <algorithm>
#include <array>
#include <utility>

namespace res {
namespace {

struct Entry {
    int id;
    std::string_view text;
};

// Sorted by ID.
constexpr Entry kStrings[] = {
    {IDS_ABOUTBOX, "Tovalo のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {IDS_COL_FILE_NAME, "ファイル名"},
    {IDS_COL_MODE, "A/B/T"},
    {IDS_COL_METHOD, "G/M"},
    {IDS_COL_REMOTE, "リモート"},
    {IDS_WIZARD_PAGE_NAME,
     "Tovalo　へようこそ。\r\n\r\nTovaloはＦＴＰサーバ上のデータのバックアップを取るためのSend"
     "eraを簡単に作るためのソフトウェアです。\r\n\r\nまず、名前欄にあなたの名前を入力してくだ"
     "さい。\r\n\r\n入力が終わったら「次へ」ボタンを押してください。"},
    {IDS_WIZARD_CAPTION, "Tovalo・ウィザード"},
    {IDS_SERVER_PANEL, "FTP サーバー"},
    {IDS_NEXT, "次へ"},
    {IDS_STOP_WIZARD, "ウィザード中止"},
    {IDS_CONNECT, "接続"},
    {IDS_PARENT_FOLDER, "親フォルダ"},
    {IDS_WIZARD_PAGE_TITLE,
     "次にタイトルを入力してください。\r\n\r\nタイトルはたとえば「掲示板データ」などになります"
     "。\r\nこのタイトルはフォルダ名になりますので、フォルダ名に使えない文字を含めることはでき"
     "ません。\r\n\r\n入力が終わったら、「次へ」ボタンを押してください。"},
    {IDS_BACK, "戻る"},
    {IDS_WIZARD, "ウィザード"},
    {IDS_WIZARD_PAGE_ARCHIVE,
     "次に受信後にファイル全体を一つの圧縮ファイルにするかどうかを指定してください。圧縮する場"
     "合には「圧縮ファイルにまとめる」をチェックしてから、圧縮ファイル名を入力してください。\r"
     "\n\r\nバックアップ目的の場合などで、すぐにファイルを利用する必要がないため、圧縮して保存"
     "しても構わないという場合に指定してください。\r\n\r\n圧縮しない場合には、チェックをはずし"
     "たままにしてください。\r\n\r\n指定が終わったら、「次へ」ボタンを押してください。"},
    {IDS_WIZARD_PAGE_ACCOUNT,
     "次に、ＦＴＰサーバへの接続に使用するアカウントを選んでください。もし、アカウントが無い場"
     "合には、新規に作成してください。\r\n\r\n選択したら（リスト内で反転表示させます）、「次へ"
     "」ボタンを押してください。"},
    {IDS_WIZARD_PAGE_FILES,
     "バックアップをとるファイルのリストを作成してください。\r\n\r\nリストにファイルを追加する"
     "には、「追加↓」ボタンの右にファイルパス（フォルダ＋ファイル名）を入力して「追加↓」ボタン"
     "を押してください。\r\n"},
    {IDS_WIZARD_PAGE_SERVER,
     "ＦＴＰサーバに接続して、サーバの内容を確認しながらファイルリストを作成することも可能です"
     "。\r\n\r\n「次へ」ボタンを押すと、ウィザードが終了して、ＦＴＰサーバ接続のためのパネルが"
     "表示されます。そこで「接続」ボタンを押して、ＦＴＰサーバに接続してください。"},
    {IDS_LIBRARY_VERSION,
     "プログラム・サブモジュールが正しいバージョンではありません。インストールしなおしてくださ"
     "い。"},
    {IDS_LIBRARY_LOAD,
     "プログラム・サブモジュールを読み込むことができません。インストールしなおしてください。"},
    {IDS_LIBRARY_BAD,
     "プログラム・サブモジュールが正しくありません。インストールしなおしてください。"},
    {IDS_ACCOUNT_INCOMPLETE, "アカウント作成のための項目が正しく指定されていません。"},
    {IDS_CONFIRM_DELETE_RECORD, "%s というアカウントを削除してもよろしいですか？"},
    {IDS_DELETE_RECORD_FAILED, "アカウントを削除するときにエラーが生じました。"},
    {IDS_SAVE_NAME_INVALID, "保存名が空白かまたはすでにある名前と重複しています。"},
    {IDS_SAVE_NAME_REQUIRED, "保存名は必ず指定する必要があります。"},
    {IDS_SAVE_NAME_DUPLICATE, "保存名がすでに存在するものと重複しています。"},
    {IDS_SELECT_FILE_TO_EDIT, "編集するファイルを選択してください。"},
    {IDS_CONFIRM_DELETE, "削除してもよろしいですか？"},
    {IDS_SELECT_FILE_TO_DELETE, "削除するファイルを選択してください。"},
    {IDS_CONFIRM_CONNECT, "現在選択されているアカウントを使ってサーバに接続してもよろしいですか?"
                          "\r\nただし、パスワードは入力する必要があります。"},
    {IDS_CONNECT_FAILED, "サーバーに接続できません。サーバー名かアカウントが正しくありません。"},
    {IDS_BAD_FOLDER, "場所の指定が正しくありません。"},
    {IDS_COL_REMOTE_NAME, "ファイル名"},
    {IDS_CANCELLED, "処理が中断されました。"},
    {IDS_STATUS_CONNECTING, "サーバーに接続しています・・・"},
    {IDS_STATUS_CONNECTED, "サーバーに接続しました"},
    {IDS_STATUS_FOLDERS, "フォルダ情報を取得しています"},
    {IDS_STATUS_FILES, "ファイル情報を取得しています"},
    {IDS_STATUS_STOPPING, "中断処理中です・・・しばらくお待ちください"},
    {IDS_STATUS_DONE, "サーバー情報の取得を完了しました"},
    {IDS_CONFIRM_EXIT, "終了しますか？"},
    {IDS_CONNECT_FIRST, "まず「接続」ボタンでパスワードを指定してください"},
    {IDS_PASSWORD_NEEDED, "サーバーに接続するにはパスワードが必要です"},
    {IDS_NAME_REQUIRED, "名前は必ず入力してください"},
    {IDS_NOTHING_TO_SAVE, "保存する項目が一つもありません"},
    {IDS_BAD_CHARACTERS,
     "名前、タイトル、圧縮ファイル名に不適切な文字が含まれています。(\\,:,/,\\\"..\\\"など）"},
    {IDS_DOCUMENT_COMMENT, "Orvane Tovaloで作成したSenderaです"},
    {IDS_TASK_CAPTION, "タスク"},
    {IDS_SERVER_CAPTION, "FTP サーバー"},
    {IDS_FILE_FILTER, "Sendera (*.sd)|*.sd||"},
    {IDS_GET_LIST_CAPTION, "ファイルリスト(GET)"},
    {IDS_MGET_LIST_CAPTION, "ファイルリスト(MGET)"},
    {IDS_OLE_INIT_FAILED,
     "OLE の初期化に失敗しました。 OLE ﾗｲﾌﾞﾗﾘのﾊﾞｰｼﾞｮﾝが正しいことを確認してください。"},
    {IDS_LOAD_FAILED, "読み込みで失敗しました"},
    {IDS_NOT_A_TASK_FILE, "ファイルがTovalo形式ではありません"},
    {IDS_ARCHIVE_NAME_REQUIRED, "圧縮ファイル名が必要です"},
    {IDS_ACCOUNT_MISSING, "Senderaに指定されているアカウントがありません"},
    {IDS_CONFIRM_NEW, "現在のデータを削除してもよろしいですか？"},
    {IDS_NAME_AND_SERVER_REQUIRED, "名前とサーバー名は必ず入力してください"},
    {IDS_HELP_FAILED, "ヘルプファイルを表示できません。"},
    {IDS_SAVE_FAILED, "保存で失敗しました"},
    {IDS_LIST_FAILED, "ファイル一覧を取得できませんでした。"},
    {IDS_VERSION_FORMAT, "Tovalo バージョン %s"},
    {IDS_STATUS_CONNECTED_TLS, "サーバーに接続しました（TLS）"},
    {IDS_STATUS_CONNECTED_PROXY, "プロキシ経由でサーバーに接続しました（暗号化なし）"},
    {IDS_CONFIRM_PLAIN,
     "このサーバーには以前 TLS で暗号化して接続しましたが、今回は暗号化を断られました。"
     "\r\n通信が途中で書き換えられている可能性があります。"
     "\r\nパスワードを暗号化せずに送って接続を続けますか？"},
    {IDS_CERT_NOT_VERIFIED,
     "サーバーの証明書を確認できませんでした。内容を確かめて、信頼するかどうかを選んでください。"},
    {IDS_CERT_CHANGED, "サーバーの証明書が、常に信頼するとした証明書から変わっています。"
                       "内容を確かめて、信頼するかどうかを選んでください。"},
    {IDS_STORE_UNUSABLE,
     "アカウントの保存ファイル %s を開けません。修復するか別の場所へ移動するまで、アカウント"
     "の読み込みも保存もできません。"},
    {IDS_STORE_WRITE_FAILED, "アカウントの変更を保存できませんでした。"},
    {IDS_LIST_TOO_LARGE, "フォルダのファイルが多すぎるため、すべては表示できません。"
                         "最初の一部だけを表示しています。"},
    {IDS_CONFIRM_DELETE_ALL, "すべてのファイルを削除してもよろしいですか？"},
    {AFX_IDS_SCCLOSE, "閉じる(&C)"},
    {AFX_IDP_PARSE_STRING_SIZE, "%s 文字以内で入力してください。"},
    {AFX_IDP_PARSE_UINT, "正の整数を入力してください。"},
};

} // namespace

std::string_view LoadString(int id) {
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const Entry& e, int v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return it->text;
}

bool HasString(int id) {
    return !LoadString(id).empty();
}

} // namespace res
