// The MIME type of task files as a desktop sees it once the package is installed: the
// shared-mime-info database that update-mime-database builds from package/tovalo-mime.xml,
// read through Qt's QMimeDatabase (GIO reads the same mime.cache). A task file is known by
// its name, *.sd, and under any name by its content as KORVEX or another writer writes it.
#include "korvex.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr const char* kType = "application/x-sendera-task";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(MimeTest, TaskFilesAreKnownByNameAndByContent) {
    const test::TempDir data, files;
    ASSERT_FALSE(data.path.empty() || files.path.empty());
    fs::create_directories(data.path / "mime/packages");
    fs::copy_file(TOVALO_MIME_XML, data.path / "mime/packages/tovalo.xml");
    // The user's data folder comes first: the system's types stay, ours is added.
    ::setenv("XDG_DATA_HOME", data.path.c_str(), 1);
    const test::ProcessResult built =
        test::ChildProcess({"/usr/bin/update-mime-database", (data.path / "mime").string()})
            .Wait(std::chrono::seconds(60));
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_EQ(built.err, "") << "update-mime-database has no remark on the type";
    ASSERT_TRUE(fs::exists(data.path / "mime/mime.cache"));

    ::setenv("KORVEX_HOME", files.path.c_str(), 1);
    KorvexHandle h = KorvexNewInterface();
    const int doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
    const fs::path saved = files.path / "saved.sd";
    ASSERT_NE(KorvexSave(h, doc, saved.c_str(), KORVEX_SAVE_DEFAULT), 0);
    KorvexDeleteInterface(h);

    struct Case {
        std::string name, content;
        bool task;
    };
    const std::string written = ReadFile(saved);
    const Case cases[] = {
        {"saved.sd", written, true},
        {"saved", written, true},                              // by content
        {"compact", ReadFile(TOVALO_COMPACT_TASK), true},      // no spaces, another writer
        {"garbage.sd", "\x01\x02 not a task file {", true},    // by name
        {"other", R"({"format": "not-sendera"})", false},      // another JSON document
        {"text", "\"sendera-task\" is the identifier", false}, // not a JSON object
    };
    const QMimeDatabase db;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = files.path / c.name;
        if (!fs::exists(path))
            std::ofstream(path, std::ios::binary) << c.content;
        const QString type = db.mimeTypeForFile(QString::fromStdString(path.string())).name();
        EXPECT_EQ(type == kType, c.task) << type.toStdString();
    }
    const QMimeType task = db.mimeTypeForName(kType);
    EXPECT_TRUE(task.inherits("application/json"));
    EXPECT_EQ(task.globPatterns(), QStringList{"*.sd"});
}

} // namespace
