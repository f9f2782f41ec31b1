// The built libKORVEX.so, opened with dlopen and bound by name the way the
// application binds it, plus a fixture giving each test a private store folder.
#pragma once

#include "korvex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#define KORVEX_ENTRY_POINTS(X)                                                                     \
    X(KorvexNewInterface)                                                                          \
    X(KorvexDeleteInterface)                                                                       \
    X(KorvexGetVersion)                                                                            \
    X(KorvexCheckVersion)                                                                          \
    X(KorvexInitialize)                                                                            \
    X(KorvexClear)                                                                                 \
    X(KorvexGetName)                                                                               \
    X(KorvexSetName)                                                                               \
    X(KorvexNewItem)                                                                               \
    X(KorvexSetDataNum)                                                                            \
    X(KorvexSetDataValue)                                                                          \
    X(KorvexGetDataNum)                                                                            \
    X(KorvexGetDataValue)                                                                          \
    X(KorvexGetDataOrderedValue)                                                                   \
    X(KorvexTestData)                                                                              \
    X(KorvexGetItemNum)                                                                            \
    X(KorvexSave)                                                                                  \
    X(KorvexLoad)                                                                                  \
    X(KorvexLoadSDA)                                                                               \
    X(KorvexGetID)                                                                                 \
    X(KorvexFinalize)

struct KorvexLib {
#define KORVEX_MEMBER(name) decltype(&::name) name = nullptr;
    KORVEX_ENTRY_POINTS(KORVEX_MEMBER)
#undef KORVEX_MEMBER
    void* module = nullptr;

    // One shared binding per process; the library is never unloaded.
    static const KorvexLib& get() {
        static const KorvexLib lib = open(KORVEX_LIBRARY_PATH);
        return lib;
    }

    static KorvexLib open(const char* path) {
        KorvexLib lib;
        lib.module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (lib.module == nullptr)
            throw std::runtime_error(std::string("dlopen: ") + dlerror());
#define KORVEX_BIND(name)                                                                          \
    lib.name = reinterpret_cast<decltype(&::name)>(dlsym(lib.module, #name));                      \
    if (lib.name == nullptr)                                                                       \
        throw std::runtime_error("missing entry point " #name);
        KORVEX_ENTRY_POINTS(KORVEX_BIND)
#undef KORVEX_BIND
        return lib;
    }
};

// An interface deleted when it goes out of scope.
class ScopedInterface {
public:
    explicit ScopedInterface(const KorvexLib& lib) : m_k(lib), m_h(lib.KorvexNewInterface()) {}
    ~ScopedInterface() { m_k.KorvexDeleteInterface(m_h); }
    ScopedInterface(const ScopedInterface&) = delete;
    ScopedInterface& operator=(const ScopedInterface&) = delete;
    operator KorvexHandle() const { return m_h; }

private:
    const KorvexLib& m_k;
    KorvexHandle m_h;
};

// Gives the test its own KORVEX_HOME (a fresh folder below the system's
// temporary folder that does not exist yet) and removes it afterwards.
class KorvexTest : public ::testing::Test {
protected:
    const KorvexLib& k = KorvexLib::get();
    std::filesystem::path root;
    std::filesystem::path home;
    std::vector<KorvexHandle> opened;

    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "korvex-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        root = tmpl;
        home = root / "home" / "store";
        setenv("KORVEX_HOME", home.c_str(), 1);
    }

    void TearDown() override {
        // Deleting one the test deleted already is refused harmlessly.
        for (KorvexHandle h : opened)
            k.KorvexDeleteInterface(h);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    // A new, initialised interface, deleted at the end of the test.
    KorvexHandle open() {
        KorvexHandle h = k.KorvexNewInterface();
        EXPECT_NE(h, nullptr);
        EXPECT_NE(k.KorvexInitialize(h), 0);
        opened.push_back(h);
        return h;
    }

    std::string text(KorvexHandle h, int item, int field) {
        char buf[260] = "unchanged";
        if (k.KorvexGetDataValue(h, item, field, buf, sizeof buf) == 0)
            return "<absent>";
        return buf;
    }

    int num(KorvexHandle h, int item, int field) {
        int v = -12345;
        if (k.KorvexGetDataNum(h, item, field, &v) == 0)
            return -12345;
        return v;
    }
};

// A KorvexTest with one interface `h` of its own (not initialised: documents need no store).
class KorvexDocumentTest : public KorvexTest {
protected:
    KorvexHandle h = nullptr;

    void SetUp() override {
        KorvexTest::SetUp();
        h = k.KorvexNewInterface();
    }
    void TearDown() override {
        k.KorvexDeleteInterface(h);
        KorvexTest::TearDown();
    }

    // The children of `parent` of `kind`, in navigation order.
    std::vector<int> children(int parent, int kind) {
        std::vector<int> out;
        for (int i = 0, n = k.KorvexGetItemNum(h, parent, kind); i < n; ++i)
            out.push_back(k.KorvexGetID(h, parent, kind, i));
        return out;
    }
};
