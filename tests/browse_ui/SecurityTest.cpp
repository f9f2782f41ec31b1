// What the window asks and keeps about a server's security: the certificate dialog and
// its three answers, a changed certificate, and the question before plain FTP where TLS
// was seen.
#include "BrowseFixture.h"

#include "accounts/Store.h"
#include "res/Resources.h"

#include <fstream>

namespace browse_test {
namespace {

using platform::modal::kAsEnded;

class SecurityTest : public BrowseFixture {
protected:
    // Connect's confirmation and prompt, then the certificate dialog answered with `answer`;
    // what the dialog showed goes to `shown` (prompt, server, fingerprint).
    void QueueCertificate(int answer) {
        platform::modal::QueueDialog(IDD_CERTIFICATE, [this, answer](CDialog& dlg) {
            shown.clear();
            for (int id : {IDC_CERT_PROMPT, IDC_CERT_SERVER, IDC_CERT_FINGERPRINT})
                shown.push_back(dlg.GetDlgItem(id)->GetWindowText());
            dlg.SendCommand(answer);
            return kAsEnded;
        });
    }
    Strings shown;
};

TEST_F(SecurityTest, CertificateAnswersAreKeptAsTheUserChose) {
    test::VsftpdServer tls(true);
    std::ofstream(tls.Root() / "a.txt") << "a";
    ASSERT_TRUE(tls.Start()) << tls.Error();
    const std::string server = Server(tls.Port());
    AddAccount(Account("tls", 1, test::VsftpdServer::kUser, tls.Port()));
    RecordingMainDlg& w = Open();
    const std::string notVerified(res::LoadString(IDS_CERT_NOT_VERIFIED));

    // Cancel: a failed connection (the browse run's tests show the login is never sent).
    QueueConnect();
    QueueCertificate(IDCANCEL);
    platform::modal::QueueMessageBox(IDOK);
    Click(w, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(shown, (Strings{notVerified, server, tls.Certificate().sha256}));
    EXPECT_EQ(ShownBoxIds().back(), static_cast<UINT>(IDS_CONNECT_FAILED));
    EXPECT_TRUE(w.m_strPassword.empty());

    // This time: listed encrypted, and not asked again until the next Connect.
    QueueConnect();
    QueueCertificate(IDC_TRUST_ONCE);
    Click(w, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(w.progress.back(), ftp::kProgressDone);
    EXPECT_EQ(w.m_nConnectedStatus, IDS_STATUS_CONNECTED_TLS);
    Click(w, IDC_SHOW);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_TRUE(accounts::TrustedFingerprints(server).empty());

    // Always: kept in the store, so a new window connects without asking.
    QueueConnect();
    QueueCertificate(IDC_TRUST_ALWAYS);
    Click(w, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(accounts::TrustedFingerprints(server), Strings{tls.Certificate().sha256});
    RecordingMainDlg& again = Open();
    Connect(again);
    EXPECT_EQ(again.progress.back(), ftp::kProgressDone);

    // Another certificate trusted for the server: asked again, saying it changed.
    ASSERT_TRUE(accounts::TrustCertificate(server, std::string(95, 'A')));
    QueueConnect();
    QueueCertificate(IDCANCEL);
    platform::modal::QueueMessageBox(IDOK);
    Click(again, IDC_BACK_OR_CONNECT);
    ASSERT_TRUE(WaitForRun(again));
    EXPECT_EQ(shown.at(0), res::LoadString(IDS_CERT_CHANGED));
}

// A server seen with TLS that now refuses it: asked before the password goes in clear.
TEST_F(SecurityTest, RefusedTlsWhereItWasSeenAsksFirst) {
    accounts::RememberTls(Server());
    AddAccount(Account("srv"));
    RecordingMainDlg& w = Open();
    for (const int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        w.progress.clear();
        QueueConnect();
        platform::modal::QueueMessageBox(answer);
        if (answer == IDCANCEL)
            platform::modal::QueueMessageBox(IDOK);
        Click(w, IDC_BACK_OR_CONNECT);
        ASSERT_TRUE(WaitForRun(w));
        const auto boxes = ShownBoxIds();
        EXPECT_EQ(boxes.at(boxes.size() - (answer == IDCANCEL ? 2 : 1)),
                  static_cast<UINT>(IDS_CONFIRM_PLAIN));
        EXPECT_EQ(w.progress.back(),
                  answer == IDOK ? ftp::kProgressDone : ftp::kProgressConnecting);
    }
    // Accepted for this Connect: another folder of the session does not ask again.
    const std::size_t shown = ShownBoxIds().size();
    Click(w, IDC_SHOW);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(ShownBoxIds().size(), shown);
    EXPECT_EQ(w.progress.back(), ftp::kProgressDone);
}

} // namespace
} // namespace browse_test
