// A server certificate that did not verify: what it says, and whether to trust it.
#include "res/Ids.h"
#include "res/Resources.h"

namespace res {
namespace {

constexpr std::uint32_t kField = kBorder | kReadOnly | kAutoHScroll;

constexpr Control kControls[] = {
    {IDC_CERT_PROMPT, Kind::Static, 7, 7, 266, 18, "", "", kNoPrefix},
    {IDC_STATIC, Kind::Static, 7, 32, 50, 8, "サーバー", "Server", kRight},
    {IDC_CERT_SERVER, Kind::Edit, 62, 30, 211, 12, "", "", kField},
    {IDC_STATIC, Kind::Static, 7, 48, 50, 8, "発行先", "Issued to", kRight},
    {IDC_CERT_SUBJECT, Kind::Edit, 62, 46, 211, 12, "", "", kField},
    {IDC_STATIC, Kind::Static, 7, 64, 50, 8, "発行者", "Issued by", kRight},
    {IDC_CERT_ISSUER, Kind::Edit, 62, 62, 211, 12, "", "", kField},
    {IDC_STATIC, Kind::Static, 7, 80, 50, 8, "有効期間", "Validity", kRight},
    {IDC_CERT_VALIDITY, Kind::Edit, 62, 78, 211, 12, "", "", kField},
    {IDC_STATIC, Kind::Static, 7, 96, 50, 8, "SHA-256", "SHA-256", kRight},
    // 95 characters: two lines, all of it in sight.
    {IDC_CERT_FINGERPRINT, Kind::Edit, 62, 94, 211, 24, "", "", kBorder | kReadOnly | kMultiLine},
    {IDC_STATIC, Kind::Static, 7, 122, 50, 8, "確認結果", "Verification", kRight},
    {IDC_CERT_ERROR, Kind::Edit, 62, 120, 211, 12, "", "", kField},
    {IDC_TRUST_ONCE, Kind::Button, 62, 142, 70, 14, "今回だけ信頼する", "Trust this time", kNone},
    {IDC_TRUST_ALWAYS, Kind::Button, 137, 142, 70, 14, "常に信頼する", "Always trust", kNone},
    {IDCANCEL, Kind::DefButton, 223, 142, 50, 14, "キャンセル", "Cancel", kNone},
};

} // namespace

const Dialog& DialogTemplate160() {
    static const Dialog d{IDD_CERTIFICATE,
                          {"証明書の確認", "Server certificate"},
                          280,
                          163,
                          "ＭＳ Ｐゴシック",
                          9,
                          kDsSysMenu | kDsModalFrame,
                          kControls};
    return d;
}

} // namespace res
