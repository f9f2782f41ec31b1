// Running out of memory inside the library: the call fails instead of letting
// std::bad_alloc unwind into its C caller, and what it would change stays.
#include "KorvexTest.hpp"

#include <dlfcn.h>

#include <cstring>
#include <new>

namespace {

// Allocations until the one that fails, once; negative: none fails. The shared
// library binds to this program's operator new.
long g_allocationsLeft = -1;

} // namespace

void* operator new(std::size_t size) {
    if (g_allocationsLeft >= 0 && g_allocationsLeft-- == 0)
        throw std::bad_alloc();
    // Forwarded, so the sanitizers still track every allocation.
    static const auto next = reinterpret_cast<void* (*)(std::size_t)>(dlsym(RTLD_NEXT, "_Znwm"));
    return next(size);
}

namespace {

using OutOfMemoryTest = KorvexTest;

TEST_F(OutOfMemoryTest, EveryFailedAllocationFailsTheCallAndChangesNothing) {
    const int doc = KorvexNewItem(h, KORVEX_KIND_DOCUMENT);
    const int task = KorvexNewItem(h, KORVEX_KIND_TASK);
    ASSERT_NE(KorvexSetDataNum(h, doc, KORVEX_FIELD_DOCUMENT_TASK, task), 0);
    ASSERT_NE(KorvexSetDataValue(h, doc, KORVEX_FIELD_NAME, "old"), 0);
    ASSERT_NE(KorvexSetDataValue(h, task, KORVEX_FIELD_FOLDER, "yamada\\bbs"), 0);
    std::filesystem::create_directory(root / "save");
    const auto saved = root / "save" / "task.sd";
    std::ofstream(saved) << "previous";

    const std::string newFile = R"({"format": "sendera-task", "version": 1, "document": {
        "kind": 1, "fields": {"1011": "new"}, "children": [{"kind": 2}]}})";

    char buf[KORVEX_TEXT_BUFFER];
    struct Case {
        const char* call;
        std::function<int()> run;
        std::function<void()> failed; // checks what a failed run left behind
    };
    const Case cases[] = {
        {"save", [&] { return KorvexSave(h, doc, saved.c_str(), KORVEX_SAVE_DEFAULT); },
         [&] {
             EXPECT_EQ(test::ReadFile(saved), "previous");
             EXPECT_EQ(namesIn(root / "save"), std::vector<std::string>{"task.sd"});
         }},
        {"read",
         [&] {
             std::memset(buf, 'x', sizeof buf);
             return KorvexGetDataOrderedValue(h, task, KORVEX_FIELD_FOLDER, 1, buf, sizeof buf);
         },
         [&] { EXPECT_EQ(buf[0], '\0'); }},
        {"load", [&] { return KorvexLoadSDA(h, newFile.data(), static_cast<int>(newFile.size())); },
         [&] {
             EXPECT_EQ(KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), doc);
             EXPECT_EQ(KorvexGetItemNum(h, doc, KORVEX_KIND_TASK), 1);
             EXPECT_EQ(KorvexGetID(h, doc, KORVEX_KIND_TASK, 0), task);
             EXPECT_EQ(text(h, doc, KORVEX_FIELD_NAME), "old");
         }},
    };
    for (const Case& c : cases) {
        // Fail the first allocation, then the second, ... until the call
        // gets through without reaching the failing one.
        long failedRuns = 0;
        for (;; ++failedRuns) {
            g_allocationsLeft = failedRuns;
            const int result = c.run();
            const bool injected = g_allocationsLeft < 0;
            g_allocationsLeft = -1;
            if (!injected) {
                EXPECT_NE(result, 0) << c.call;
                break;
            }
            EXPECT_EQ(result, 0) << c.call << ", allocation " << failedRuns;
            c.failed();
        }
        EXPECT_GT(failedRuns, 0) << c.call << " allocates nothing: the failures never reached it";
    }
    EXPECT_NE(test::ReadFile(saved), "previous");
    EXPECT_STREQ(buf, "bbs");
    EXPECT_EQ(text(h, KorvexGetID(h, -1, KORVEX_KIND_DOCUMENT, 0), KORVEX_FIELD_NAME), "new");
}

} // namespace
