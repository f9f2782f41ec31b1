// The calls that pass the modal seam: boxes show their string, an OK-only box answers OK,
// file dialogs add the filter's extension, and the shell opens existing files only.
#include "gui_support/GuiTest.h"

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"

#include <QFile>
#include <QTemporaryDir>

namespace modal = platform::modal;

namespace {

class SeamTest : public gui::GuiTest {
protected:
    bool NeedsLibrary() const override { return false; }
};

constexpr UINT kQuestion = MB_OKCANCEL | MB_ICONQUESTION;
constexpr const char* kFilter = "Sendera (*.sd)|*.sd||";

TEST_F(SeamTest, BoxesShowTheirStringAndOkOnlyBoxesAnswerOk) {
    for (int answer : {IDOK, IDCANCEL, IDCANCEL, IDOK})
        modal::QueueMessageBox(answer);
    EXPECT_EQ(AfxMessageBox(161, kQuestion), IDOK);
    EXPECT_EQ(AfxMessageBox(144, kQuestion), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(147, MB_ICONEXCLAMATION), IDOK) << "however it was closed";
    EXPECT_EQ(AfxFormatMessageBox(125, kQuestion, "C"), IDOK);
    ASSERT_EQ(ShownBoxIds(), (std::vector<UINT>{161, 144, 147, 125}));
    EXPECT_EQ(Shown()[0].text, "現在のデータを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[3].text, "C というアカウントを削除してもよろしいですか？");
    ExpectNoUnexpectedModals();
}

TEST_F(SeamTest, FileDialogAddsTheFilterExtensionToANameWithout) {
    struct Case {
        const char* chosen;
        const char* defExt;
        const char* filter;
        const char* path;
    };
    const Case cases[] = {
        {"/tmp/yamada - bbs", "", kFilter, "/tmp/yamada - bbs.sd"},
        {"/tmp/kept.txt", "", kFilter, "/tmp/kept.txt"},
        {"/tmp/plain", nullptr, kFilter, "/tmp/plain"}, // no default extension
        {"/a/b", "", "All (*.*)|*.*||", "/a/b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        modal::QueueFile(c.chosen);
        CFileDialog dlg(FALSE, c.defExt, nullptr, OFN_HIDEREADONLY, c.filter);
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), c.path);
    }
    modal::QueueFileCancel();
    CFileDialog cancelled(TRUE, "", nullptr, OFN_HIDEREADONLY, kFilter);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetPathName(), "");
    ExpectNoUnexpectedModals();
    EXPECT_EQ(CFileDialog::ToQtFilter(kFilter), "Sendera (*.sd)");
    EXPECT_EQ(CFileDialog::ToQtFilter("Text|*.txt;*.log|All (*.*)|*.*||"),
              "Text (*.txt *.log);;All (*.*)");
}

TEST_F(SeamTest, ShellOpensExistingFilesOnly) {
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/index.htm";
    ASSERT_TRUE(QFile(QString::fromStdString(page)).open(QIODevice::WriteOnly));
    EXPECT_GT(ShellExecuteOpen(nullptr, page), 32);
    EXPECT_LE(ShellExecuteOpen(nullptr, page + ".missing"), 32);
    EXPECT_LE(ShellExecuteOpen(nullptr, dir.path().toStdString()), 32) << "a folder is no page";
    modal::QueueShellFailure();
    EXPECT_LE(ShellExecuteOpen(nullptr, page), 32) << "nothing on the desktop opened it";
    EXPECT_EQ(modal::ShownOf(modal::Kind::Shell).size(), 2u) << "only existing files go out";
    ExpectNoUnexpectedModals();
}

} // namespace
