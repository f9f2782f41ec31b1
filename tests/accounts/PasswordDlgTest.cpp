// The password prompt through its real widgets and the modal seam.
#include "accounts/PasswordDlg.h"
#include "AccountsTest.h"

#include <string>

namespace {

class PasswordDlgTest : public accounts_test::Test {
protected:
    bool NeedsLibrary() const override { return false; }
    static void Open(CPasswordDlg& dlg, const std::string& server, const std::string& user) {
        dlg.m_strProtocol = "FTP";
        dlg.m_strServer = server;
        dlg.m_strUserID = user;
    }
};

TEST_F(PasswordDlgTest, ShowsAccountReadOnlyWithFocusInPassword) {
    CPasswordDlg dlg;
    Open(dlg, "ftp.example.jp", "山田");
    Expect(150, [](CDialog& d) {
        EXPECT_EQ(FocusId(d), 1012);
        EXPECT_EQ(Text(d, 1020), "ftp.example.jp");
        EXPECT_EQ(Text(d, 1031), "山田");
        EXPECT_EQ(Text(d, 1036), "FTP");
        EXPECT_EQ(Text(d, 1012), "");
        for (int id : {1020, 1031, 1036})
            EXPECT_TRUE(ReadOnly(d, id)) << id;
        EXPECT_FALSE(ReadOnly(d, 1012));
        EXPECT_TRUE(IsPasswordEdit(d, 1012));
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].id, 150u);
    EXPECT_EQ(Shown()[0].text, "パスワード");
}

// What the user typed comes back on OK, an empty password included; Cancel returns
// IDCANCEL. Enter in the password edit is the default button.
TEST_F(PasswordDlgTest, ReturnsWhatWasTyped) {
    struct Case {
        const char* typed;
        int button; // IDOK, IDCANCEL, or 0 for Enter in the edit
    };
    const Case cases[] = {{"s3cret", IDOK}, {"", IDOK}, {"パス word", 0}, {"typed", IDCANCEL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        platform::modal::BeginScript();
        CPasswordDlg dlg;
        Open(dlg, "host", "user");
        Expect(150, [&](CDialog& d) {
            Type(d, 1012, c.typed);
            if (c.button == 0)
                PressKey(d, 1012, Qt::Key_Return);
            else
                Click(d, c.button);
        });
        const bool ok = c.button != IDCANCEL;
        EXPECT_EQ(dlg.DoModal(), ok ? IDOK : IDCANCEL);
        if (ok) {
            EXPECT_EQ(dlg.m_strPassword, c.typed);
        }
        // The read-only fields come back as the opener set them.
        EXPECT_EQ(dlg.m_strServer, "host");
        EXPECT_EQ(dlg.m_strUserID, "user");
        EXPECT_EQ(dlg.m_strProtocol, "FTP");
        ExpectNoUnexpectedModals();
    }
}

} // namespace
