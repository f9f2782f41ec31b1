// The proxy dialog through its real widgets and the modal seam.
#include "accounts/ProxyDlg.h"
#include "gui_support/GuiTest.h"

#include "platform/Modal.h"
#include "platform/Win.h"

#include <QDialog>
#include <QLineEdit>

#include <functional>
#include <string>

namespace {

using platform::modal::kAsEnded;

class ProxyDlgTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }

    static bool IsOpen(CDialog& d) {
        return d.GetDialogWidget() && d.GetDialogWidget()->isVisible();
    }

    static bool ReadOnly(CDialog& d, int id) {
        auto* e = qobject_cast<QLineEdit*>(Control(d, id));
        return e && e->isReadOnly();
    }

    // Runs `dlg` modally with `script`, answering `boxes` message boxes with OK on the
    // way; returns DoModal's result.
    static INT_PTR Run(CProxyDlg& dlg, std::function<void(CDialog&)> script, int boxes = 0) {
        platform::modal::QueueDialog(156, [script](CDialog& d) {
            script(d);
            return kAsEnded;
        });
        for (int i = 0; i < boxes; ++i)
            platform::modal::QueueMessageBox(IDOK);
        return dlg.DoModal();
    }
};

TEST_F(ProxyDlgTest, NewProxyOpensEmptyWithPortZero) {
    CProxyDlg dlg;
    Run(dlg, [](CDialog& d) {
        for (int id : {1000, 1020, 1031, 1012})
            EXPECT_EQ(Text(d, id), "") << id;
        EXPECT_EQ(Text(d, 1025), "0");
        EXPECT_FALSE(Checked(d, 1116));
        for (int id : {1000, 1020, 1025, 1031, 1116, 1012, IDOK, IDCANCEL})
            EXPECT_TRUE(Enabled(d, id)) << id;
        for (int id : {1000, 1020, 1025, 1031, 1012})
            EXPECT_FALSE(ReadOnly(d, id)) << id;
        auto* pw = qobject_cast<QLineEdit*>(Control(d, 1012));
        EXPECT_TRUE(pw && pw->echoMode() == QLineEdit::Password);
    });
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0].text, "PROXY追加");
    ExpectNoUnexpectedModals();
}

TEST_F(ProxyDlgTest, NoSavePasswordTogglesPasswordEditKeepingText) {
    CProxyDlg dlg;
    const INT_PTR r = Run(dlg, [](CDialog& d) {
        Type(d, 1012, "pw");
        Click(d, 1116);
        EXPECT_FALSE(Enabled(d, 1012));
        EXPECT_EQ(Text(d, 1012), "pw");
        Click(d, 1116);
        EXPECT_TRUE(Enabled(d, 1012));
        EXPECT_EQ(Text(d, 1012), "pw");
        Click(d, 1116);
        SetText(d, 1000, "p");
        SetText(d, 1020, "proxy.example");
        Click(d, IDOK);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.m_bNoSavePassword, TRUE);
    EXPECT_EQ(dlg.m_strPassword, "pw"); // kept; the opener decides not to record it
    EXPECT_TRUE(Shown().size() == 1u && Shown()[0].kind == platform::modal::Kind::Dialog);
    ExpectNoUnexpectedModals();
}

// Name and server are required; user ID, password and port are not.
TEST_F(ProxyDlgTest, OkNeedsNameAndServer) {
    struct Case {
        const char* name;
        const char* server;
        bool accepted;
    };
    const Case cases[] = {
        {"", "", false},
        {"p", "", false},
        {"", "proxy.example", false},
        {"p", "proxy.example", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.server);
        platform::modal::BeginScript();
        CProxyDlg dlg;
        const INT_PTR r = Run(
            dlg,
            [&](CDialog& d) {
                Type(d, 1000, c.name);
                Type(d, 1020, c.server);
                Click(d, IDOK);
                EXPECT_EQ(IsOpen(d), !c.accepted);
                if (!c.accepted) {
                    EXPECT_EQ(Text(d, 1000), c.name); // values kept
                    Click(d, IDCANCEL);
                }
            },
            c.accepted ? 0 : 1);
        EXPECT_EQ(r, c.accepted ? IDOK : IDCANCEL);
        const auto boxes = ShownBoxIds();
        if (c.accepted) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(dlg.m_strName, c.name);
            EXPECT_EQ(dlg.m_strServer, c.server);
            EXPECT_EQ(dlg.m_strUserID, "");
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(Shown()[0].id, 162u);
            EXPECT_EQ(Shown()[0].text, "名前とサーバー名は必ず入力してください");
            EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        }
        ExpectNoUnexpectedModals();
    }
}

// The port must read as an unsigned decimal number; anything else is refused with the
// framework's message, the focus on the port, and the dialog stays open.
TEST_F(ProxyDlgTest, PortMustBeUnsignedDecimal) {
    struct Case {
        const char* port;
        bool accepted;
        unsigned int value;
    };
    const Case cases[] = {
        {"8080", true, 8080}, {" 21 ", true, 21},       {"4294967295", true, 4294967295u},
        {"", false, 0},       {"-1", false, 0},         {"abc", false, 0},
        {"12a", false, 0},    {"4294967296", false, 0}, {"+5", false, 0},
        {"1 2", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("port '") + c.port + "'");
        platform::modal::BeginScript();
        CProxyDlg dlg;
        const INT_PTR r = Run(
            dlg,
            [&](CDialog& d) {
                SetText(d, 1000, "p");
                SetText(d, 1020, "proxy.example");
                SetText(d, 1025, c.port);
                Click(d, IDOK);
                EXPECT_EQ(IsOpen(d), !c.accepted);
                if (!c.accepted) {
                    EXPECT_EQ(FocusId(d), 1025);
                    Click(d, IDCANCEL);
                }
            },
            c.accepted ? 0 : 1);
        EXPECT_EQ(r, c.accepted ? IDOK : IDCANCEL);
        const auto boxes = ShownBoxIds();
        if (c.accepted) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(dlg.m_nPort, c.value);
        } else {
            // One message only: the missing-name check does not follow the port's.
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0], AFX_IDP_PARSE_UINT);
            EXPECT_EQ(Shown()[0].text, "正の整数を入力してください。");
        }
        ExpectNoUnexpectedModals();
    }
}

// Ticking the box while the port does not read: the message comes, and the password edit
// still follows the box.
TEST_F(ProxyDlgTest, PasswordEnablingFollowsBoxWhenPortIsBad) {
    CProxyDlg dlg;
    Run(
        dlg,
        [](CDialog& d) {
            SetText(d, 1025, "x");
            Click(d, 1116);
            EXPECT_TRUE(Checked(d, 1116));
            EXPECT_FALSE(Enabled(d, 1012));
            Click(d, 1116);
            EXPECT_TRUE(Enabled(d, 1012));
        },
        2);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{AFX_IDP_PARSE_UINT, AFX_IDP_PARSE_UINT}));
    ExpectNoUnexpectedModals();
}

TEST_F(ProxyDlgTest, DetailsModeShowsNameAndIdReadOnly) {
    CProxyDlg dlg;
    dlg.m_bReadOnly = TRUE;
    dlg.m_strName = "社内";
    dlg.m_strServer = "proxy.example";
    dlg.m_strUserID = "pu";
    dlg.m_strPassword = "ppw";
    Run(
        dlg,
        [](CDialog& d) {
            EXPECT_EQ(Text(d, 1000), "社内");
            EXPECT_EQ(Text(d, 1020), "proxy.example");
            EXPECT_EQ(Text(d, 1031), "pu");
            EXPECT_EQ(Text(d, 1012), "ppw");
            EXPECT_EQ(Text(d, 1025), "0");
            EXPECT_TRUE(ReadOnly(d, 1000));
            EXPECT_TRUE(ReadOnly(d, 1031));
            for (int id : {1020, 1025, 1012})
                EXPECT_FALSE(ReadOnly(d, id)) << id;
            for (int id : {1020, 1025, 1116, 1012, IDOK, IDCANCEL})
                EXPECT_TRUE(Enabled(d, id)) << id;
            EXPECT_FALSE(Checked(d, 1116));
            // Emptying the server is refused there too.
            SetText(d, 1020, "");
            Click(d, IDOK);
            EXPECT_TRUE(IsOpen(d));
            Click(d, IDCANCEL);
        },
        1);
    EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{162u}));
    ExpectNoUnexpectedModals();
}

} // namespace
