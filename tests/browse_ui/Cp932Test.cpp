// A Japanese server that names its files in CP932, through the window: the names are
// shown readable, folders open and close by their bytes, and the task file keeps the
// server's bytes.
#include "BrowseFixture.h"

#include <fstream>

namespace browse_test {
namespace {

// "表" and "能" end in 0x5C, the byte of "\" in ASCII.
const std::string kHyo = "\x95\x5c", kNo = "\x94\x5c", kSo = "\x83\x5c";

class Cp932WindowTest : public BrowseFixture {
protected:
    static void SetUpTestSuite() {}

    // Row texts of the remote list and the bytes of the records behind them.
    static std::vector<std::pair<std::string, std::string>> Listing(CMainDlg& w) {
        std::vector<std::pair<std::string, std::string>> out;
        for (const Row& r : RemoteRows(w))
            out.emplace_back(ftp::DisplayName(r.name), r.path);
        return out;
    }
};

TEST_F(Cp932WindowTest, BrowseAddSaveAndLoadKeepTheServersBytes) {
    test::VsftpdServer server;
    const auto root = server.Root();
    std::filesystem::create_directories(root / kHyo / ("sub" + kSo));
    std::ofstream(root / (kSo + ".txt")) << "x";
    std::ofstream(root / kHyo / (kNo + ".dat")) << "x";
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        std::filesystem::permissions(e.path(), std::filesystem::perms(0755));
    ASSERT_TRUE(server.Start()) << server.Error();
    AddAccount(Account("jp", 1, test::VsftpdServer::kUser, server.Port()));
    RecordingMainDlg& w = Open();
    Connect(w);
    using Listed = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Listing(w), (Listed{{"表", "/" + kHyo}, {"ソ.txt", "/" + kSo + ".txt"}}));

    DoubleClickRow(w, kHyo);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_EQ(Text(w, IDC_FOLDER), "/表");
    EXPECT_EQ(FocusId(w), IDC_REMOTE) << "the focus is back where the run began";
    const std::string file = "/" + kHyo + "/" + kNo + ".dat";
    EXPECT_EQ(Listing(w), (Listed{{"subソ", "/" + kHyo + "/sub" + kSo}, {"能.dat", file}}));
    SelectRows(w, IDC_REMOTE, {1});
    Click(w, IDC_ADD_REMOTE);
    ASSERT_EQ(w.m_arrFiles.size(), 1u);
    EXPECT_EQ(w.m_arrFiles[0]->m_strSaveName, kNo + ".dat");

    // Parent folder from the folder shown: the run goes back up by the server's bytes.
    platform::modal::BeginScript();
    Click(w, IDC_NEXT_OR_PARENT);
    ASSERT_TRUE(WaitForRun(w));
    EXPECT_TRUE(Shown().empty()) << "no folder refused";
    EXPECT_EQ(Text(w, IDC_FOLDER), "/");

    SetText(w, IDC_NAME, "yamada");
    const std::string path = KorvexHome() + "/jp.sd";
    w.SaveDocument(path);
    EXPECT_TRUE(Shown().empty());
    platform::modal::BeginScript();
    platform::modal::QueueFile(path);
    Click(w, IDC_LOAD);
    ASSERT_EQ(w.m_arrFiles.size(), 1u);
    EXPECT_EQ(w.m_arrFiles[0]->m_strPath, file);
    EXPECT_EQ(w.m_arrFiles[0]->m_strSaveName, kNo + ".dat");
    EXPECT_EQ(Rows(w, IDC_FILES).at(0).at(0), "能.dat");
    EXPECT_EQ(Rows(w, IDC_FILES).at(0).at(3), "/表/能.dat");
}

} // namespace
} // namespace browse_test
