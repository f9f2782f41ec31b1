// The password prompt through its real widgets and the modal seam.
#include "accounts/PasswordDlg.h"
#include "gui_support/GuiTest.h"

#include "platform/Modal.h"
#include "platform/Win.h"

#include <QLineEdit>

#include <string>

namespace {

class PasswordDlgTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }
};

TEST_F(PasswordDlgTest, ShowsAccountReadOnlyWithFocusInPassword) {
    CPasswordDlg dlg;
    dlg.m_strProtocol = "FTP";
    dlg.m_strServer = "ftp.example.jp";
    dlg.m_strUserID = "山田";
    bool ran = false;
    platform::modal::QueueDialog(150, [&](CDialog& d) {
        ran = true;
        EXPECT_EQ(FocusId(d), 1012);
        EXPECT_EQ(Text(d, 1020), "ftp.example.jp");
        EXPECT_EQ(Text(d, 1031), "山田");
        EXPECT_EQ(Text(d, 1036), "FTP");
        EXPECT_EQ(Text(d, 1012), "");
        for (int id : {1020, 1031, 1036}) {
            auto* e = qobject_cast<QLineEdit*>(Control(d, id));
            EXPECT_TRUE(e && e->isReadOnly()) << id;
        }
        auto* pw = qobject_cast<QLineEdit*>(Control(d, 1012));
        EXPECT_TRUE(pw && !pw->isReadOnly());
        EXPECT_TRUE(pw && pw->echoMode() == QLineEdit::Password);
        return platform::modal::kAsEnded;
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(ran);
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].id, 150u);
    EXPECT_EQ(Shown()[0].text, "パスワード");
    ExpectNoUnexpectedModals();
}

// What the user typed comes back on OK, an empty password included; Cancel returns
// IDCANCEL. Enter in the password edit is the default button.
TEST_F(PasswordDlgTest, ReturnsWhatWasTyped) {
    struct Case {
        const char* typed;
        int button; // IDOK, IDCANCEL, or 0 for Enter in the edit
        INT_PTR result;
    };
    const Case cases[] = {
        {"s3cret", IDOK, IDOK},
        {"", IDOK, IDOK},
        {"パス word", 0, IDOK},
        {"typed", IDCANCEL, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        platform::modal::BeginScript();
        CPasswordDlg dlg;
        dlg.m_strProtocol = "FTP";
        dlg.m_strServer = "host";
        dlg.m_strUserID = "user";
        platform::modal::QueueDialog(150, [&](CDialog& d) {
            Type(d, 1012, c.typed);
            if (c.button == 0)
                PressKey(d, 1012, Qt::Key_Return);
            else
                Click(d, c.button);
            return platform::modal::kAsEnded;
        });
        EXPECT_EQ(dlg.DoModal(), c.result);
        if (c.result == IDOK) {
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
