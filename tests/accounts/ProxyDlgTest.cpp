// The proxy dialog through its real widgets and the modal seam.
#include "accounts/ProxyDlg.h"
#include "AccountsTest.h"

#include <functional>
#include <map>
#include <string>

namespace {

class ProxyDlgTest : public accounts_test::Test {
protected:
    bool NeedsLibrary() const override { return false; }

    // Runs `dlg` modally with `script`, answering `boxes` message boxes with OK on the
    // way; returns DoModal's result.
    static INT_PTR Run(CProxyDlg& dlg, std::function<void(CDialog&)> script, int boxes = 0) {
        Expect(156, std::move(script));
        for (int i = 0; i < boxes; ++i)
            platform::modal::QueueMessageBox(IDOK);
        return dlg.DoModal();
    }
};

// A new proxy opens empty with port 0; details show the stored values with name and user ID
// read-only. Either way an empty server is refused.
TEST_F(ProxyDlgTest, OpensEmptyOrShowingTheStoredProxy) {
    for (bool details : {false, true}) {
        SCOPED_TRACE(details);
        platform::modal::BeginScript();
        const std::map<int, std::string> texts =
            details ? std::map<int, std::string>{{1000, "社内"},
                                                 {1020, "proxy.example"},
                                                 {1031, "pu"},
                                                 {1012, "ppw"}}
                    : std::map<int, std::string>{{1000, ""}, {1020, ""}, {1031, ""}, {1012, ""}};
        CProxyDlg dlg;
        dlg.m_bReadOnly = details;
        dlg.m_strName = texts.at(1000);
        dlg.m_strServer = texts.at(1020);
        dlg.m_strUserID = texts.at(1031);
        dlg.m_strPassword = texts.at(1012);
        Run(
            dlg,
            [&](CDialog& d) {
                for (const auto& [id, text] : texts)
                    EXPECT_EQ(Text(d, id), text) << id;
                EXPECT_EQ(Text(d, 1025), "0");
                EXPECT_FALSE(Checked(d, 1116));
                for (int id : {1000, 1020, 1025, 1031, 1116, 1012, IDOK, IDCANCEL})
                    EXPECT_TRUE(Enabled(d, id)) << id;
                for (int id : {1000, 1020, 1025, 1031, 1012})
                    EXPECT_EQ(ReadOnly(d, id), details && (id == 1000 || id == 1031)) << id;
                EXPECT_TRUE(IsPasswordEdit(d, 1012));
                SetText(d, 1020, "");
                Click(d, IDOK);
                EXPECT_TRUE(IsOpen(d));
                Click(d, IDCANCEL);
            },
            1);
        EXPECT_EQ(ShownBoxIds(), (std::vector<UINT>{162u}));
        if (!details) {
            EXPECT_EQ(Shown().back().text, "PROXY追加");
        }
        ExpectNoUnexpectedModals();
    }
}

// The box disables the password edit and keeps its text. It does so even while the port
// does not read (the framework's message then comes on each click).
TEST_F(ProxyDlgTest, NoSavePasswordTogglesPasswordEdit) {
    for (const std::string port : {"0", "x"}) {
        SCOPED_TRACE(port);
        platform::modal::BeginScript();
        const bool bad = port == "x";
        CProxyDlg dlg;
        const INT_PTR r = Run(
            dlg,
            [&](CDialog& d) {
                SetText(d, 1000, "p");
                SetText(d, 1020, "proxy.example");
                SetText(d, 1025, port);
                Type(d, 1012, "pw");
                for (bool ticked : {true, false, true}) {
                    Click(d, 1116);
                    EXPECT_EQ(Checked(d, 1116), ticked);
                    EXPECT_EQ(Enabled(d, 1012), !ticked);
                    EXPECT_EQ(Text(d, 1012), "pw");
                }
                Click(d, bad ? IDCANCEL : IDOK);
            },
            bad ? 3 : 0);
        if (bad) {
            EXPECT_EQ(ShownBoxIds(), std::vector<UINT>(3, AFX_IDP_PARSE_UINT));
        } else {
            EXPECT_EQ(r, IDOK);
            EXPECT_TRUE(ShownBoxIds().empty());
            EXPECT_EQ(dlg.m_bNoSavePassword, TRUE);
            EXPECT_EQ(dlg.m_strPassword, "pw"); // kept; the opener decides not to record it
        }
        ExpectNoUnexpectedModals();
    }
}

// Name and server are required (user ID and password are not); the port must read as a
// number (its parsing is the dialog base's, tested there). A refusal shows one message and
// keeps the dialog open with what was typed; a bad port also takes the focus.
TEST_F(ProxyDlgTest, OkNeedsNameServerAndReadablePort) {
    struct Case {
        const char* name;
        const char* server;
        const char* port; // nullptr: left at its initial "0"
        UINT refusal;     // 0: accepted
        unsigned int value = 0;
    };
    constexpr UINT kMissing = 162;
    const Case cases[] = {
        {"", "", nullptr, kMissing},
        {"p", "", nullptr, kMissing},
        {"", "proxy.example", nullptr, kMissing},
        {"p", "proxy.example", " 8080 ", 0, 8080},
        // One message only: the missing-name check does not follow the port's.
        {"", "", "", AFX_IDP_PARSE_UINT},
        {"p", "proxy.example", "12a", AFX_IDP_PARSE_UINT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.server + "/" + (c.port ? c.port : "-"));
        platform::modal::BeginScript();
        CProxyDlg dlg;
        const INT_PTR r = Run(
            dlg,
            [&](CDialog& d) {
                Type(d, 1000, c.name);
                Type(d, 1020, c.server);
                if (c.port)
                    SetText(d, 1025, c.port);
                Click(d, IDOK);
                EXPECT_EQ(IsOpen(d), c.refusal != 0);
                if (c.refusal) {
                    EXPECT_EQ(Text(d, 1000), c.name);
                    if (c.refusal == AFX_IDP_PARSE_UINT) {
                        EXPECT_EQ(FocusId(d), 1025);
                    }
                    Click(d, IDCANCEL);
                }
            },
            c.refusal ? 1 : 0);
        EXPECT_EQ(r, c.refusal ? IDCANCEL : IDOK);
        if (!c.refusal) {
            EXPECT_TRUE(ShownBoxIds().empty());
            EXPECT_EQ(dlg.m_strName, c.name);
            EXPECT_EQ(dlg.m_strServer, c.server);
            EXPECT_EQ(dlg.m_strUserID, "");
            EXPECT_EQ(dlg.m_nPort, c.value);
        } else {
            ASSERT_EQ(ShownBoxIds().size(), 1u);
            ExpectBox(0, c.refusal,
                      c.refusal == kMissing ? "名前とサーバー名は必ず入力してください"
                                            : "正の整数を入力してください。",
                      MB_OK | MB_ICONEXCLAMATION);
        }
        ExpectNoUnexpectedModals();
    }
}

} // namespace
