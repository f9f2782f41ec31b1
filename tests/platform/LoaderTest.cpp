// The loader: platform file names, the executable's folder, loading from a given folder.
#include "platform/Loader.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace platform;

TEST(Loader, WindowsLibraryNamesMapToSharedObjects) {
    EXPECT_EQ(LibraryFileName("KORVEX.dll"), "libKORVEX.so");
    EXPECT_EQ(LibraryFileName("Other.DLL"), "libOther.so");
    EXPECT_EQ(LibraryFileName("libKORVEX.so"), "libKORVEX.so");
    EXPECT_EQ(LibraryFileName("dir/KORVEX.dll"), "dir/KORVEX.dll");
    EXPECT_EQ(LibraryFileName(".dll"), ".dll");
}

TEST(Loader, ModuleDirectoryIsTheExecutablesFolder) {
    const std::string dir = GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "platform_test"));
}

TEST(Loader, BareNamesLoadFromTheGivenFolderAndMissingNamesGiveNull) {
    HMODULE h = LoadLibrary("KORVEX.dll", std::string(TOVALO_STUB_DIR) + "/complete/");
    ASSERT_NE(h, nullptr);
    EXPECT_NE(GetProcAddress(h, "KorvexClear"), nullptr);
    EXPECT_EQ(GetProcAddress(h, "NoSuchExport"), nullptr);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(LoadLibrary("KORVEX.dll", std::string(TOVALO_STUB_DIR) + "/"), nullptr);
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "KorvexClear"), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}
