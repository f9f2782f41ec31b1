// The modal seam: message boxes, file dialogs and the shell answer from the script and are
// recorded.
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

// Boxes take the queued answers in order; an OK-only box answers OK whatever was queued; a
// formatted box keeps its string ID.
TEST_F(SeamTest, BoxesTakeTheQueuedAnswersInOrder) {
    for (int answer : {IDOK, IDCANCEL, IDCANCEL, IDOK})
        modal::QueueMessageBox(answer);
    EXPECT_EQ(AfxMessageBox(161, kQuestion), IDOK);
    EXPECT_EQ(AfxMessageBox(144, kQuestion), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(147, MB_ICONEXCLAMATION), IDOK);
    AfxFormatMessageBox(125, kQuestion, "C");
    ASSERT_EQ(Shown().size(), 4u);
    EXPECT_EQ(Shown()[0].id, 161u);
    EXPECT_EQ(Shown()[0].style, kQuestion);
    EXPECT_EQ(Shown()[0].text, "現在のデータを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[1].text, "終了しますか？");
    EXPECT_EQ(Shown()[1].result, IDCANCEL);
    EXPECT_EQ(Shown()[2].text, "名前は必ず入力してください");
    EXPECT_EQ(Shown()[3].id, 125u);
    EXPECT_EQ(Shown()[3].text, "C というアカウントを削除してもよろしいですか？");
    EXPECT_EQ(Shown()[3].result, IDOK);
    EXPECT_EQ(modal::Pending(), 0u);
    ExpectNoUnexpectedModals();
}

TEST_F(SeamTest, UnqueuedOrMismatchedInteractionsAreRecordedAsErrors) {
    EXPECT_EQ(AfxMessageBox(144, kQuestion), IDCANCEL) << "the safe answer";
    EXPECT_EQ(modal::Errors().size(), 1u);
    EXPECT_FALSE(Shown().back().expected);

    modal::BeginScript();
    modal::QueueFile("/tmp/a.sd");
    EXPECT_EQ(AfxMessageBox(131, kQuestion), IDCANCEL);
    EXPECT_EQ(modal::Errors().size(), 1u);
    EXPECT_EQ(modal::Pending(), 1u);
    modal::BeginScript();
}

TEST_F(SeamTest, SaveDialogAddsTheFilterExtensionToANameWithout) {
    modal::QueueFile("/tmp/yamada - bbs");
    CFileDialog dlg(FALSE, "", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter);
    dlg.SetFileName("yamada - bbs");
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetPathName(), "/tmp/yamada - bbs.sd");
    const auto rec = Shown().back();
    EXPECT_EQ(rec.kind, modal::Kind::FileSave);
    EXPECT_EQ(rec.text, "yamada - bbs");
    EXPECT_EQ(rec.filter, kFilter);
    EXPECT_EQ(rec.style, static_cast<UINT>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(rec.path, "/tmp/yamada - bbs.sd");

    modal::QueueFile("/tmp/kept.txt");
    CFileDialog withExt(FALSE, "", nullptr, OFN_HIDEREADONLY, kFilter);
    withExt.DoModal();
    EXPECT_EQ(withExt.GetPathName(), "/tmp/kept.txt");

    modal::QueueFile("/tmp/plain");
    CFileDialog noDefExt(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, kFilter);
    noDefExt.DoModal();
    EXPECT_EQ(noDefExt.GetPathName(), "/tmp/plain")
        << "without a default extension nothing is added";

    modal::QueueFileCancel();
    CFileDialog cancelled(TRUE, "", nullptr, OFN_HIDEREADONLY, kFilter);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.GetPathName(), "");
    EXPECT_EQ(Shown().back().kind, modal::Kind::FileOpen);
    ExpectNoUnexpectedModals();
}

TEST_F(SeamTest, FiltersConvertToQtsForm) {
    EXPECT_EQ(CFileDialog::ToQtFilter(kFilter), "Sendera (*.sd)");
    EXPECT_EQ(CFileDialog::ToQtFilter("Text|*.txt;*.log|All (*.*)|*.*||"),
              "Text (*.txt *.log);;All (*.*)");
    EXPECT_EQ(CFileDialog::ApplyDefaultExtension("/a/b", "All (*.*)|*.*||", true), "/a/b");
    EXPECT_EQ(CFileDialog::ApplyDefaultExtension("/a.d/b", kFilter, true), "/a.d/b.sd");
}

TEST_F(SeamTest, ShellOpensExistingFilesOnly) {
    QTemporaryDir dir;
    const std::string page = dir.path().toStdString() + "/index.htm";
    QFile f(QString::fromStdString(page));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_GT(ShellExecuteOpen(nullptr, page), 32);
    EXPECT_LE(ShellExecuteOpen(nullptr, page + ".missing"), 32);
    EXPECT_LE(ShellExecuteOpen(nullptr, dir.path().toStdString()), 32) << "a folder is no page";
    modal::QueueShellFailure();
    EXPECT_LE(ShellExecuteOpen(nullptr, page), 32);
    EXPECT_EQ(modal::ShownOf(modal::Kind::Shell).size(), 4u);
    ExpectNoUnexpectedModals();
}

} // namespace
