// The main window browsing a local server: accounts name 127.0.0.1 and the test server's
// port, and every run is waited for with a bound.
#pragma once

#include "ftp/RemoteName.h"
#include "gui_support/GuiTest.h"
#include "support/RealServers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace browse_test {

using Strings = std::vector<std::string>;
const std::vector<int> kComplete = {10, 20, 30, 40, 100};

// The window with its progress messages recorded.
class RecordingMainDlg : public CMainDlg {
public:
    void OnBrowseProgress(int percent) override {
        progress.push_back(percent);
        CMainDlg::OnBrowseProgress(percent);
    }
    std::vector<int> progress;
};

// One row of the remote list as the window holds it.
struct Row {
    std::string name, path;
    int folder = 0;
    bool operator==(const Row&) const = default;
};

class BrowseFixture : public gui::GuiTest {
protected:
    // The shared server: folders and files with spaces and Japanese names.
    static void SetUpTestSuite() {
        s_server = std::make_unique<test::PyFtpServer>(std::vector<test::PyFtpServer::User>{
            {"tester", "secret", ""}, {"other", "pw2", "pub/b"}});
        for (const char* dir : {"pub/sub dir", "pub/日本語フォルダ", "pub/b", "empty"})
            s_server->MakeDir(dir);
        for (const char* file : {"pub/a.txt", "pub/c.TXT", "pub/b.log", "pub/試験 ファイル.txt",
                                 "pub/sub dir/inner.txt", "pub/b/only_in_b.txt", "root.txt"})
            s_server->MakeFile(file, "1");
        if (!s_server->Start())
            ADD_FAILURE() << "pyftpdlib: " << s_server->Error();
    }
    static void TearDownTestSuite() { s_server.reset(); }

    // An account of 127.0.0.1:port (0: the shared server). The recorded password is never
    // the one typed: Connect must not use it.
    static gui::AccountValues Account(const std::string& name, int passive = 0,
                                      const std::string& user = "tester", std::uint16_t port = 0) {
        return {.name = name,
                .userId = user,
                .password = "recorded-not-used",
                .server = Server(port),
                .passive = passive};
    }
    static std::string Server(std::uint16_t port = 0) {
        return "127.0.0.1:" + std::to_string(port != 0 ? port : s_server ? s_server->Port() : 21);
    }

    // The window with the wizard stopped, so that the FTP panel is in use.
    RecordingMainDlg& Open() {
        RecordingMainDlg& w = OpenMainWindow<RecordingMainDlg>();
        Click(w, IDC_WIZARD);
        return w;
    }

    // Waits (at most 30 s) until the run that is living has ended.
    static bool WaitForRun(CMainDlg& w) {
        QElapsedTimer t;
        t.start();
        while (w.m_bBrowsing && t.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
        return !w.m_bBrowsing;
    }
    // Answers Connect's confirmation with OK and its password prompt with `password`,
    // recording what the prompt showed in `prompt`.
    void QueueConnect(const std::string& password = "secret") {
        platform::modal::QueueMessageBox(IDOK);
        platform::modal::QueueDialog(IDD_PASSWORD, [this, password](CDialog& dlg) {
            prompt.clear();
            for (int id : {IDC_PROTOCOL, IDC_SERVER, IDC_USER_ID})
                prompt.push_back(dlg.GetDlgItem(id)->GetWindowText());
            dlg.GetDlgItem(IDC_PASSWORD)->SetWindowText(password);
            dlg.SendCommand(IDOK);
            return platform::modal::kAsEnded;
        });
    }
    // Connect with the selected account and `password`, then waits for the run.
    void Connect(CMainDlg& w, const std::string& password = "secret") {
        QueueConnect(password);
        Click(w, IDC_BACK_OR_CONNECT);
        ASSERT_TRUE(WaitForRun(w));
    }
    // The rows of the remote list, checked against the window's records: folder rows
    // first, no dots.
    static std::vector<Row> RemoteRows(CMainDlg& w) {
        std::vector<Row> rows;
        const auto texts = Rows(w, IDC_REMOTE);
        EXPECT_EQ(texts.size(), w.m_arrRemote.size()) << "rows and records differ";
        for (std::size_t i = 0; i < texts.size() && i < w.m_arrRemote.size(); ++i) {
            const CRemoteEntry& e = *w.m_arrRemote[i];
            EXPECT_EQ(texts[i].at(0), ftp::DisplayName(e.m_strEntryName)) << "row " << i;
            EXPECT_EQ(w.m_listRemote.GetItemImage(static_cast<int>(i)), e.m_bFolder ? 0 : 1);
            EXPECT_TRUE(rows.empty() || e.m_bFolder <= rows.back().folder) << e.m_strEntryName;
            EXPECT_TRUE(e.m_strEntryName != "." && e.m_strEntryName != "..");
            rows.push_back({e.m_strEntryName, e.m_strPath, e.m_bFolder});
        }
        return rows;
    }
    // Names of the folder rows and of the file rows, each sorted.
    static std::pair<Strings, Strings> Listed(CMainDlg& w) {
        Strings folders, files;
        for (const Row& r : RemoteRows(w))
            (r.folder ? folders : files).push_back(r.name);
        std::sort(folders.begin(), folders.end());
        std::sort(files.begin(), files.end());
        return {folders, files};
    }
    // The window is idle again: enabled, the progress dialog hidden.
    static void ExpectIdle(CMainDlg& w) {
        EXPECT_FALSE(w.m_bBrowsing);
        EXPECT_TRUE(w.IsWindowEnabled());
        EXPECT_FALSE(w.m_dlgConnecting.IsWindowVisible());
    }
    static void DoubleClickRow(CMainDlg& w, const std::string& name) {
        auto* tree = qobject_cast<QTreeView*>(Control(w, IDC_REMOTE));
        const auto it = std::find_if(w.m_arrRemote.begin(), w.m_arrRemote.end(),
                                     [&](const auto& e) { return e->m_strEntryName == name; });
        const QModelIndex row =
            tree->model()->index(static_cast<int>(it - w.m_arrRemote.begin()), 0);
        ASSERT_TRUE(row.isValid()) << name;
        tree->scrollTo(row);
        tree->setFocus(Qt::MouseFocusReason); // as the first click does
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                           tree->visualRect(row).center());
    }

    static inline std::unique_ptr<test::PyFtpServer> s_server;
    Strings prompt; // protocol, server and user the last password prompt showed
};

} // namespace browse_test
