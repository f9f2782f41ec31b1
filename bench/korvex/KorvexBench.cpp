// Save and load of a document with 10,000 file items in a GET and an MGET
// list, through the C entry points (linked from the core). Goal: < 30 ms each.
#include "korvex.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kFiles = 10000;

struct Fixture {
    KorvexHandle h = KorvexNewInterface();
    int doc = -1;
    std::filesystem::path dir;
    std::string path;

    Fixture() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "korvex-bench-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr)
            std::abort();
        dir = tmpl;
        path = (dir / "bench.sd").string();
        doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
        KorvexSetDataValue(h, doc, 1011, "yamada - bench");
        KorvexSetDataNum(h, doc, 1101, 111);
        KorvexSetDataValue(h, doc, 1701, "yamada");
        KorvexSetDataValue(h, doc, 1702, "Orvane Tovaloで作成したSenderaです");
        const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
        KorvexSetDataValue(h, task, 1011, "タスク");
        KorvexSetDataNum(h, task, 1201, 121);
        KorvexSetDataValue(h, task, 1202, "yamada\\bench");
        KorvexSetDataNum(h, task, 1203, 1);
        KorvexSetDataNum(h, doc, 1102, task);
        const int server = KorvexNewItem(h, KORVEX_KIND_SERVER);
        KorvexSetDataValue(h, server, 1011, "FTP サーバー");
        KorvexSetDataValue(h, server, 1302, "ftp.example.org");
        KorvexSetDataNum(h, server, 1301, 131);
        KorvexSetDataValue(h, server, 1304, "account");
        KorvexSetDataNum(h, task, 1207, server);
        for (int l = 0; l < 2; ++l) {
            const int list = KorvexNewItem(h, KORVEX_KIND_FILELIST);
            KorvexSetDataValue(h, list, 1011,
                               l == 0 ? "ファイルリスト(GET)" : "ファイルリスト(MGET)");
            KorvexSetDataNum(h, list, 1303, l == 0 ? 141 : 142);
            KorvexSetDataNum(h, server, 1306, list);
            for (int i = 0; i < kFiles / 2; ++i) {
                const int file = KorvexNewItem(h, KORVEX_KIND_FILE);
                const std::string n = std::to_string(l * kFiles / 2 + i);
                KorvexSetDataValue(h, file, 1501, ("file-" + n + ".dat").c_str());
                KorvexSetDataValue(h, file, 1502, ("/pub/archive/日本/file-" + n + ".dat").c_str());
                KorvexSetDataNum(h, file, 1403, 151 + i % 2);
                KorvexSetDataNum(h, list, 1404, file);
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
    Fixture f;
    for (auto _ : state) {
        if (KorvexSave(f.h, f.doc, f.path.c_str(), 1) == 0)
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(f.path));
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
    Fixture f;
    if (KorvexSave(f.h, f.doc, f.path.c_str(), 1) == 0)
        std::abort();
    KorvexHandle target = KorvexNewInterface();
    for (auto _ : state) {
        if (KorvexLoad(target, f.path.c_str()) == 0)
            state.SkipWithError("load failed");
    }
    const int doc = KorvexGetID(target, -1, KORVEX_KIND_DOCUMENT, 0);
    const int server =
        KorvexGetID(target, KorvexGetID(target, doc, KORVEX_KIND_TASK, 0), KORVEX_KIND_SERVER, 0);
    int files = 0;
    for (int l = 0; l < 2; ++l)
        files += KorvexGetItemNum(target, KorvexGetID(target, server, KORVEX_KIND_FILELIST, l),
                                  KORVEX_KIND_FILE);
    if (files != kFiles)
        state.SkipWithError("wrong number of files loaded");
    KorvexDeleteInterface(target);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
