// The certificate dialog (template IDD_CERTIFICATE, "証明書の確認"): a server certificate that
// did not verify, or that differs from the one trusted for the server before. DoModal
// returns IDC_TRUST_ONCE, IDC_TRUST_ALWAYS or IDCANCEL; keeping an "always" is the opener's
// business.
#pragma once

#include "inet/FtpTls.h"
#include "platform/Dialog.h"

#include <string>

class CCertificateDlg : public CDialog {
public:
    CCertificateDlg(std::string server, const inet::FtpCertificate& certificate, bool changed,
                    CWnd* pParent = nullptr);
    ~CCertificateDlg() override;

protected:
    BOOL OnInitDialog() override;

private:
    void OnTrustOnce();
    void OnTrustAlways();

    std::string m_strServer; // "host:port"
    inet::FtpCertificate m_certificate;
    bool m_bChanged; // a different certificate was trusted for the server
};
