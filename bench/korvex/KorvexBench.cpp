// Save and load of a document with 10,000 file items in a GET and an MGET
// list, through the C entry points (linked from the core), goal < 30 ms each;
// and of the largest document the format allows (100,000 items), with a walk
// over every file as the window's Load makes it, goal well under 0.5 s.
#include "korvex.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Everything but the document, task, server and two lists.
constexpr int kLargest = 100000 - 5;

struct Fixture {
    KorvexHandle h = KorvexNewInterface();
    int doc = -1;
    std::filesystem::path dir;
    std::string path;

    explicit Fixture(int files) {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "korvex-bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            std::abort();
        dir = tmpl;
        path = (dir / "bench.sd").string();
        doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
        KorvexSetDataValue(h, doc, KORVEX_FIELD_NAME, "yamada - bench");
        KorvexSetDataNum(h, doc, KORVEX_FIELD_DOCUMENT_TYPE, KORVEX_DOCUMENT_TYPE);
        KorvexSetDataValue(h, doc, KORVEX_FIELD_USER_NAME, "yamada");
        KorvexSetDataValue(h, doc, KORVEX_FIELD_COMMENT, "Orvane Tovaloで作成したSenderaです");
        const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
        KorvexSetDataValue(h, task, KORVEX_FIELD_NAME, "タスク");
        KorvexSetDataNum(h, task, KORVEX_FIELD_ARCHIVE, KORVEX_ARCHIVE_NONE);
        KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, "yamada\\bench");
        KorvexSetDataNum(h, task, KORVEX_FIELD_TASK_OPTION, KORVEX_TASK_OPTION_DEFAULT);
        KorvexSetDataNum(h, doc, KORVEX_FIELD_DOCUMENT_TASK, task);
        const int server = KorvexNewItem(h, KORVEX_KIND_SERVER);
        KorvexSetDataValue(h, server, KORVEX_FIELD_NAME, "FTP サーバー");
        KorvexSetDataValue(h, server, KORVEX_FIELD_HOST, "ftp.example.org");
        KorvexSetDataNum(h, server, KORVEX_FIELD_SERVER_TYPE, KORVEX_SERVER_TYPE_FTP);
        KorvexSetDataValue(h, server, KORVEX_FIELD_ACCOUNT, "account");
        KorvexSetDataNum(h, task, KORVEX_FIELD_TASK_SERVER, server);
        for (int l = 0; l < 2; ++l) {
            const int list = KorvexNewItem(h, KORVEX_KIND_FILELIST);
            KorvexSetDataValue(h, list, KORVEX_FIELD_NAME,
                               l == 0 ? "ファイルリスト(GET)" : "ファイルリスト(MGET)");
            KorvexSetDataNum(h, list, KORVEX_FIELD_LIST_METHOD,
                             l == 0 ? KORVEX_LIST_GET : KORVEX_LIST_MGET);
            KorvexSetDataNum(h, server, KORVEX_FIELD_SERVER_LIST, list);
            for (int i = l == 0 ? 0 : files / 2; i < (l == 0 ? files / 2 : files); ++i) {
                const int file = KorvexNewItem(h, KORVEX_KIND_FILE);
                const std::string n = std::to_string(i);
                KorvexSetDataValue(h, file, KORVEX_FIELD_SAVE_NAME, ("file-" + n + ".dat").c_str());
                KorvexSetDataValue(h, file, KORVEX_FIELD_PATH,
                                   ("/pub/archive/日本/file-" + n + ".dat").c_str());
                KorvexSetDataNum(h, file, KORVEX_FIELD_MODE,
                                 i % 2 == 0 ? KORVEX_MODE_BIN : KORVEX_MODE_TEXT);
                KorvexSetDataNum(h, list, KORVEX_FIELD_LIST_FILE, file);
            }
        }
    }
    ~Fixture() {
        KorvexDeleteInterface(h);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

void BM_Save(benchmark::State& state) {
    Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (KorvexSave(f.h, f.doc, f.path.c_str(), KORVEX_SAVE_DEFAULT) == 0)
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(f.path));
}
BENCHMARK(BM_Save)->Arg(10000)->Arg(kLargest)->Unit(benchmark::kMillisecond);

// Every file's path and save name, read as the window reads them.
int WalkFiles(KorvexHandle h) {
    const int doc = KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0);
    const int server =
        KorvexGetID(h, KorvexGetID(h, doc, KORVEX_KIND_TASK, 0), KORVEX_KIND_SERVER, 0);
    int files = 0;
    char buffer[KORVEX_TEXT_BUFFER];
    for (int l = 0; l < KorvexGetItemNum(h, server, KORVEX_KIND_FILELIST); ++l) {
        const int list = KorvexGetID(h, server, KORVEX_KIND_FILELIST, l);
        const int n = KorvexGetItemNum(h, list, KORVEX_KIND_FILE);
        for (int i = 0; i < n; ++i, ++files) {
            const int file = KorvexGetID(h, list, KORVEX_KIND_FILE, i);
            KorvexGetDataValue(h, file, KORVEX_FIELD_PATH, buffer, sizeof buffer);
            KorvexGetDataValue(h, file, KORVEX_FIELD_SAVE_NAME, buffer, sizeof buffer);
        }
    }
    return files;
}

void BM_Load(benchmark::State& state) {
    const int files = static_cast<int>(state.range(0));
    const bool walk = state.range(1) != 0;
    Fixture f(files);
    if (KorvexSave(f.h, f.doc, f.path.c_str(), KORVEX_SAVE_DEFAULT) == 0)
        std::abort();
    KorvexHandle target = KorvexNewInterface();
    for (auto _ : state) {
        if (KorvexLoad(target, f.path.c_str()) == 0)
            state.SkipWithError("load failed");
        if (walk)
            benchmark::DoNotOptimize(WalkFiles(target));
    }
    if (WalkFiles(target) != files)
        state.SkipWithError("wrong number of files loaded");
    KorvexDeleteInterface(target);
}
BENCHMARK(BM_Load)
    ->ArgsProduct({{10000, kLargest}, {0, 1}})
    ->ArgNames({"files", "walk"})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
