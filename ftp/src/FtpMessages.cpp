#include "ftp/FtpMessages.h"

namespace ftp {

std::string_view FtpMessageText(int id) {
    switch (id) {
    case kMsgConfirmConnect:
        return "現在選択されているアカウントを使ってサーバに接続してもよろしいですか?"
               "\r\nただし、パスワードは入力する必要があります。";
    case kMsgConnectFailed:
        return "サーバーに接続できません。サーバー名かアカウントが正しくありません。";
    case kMsgBadFolder:
        return "場所の指定が正しくありません。";
    case kMsgCancelled:
        return "処理が中断されました。";
    case kMsgPasswordNeeded:
        return "サーバーに接続するにはパスワードが必要です";
    case kMsgListFailed:
        return "ファイル一覧を取得できませんでした。";
    default:
        return {};
    }
}

} // namespace ftp
