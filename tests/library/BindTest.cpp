// Binding the library: success, a missing file, and a missing entry point
// at every position of the binding order.
#include "library/KorvexApi.h"
#include "platform/Loader.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

const std::string kStubs = TOVALO_STUB_DIR;
const std::string kComplete = kStubs + "/complete/libKORVEX.so"; // every entry point

class BindTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (module)
            platform::FreeLibrary(module);
    }
    HMODULE module = nullptr;
    KorvexApi api;
    int error = -7;
};

TEST_F(BindTest, FillsEverySlotWithTheExportOfThatName) {
    ASSERT_TRUE(BindLibrary(kComplete.c_str(), &module, &api, &error));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(error, -7) << "success leaves the error code alone";
    for (std::size_t i = 0; i < kKorvexEntryNames.size(); ++i)
        EXPECT_EQ(KorvexApiSlot(api, i), ::dlsym(module, kKorvexEntryNames[i])) << i;
}

TEST_F(BindTest, BareNameIsLookedForInTheLoadersFolderOnly) {
    // The current directory holds a library of that name; the executable's folder does not.
    const auto cwd = std::filesystem::current_path();
    const std::string emptyDir = kStubs + "/../stub_empty_dir";
    std::filesystem::create_directories(emptyDir);
    LibraryLoader loader;
    loader.directory = emptyDir + "/";
    std::filesystem::current_path(kStubs + "/complete");
    const BOOL bound = BindLibrary("KORVEX.dll", &module, &api, &error, loader);
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(bound);
    EXPECT_EQ(error, kBindErrorNotLoadable);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(api.KorvexNewInterface, nullptr);

    // In the loader's folder it is found, whatever the current directory.
    loader.directory = kStubs + "/complete/";
    EXPECT_TRUE(BindLibrary("KORVEX.dll", &module, &api, &error, loader));
}

TEST_F(BindTest, MissingEntryPointAtEveryPositionGivesThatPosition) {
    const std::string& path = kComplete;
    for (std::size_t missing = 0; missing < kKorvexEntryNames.size(); ++missing) {
        SCOPED_TRACE(kKorvexEntryNames[missing]);
        LibraryLoader loader;
        loader.lookup = [missing](HMODULE module, const char* name) {
            return std::strcmp(name, kKorvexEntryNames[missing]) == 0
                       ? nullptr
                       : platform::GetProcAddress(module, name);
        };
        KorvexApi table;
        HMODULE h = nullptr;
        int err = 0;
        EXPECT_FALSE(BindLibrary(path.c_str(), &h, &table, &err, loader));
        EXPECT_EQ(err, static_cast<int>(missing) + 1);
        EXPECT_EQ(h, nullptr);
        // Slots bound before the failure keep their values.
        for (std::size_t i = 0; i < kKorvexEntryNames.size(); ++i)
            EXPECT_EQ(KorvexApiSlot(table, i) != nullptr, i < missing) << "slot " << i;
        EXPECT_FALSE(test::IsResident(path)) << "the library is unloaded after the failure";
    }
}

} // namespace
