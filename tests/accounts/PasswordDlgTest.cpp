// The password prompt through its real widgets and the modal seam.
#include "accounts/PasswordDlg.h"
#include "AccountsTest.h"

namespace {

class PasswordDlgTest : public accounts_test::Test {
protected:
    bool NeedsLibrary() const override { return false; }
};

// The account shows read-only with the focus in the hidden password edit. What the user
// typed comes back on OK (an empty password included) and on Enter in the edit; Cancel
// returns IDCANCEL.
TEST_F(PasswordDlgTest, ShowsTheAccountAndReturnsWhatWasTyped) {
    struct Case {
        const char* typed;
        int button; // IDOK, IDCANCEL, or 0 for Enter in the edit
    };
    for (const Case& c : {Case{"", IDOK}, Case{"パス word", 0}, Case{"typed", IDCANCEL}}) {
        SCOPED_TRACE(c.typed);
        modal::BeginScript();
        CPasswordDlg dlg;
        dlg.m_strProtocol = "FTP";
        dlg.m_strServer = "ftp.example.jp";
        dlg.m_strUserID = "山田";
        Expect(IDD_PASSWORD, [&](CDialog& d) {
            EXPECT_EQ(FocusId(d), IDC_PASSWORD);
            EXPECT_EQ(Text(d, IDC_SERVER) + "|" + Text(d, IDC_USER_ID) + "|" +
                          Text(d, IDC_PROTOCOL) + "|" + Text(d, IDC_PASSWORD),
                      "ftp.example.jp|山田|FTP|");
            EXPECT_TRUE(ReadOnly(d, IDC_SERVER) && ReadOnly(d, IDC_USER_ID) &&
                        ReadOnly(d, IDC_PROTOCOL) && !ReadOnly(d, IDC_PASSWORD));
            EXPECT_TRUE(IsPasswordEdit(d, IDC_PASSWORD));
            Type(d, IDC_PASSWORD, c.typed);
            if (c.button == 0)
                PressKey(d, IDC_PASSWORD, Qt::Key_Return);
            else
                Click(d, c.button);
        });
        const bool ok = c.button != IDCANCEL;
        EXPECT_EQ(dlg.DoModal(), ok ? IDOK : IDCANCEL);
        if (ok) {
            EXPECT_EQ(dlg.m_strPassword, c.typed);
        }
        ExpectNoUnexpectedModals();
    }
}

} // namespace
