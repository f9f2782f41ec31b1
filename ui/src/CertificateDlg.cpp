#include "ui/CertificateDlg.h"

#include "res/Ids.h"
#include "res/Resources.h"

#include <utility>

namespace {

// Between the first and the last day of the validity.
constexpr res::Text kUntil{" ～ ", " – "};

} // namespace

CCertificateDlg::CCertificateDlg(std::string server, const inet::FtpCertificate& certificate,
                                 bool changed, CWnd* pParent)
    : CDialog(IDD_CERTIFICATE, pParent), m_strServer(std::move(server)), m_certificate(certificate),
      m_bChanged(changed) {
    MapCommand(IDC_TRUST_ONCE, &CCertificateDlg::OnTrustOnce);
    MapCommand(IDC_TRUST_ALWAYS, &CCertificateDlg::OnTrustAlways);
}

CCertificateDlg::~CCertificateDlg() = default;

BOOL CCertificateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetDlgItem(IDC_CERT_PROMPT)
        ->SetWindowText(
            std::string(res::LoadString(m_bChanged ? IDS_CERT_CHANGED : IDS_CERT_NOT_VERIFIED)));
    GetDlgItem(IDC_CERT_SERVER)->SetWindowText(m_strServer);
    GetDlgItem(IDC_CERT_SUBJECT)->SetWindowText(m_certificate.subject);
    GetDlgItem(IDC_CERT_ISSUER)->SetWindowText(m_certificate.issuer);
    GetDlgItem(IDC_CERT_VALIDITY)
        ->SetWindowText(m_certificate.notBefore + std::string(kUntil.Get()) +
                        m_certificate.notAfter);
    GetDlgItem(IDC_CERT_FINGERPRINT)->SetWindowText(m_certificate.sha256);
    GetDlgItem(IDC_CERT_ERROR)->SetWindowText(m_certificate.verifyError);
    // Trusting is a decision; a quick Enter or Space must not make it.
    GetDlgItem(IDCANCEL)->SetFocus();
    return FALSE;
}

void CCertificateDlg::OnTrustOnce() {
    EndDialog(IDC_TRUST_ONCE);
}

void CCertificateDlg::OnTrustAlways() {
    EndDialog(IDC_TRUST_ALWAYS);
}
