// The loader: platform file names, the executable's folder, the resolver seam.
#include "platform/Loader.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;

TEST(Loader, WindowsLibraryNamesMapToSharedObjects) {
    EXPECT_EQ(LibraryFileName("KORVEX.dll"), "libKORVEX.so");
    EXPECT_EQ(LibraryFileName("Other.DLL"), "libOther.so");
    EXPECT_EQ(LibraryFileName("libKORVEX.so"), "libKORVEX.so");
    EXPECT_EQ(LibraryFileName("dir/KORVEX.dll"), "dir/KORVEX.dll");
    EXPECT_EQ(LibraryFileName(".dll"), ".dll");
}

TEST(Loader, ModuleDirectoryIsTheExecutablesFolder) {
    const std::string exe = GetModuleFileName();
    ASSERT_FALSE(exe.empty());
    EXPECT_NE(exe.find("platform_test"), std::string::npos);
    const std::string dir = GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(exe.rfind(dir, 0), 0u);

    SetModuleFileNameForTesting("/opt/x/tovalo");
    EXPECT_EQ(GetModuleDirectory(), "/opt/x/");
    SetModuleFileNameForTesting({});
    EXPECT_EQ(GetModuleFileName(), exe);
}

TEST(Loader, ResolverSeesEveryLookupAndDecidesTheAnswer) {
    const std::string stub = std::string(TOVALO_STUB_DIR) + "/complete/libKORVEX.so";
    HMODULE h = LoadLibrary(stub);
    ASSERT_NE(h, nullptr);
    void* real = GetProcAddress(h, "KorvexClear");
    ASSERT_NE(real, nullptr);
    std::string seen;
    void* seenReal = nullptr;
    SetResolverForTesting([&](HMODULE, const char* name, void* r) -> void* {
        seen = name;
        seenReal = r;
        return std::strcmp(name, "KorvexClear") == 0 ? nullptr : r;
    });
    EXPECT_EQ(GetProcAddress(h, "KorvexClear"), nullptr);
    EXPECT_EQ(seen, "KorvexClear");
    EXPECT_EQ(seenReal, real);
    EXPECT_NE(GetProcAddress(h, "KorvexGetID"), nullptr);
    SetResolverForTesting({});
    EXPECT_EQ(GetProcAddress(h, "KorvexClear"), real);
    EXPECT_EQ(GetProcAddress(h, "NoSuchExport"), nullptr);
    EXPECT_TRUE(FreeLibrary(h));
}

TEST(Loader, NullArgumentsAreRefused) {
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "KorvexClear"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}
