// The main window's browse run on a large folder: from the click on Connect until every
// row is shown, with the longest pause of the event loop while the rows arrive.
//
//   TOVALO_PASSWORD=pw window_bench --port N --user U --folder /big --expect 100000 [--runs R]
//   window_bench --load N [--runs R]
//
// The second form fills the backup file list with N entries, saves them and times Load of
// that file until every row is shown: "load <seconds> save <seconds> rows <count>".
//
// Prints one line per run: "run <seconds> rows <count> stall <ms> at <ms> ui-cpu <s>" (the
// longest pause of the event loop, when it ended counted from the click, and the CPU time
// the user-interface thread used). The library is bound
// from beside the program; KORVEX_HOME is a temporary folder; the window's questions
// (133 and the password prompt) are answered through the modal seam.
#include "document/BackupFileEntry.h"
#include "library/App.h"
#include "library/Globals.h"
#include "platform/Modal.h"
#include "res/Ids.h"
#include "ui/MainDlg.h"

#include <korvex.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
    int port = 0;
    std::string user;
    std::string folder;
    long expect = -1;
    int runs = 3;
    int load = 0;
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* v = argv[i + 1];
        if (key == "--port")
            o.port = std::atoi(v);
        else if (key == "--user")
            o.user = v;
        else if (key == "--folder")
            o.folder = v;
        else if (key == "--expect")
            o.expect = std::atol(v);
        else if (key == "--runs")
            o.runs = std::atoi(v);
        else if (key == "--load")
            o.load = std::atoi(v);
        else
            return false;
    }
    if (o.load > 0)
        return true;
    return o.port > 0 && o.port < 65536 && !o.user.empty() && o.expect >= 0;
}

bool OpenLibrary() {
    int error = 0;
    if (!BindLibrary("KORVEX.dll", &theApp.m_hLibrary, &theApp.m_api, &error))
        return false;
    KorvexApi& api = theApp.m_api;
    theApp.m_hInterface = api.KorvexNewInterface();
    if (!theApp.m_hInterface)
        return false;
    api.KorvexInitialize(theApp.m_hInterface);
    theApp.m_items.store = api.KorvexNewItem(theApp.m_hInterface, KORVEX_KIND_STORE);
    theApp.m_items.record = api.KorvexNewItem(theApp.m_hInterface, KORVEX_KIND_ACCOUNT);
    theApp.m_items.proxy = api.KorvexNewItem(theApp.m_hInterface, KORVEX_KIND_PROXY);
    return true;
}

void AddAccount(const std::string& user, int port) {
    KorvexApi& api = theApp.m_api;
    KorvexHandle h = theApp.m_hInterface;
    const int record = theApp.m_items.record;
    const std::string server = "127.0.0.1:" + std::to_string(port);
    api.KorvexGetDataNum(h, record, KORVEX_FIELD_NEW_RECORD, nullptr);
    api.KorvexSetDataValue(h, record, KORVEX_FIELD_NAME, "bench");
    api.KorvexSetDataValue(h, record, KORVEX_FIELD_USER_ID, user.c_str());
    api.KorvexSetDataNum(h, record, KORVEX_FIELD_NO_PASSWORD, 1);
    api.KorvexSetDataValue(h, record, KORVEX_FIELD_HOST, server.c_str());
    api.KorvexSetDataNum(h, record, KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP);
    api.KorvexSetDataNum(h, record, KORVEX_FIELD_PASSIVE, 1);
    api.KorvexSetDataValue(h, record, KORVEX_FIELD_PROXY, "");
    api.KorvexSetDataNum(h, theApp.m_items.store, KORVEX_FIELD_STORE_APPEND, record);
}

// CPU time of the calling (user-interface) thread, in seconds.
double ThreadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Answers Connect's question with OK and its password prompt with the password; any other
// box is noted (and answered OK), any other dialog cancelled.
class Answers : public platform::modal::Handler {
public:
    std::string password;
    std::string file;
    std::vector<UINT> otherBoxes;

    int MessageBox(const std::string&, UINT, UINT id) override {
        if (id != IDS_CONFIRM_CONNECT && id != IDS_CONFIRM_NEW)
            otherBoxes.push_back(id);
        return IDOK;
    }
    std::optional<std::string> ChooseFile(const platform::modal::FileRequest&) override {
        return file;
    }
    INT_PTR RunDialog(CDialog& dlg) override {
        if (dlg.GetTemplateID() != IDD_PASSWORD || !dlg.OpenModal())
            return IDCANCEL;
        dlg.GetDlgItem(IDC_PASSWORD)->SetWindowText(password);
        dlg.SendCommand(IDOK);
        return dlg.RunModalLoop();
    }
};

double Seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Every entry of the list saved, then loaded back until the rows are painted.
int TimeLoad(CMainDlg& w, Answers& answers, const Options& o, const QTemporaryDir& home) {
    answers.file = home.filePath("large.sd").toStdString();
    w.m_editName.SetWindowText("bench");
    w.m_listAccounts.SetCurSel(0);
    for (int i = 0; i < o.load; ++i) {
        auto e = std::make_unique<CBackupFileEntry>();
        e->m_strSaveName = "file-" + std::to_string(i) + ".dat";
        e->m_strPath = "/pub/archive/日本/" + e->m_strSaveName;
        w.AppendBackupFile(std::move(e));
    }
    QElapsedTimer t;
    t.start();
    w.SaveDocument(answers.file);
    const double save = Seconds(t);
    for (int run = 0; run < o.runs; ++run) {
        w.SendCommand(IDC_NEW);
        QCoreApplication::processEvents();
        t.start();
        w.SendCommand(IDC_LOAD);
        for (QWidget* top : QApplication::topLevelWidgets())
            top->repaint();
        QCoreApplication::processEvents();
        std::printf("load %.3f save %.3f rows %d\n", Seconds(t), save,
                    w.m_listFiles.GetItemCount());
        std::fflush(stdout);
        if (w.m_listFiles.GetItemCount() != o.load || w.m_arrFiles.size() != std::size_t(o.load))
            return 1;
    }
    return answers.otherBoxes.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: window_bench --port N --user U --folder F --expect N "
                             "[--runs R]\n       window_bench --load N [--runs R]\n");
        return 2;
    }
    const char* pw = std::getenv("TOVALO_PASSWORD");
    Answers answers;
    answers.password = pw ? pw : "";
    QTemporaryDir home;
    ::setenv("KORVEX_HOME", home.path().toUtf8().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", home.path().toUtf8().constData(), 1);
    if (!OpenLibrary()) {
        std::fprintf(stderr, "libKORVEX could not be bound\n");
        return 1;
    }
    AddAccount(o.user, o.port);
    platform::modal::SetHandler(&answers);

    int status = 0;
    {
        CMainDlg w;
        theApp.m_pMainWnd = &w;
        w.Create(IDD_MAIN);
        w.SendCommand(IDC_WIZARD); // the wizard gives the panel back
        if (o.load > 0)
            status = TimeLoad(w, answers, o, home);
        for (int run = 0; o.load == 0 && run < o.runs && status == 0; ++run) {
            w.m_editFolder.SetWindowText(o.folder);

            // The longest gap between ticks of a 5 ms timer is the longest stall.
            QElapsedTimer t, tick;
            qint64 stall = 0, stallAt = 0;
            QTimer timer;
            timer.setInterval(5);
            QObject::connect(&timer, &QTimer::timeout, [&] {
                const qint64 gap = tick.restart();
                if (gap > stall) {
                    stall = gap;
                    stallAt = t.elapsed();
                }
            });

            const double cpu0 = ThreadCpu();
            t.start();
            tick.start();
            timer.start();
            w.SendCommand(IDC_BACK_OR_CONNECT);
            // A real event loop, as the application runs it: no busy polling.
            QEventLoop loop;
            QTimer done;
            done.setInterval(1);
            QObject::connect(&done, &QTimer::timeout, [&] {
                if (!w.m_bBrowsing || t.elapsed() > 600000)
                    loop.quit();
            });
            done.start();
            loop.exec();
            const double seconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
            timer.stop();
            const auto rows = static_cast<long>(w.m_arrRemote.size());
            std::printf("run %.3f rows %ld stall %lld at %lld ms ui-cpu %.3f\n", seconds, rows,
                        static_cast<long long>(stall), static_cast<long long>(stallAt),
                        ThreadCpu() - cpu0);
            std::fflush(stdout);
            if (rows != o.expect || w.m_listRemote.GetItemCount() != rows) {
                std::fprintf(stderr, "expected %ld rows\n", o.expect);
                status = 1;
            }
            for (UINT id : answers.otherBoxes) {
                std::fprintf(stderr, "message %u\n", id);
                status = 1;
            }
        }
        theApp.m_pMainWnd = nullptr;
    }
    theApp.m_api.KorvexDeleteInterface(theApp.m_hInterface);
    platform::modal::SetHandler(nullptr);
    return status;
}
