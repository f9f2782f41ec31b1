// The proxy dialog through its real widgets and the modal seam.
#include "accounts/ProxyDlg.h"
#include "AccountsTest.h"

namespace {

class ProxyDlgTest : public accounts_test::Test {
protected:
    bool NeedsLibrary() const override { return false; }
};

// Name and server are required, the port must read as a number: a refusal shows one
// message and keeps the dialog open with what was typed; a bad port takes the focus.
// "Do not record" disables the password edit and keeps its text, which OK hands back.
TEST_F(ProxyDlgTest, OkNeedsNameServerAndReadablePort) {
    struct Case {
        const char *name, *server;
        const char* port; // nullptr: left at its initial "0"
        UINT refusal;     // 0: accepted
        unsigned int value = 0;
    };
    const Case cases[] = {
        {"p", "", nullptr, IDS_NAME_AND_SERVER_REQUIRED},
        {"p", "proxy.example", " 8080 ", 0, 8080},
        {"", "", "", AFX_IDP_PARSE_UINT}, // the port's message only
        {"p", "proxy.example", "12a", AFX_IDP_PARSE_UINT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.server + "/" + (c.port ? c.port : "-"));
        modal::BeginScript();
        CProxyDlg dlg;
        Expect(
            IDD_PROXY,
            [&](CDialog& d) {
                Type(d, IDC_RECORD_NAME, c.name);
                Type(d, IDC_SERVER, c.server);
                Type(d, IDC_PASSWORD, "pw");
                for (bool ticked : {true, false, true}) {
                    Click(d, IDC_PROXY_NO_PASSWORD);
                    EXPECT_EQ(Enabled(d, IDC_PASSWORD), !ticked);
                }
                if (c.port)
                    SetText(d, IDC_PORT, c.port);
                Click(d, IDOK);
                EXPECT_EQ(IsOpen(d), c.refusal != 0);
                if (c.refusal) {
                    EXPECT_EQ(Text(d, IDC_RECORD_NAME), c.name);
                    if (c.refusal == AFX_IDP_PARSE_UINT) {
                        EXPECT_EQ(FocusId(d), IDC_PORT);
                    }
                    Click(d, IDCANCEL);
                }
            },
            c.refusal ? 1 : 0);
        EXPECT_EQ(dlg.DoModal(), c.refusal ? IDCANCEL : IDOK);
        if (c.refusal) {
            EXPECT_EQ(ShownBoxIds(), std::vector<UINT>{c.refusal});
            EXPECT_EQ(Shown()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        } else {
            EXPECT_TRUE(ShownBoxIds().empty());
            EXPECT_EQ(dlg.m_strServer, c.server);
            EXPECT_EQ(dlg.m_nPort, c.value);
            EXPECT_EQ(dlg.m_bNoSavePassword, TRUE);
            EXPECT_EQ(dlg.m_strPassword, "pw");
        }
        ExpectNoUnexpectedModals();
    }
}

} // namespace
