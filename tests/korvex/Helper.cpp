// Second process for the store tests: drives the shared store of the same
// user (KORVEX_HOME from the environment) through the built library.
#include "korvex.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

template <typename F> F bind(void* module, const char* name) {
    auto f = reinterpret_cast<F>(dlsym(module, name));
    if (f == nullptr) {
        std::fprintf(stderr, "missing %s\n", name);
        std::exit(3);
    }
    return f;
}

// Waits (bounded) until the starter file exists, so several helpers start
// writing at the same moment.
bool waitFor(const char* path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    struct stat st {};
    while (stat(path, &st) != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    void* m = dlopen(KORVEX_LIBRARY_PATH, RTLD_NOW);
    if (m == nullptr || argc < 2)
        return 3;
    auto newInterface = bind<decltype(&KorvexNewInterface)>(m, "KorvexNewInterface");
    auto initialize = bind<decltype(&KorvexInitialize)>(m, "KorvexInitialize");
    auto newItem = bind<decltype(&KorvexNewItem)>(m, "KorvexNewItem");
    auto setNum = bind<decltype(&KorvexSetDataNum)>(m, "KorvexSetDataNum");
    auto setValue = bind<decltype(&KorvexSetDataValue)>(m, "KorvexSetDataValue");
    auto getNum = bind<decltype(&KorvexGetDataNum)>(m, "KorvexGetDataNum");
    auto getValue = bind<decltype(&KorvexGetDataValue)>(m, "KorvexGetDataValue");
    auto itemNum = bind<decltype(&KorvexGetItemNum)>(m, "KorvexGetItemNum");
    auto testData = bind<decltype(&KorvexTestData)>(m, "KorvexTestData");
    auto setName = bind<decltype(&KorvexSetName)>(m, "KorvexSetName");
    auto deleteInterface = bind<decltype(&KorvexDeleteInterface)>(m, "KorvexDeleteInterface");

    KorvexHandle h = newInterface();
    if (initialize(h) == 0)
        return 4;
    const int store = newItem(h, KORVEX_KIND_STORE);
    const std::string cmd = argv[1];

    auto append = [&](int kind, const std::string& name) {
        const int record = newItem(h, kind);
        getNum(h, record, 0, nullptr);
        setValue(h, record, 1011, name.c_str());
        setValue(h, record, 1302, "ftp.example.org");
        return setNum(h, store, 1014, record) != 0;
    };

    int rc = 0;
    if (cmd == "append" && argc >= 5) {
        // append KIND PREFIX COUNT [STARTER]
        if (argc >= 6 && !waitFor(argv[5]))
            return 5;
        const int kind = std::atoi(argv[2]);
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i)
            if (!append(kind, std::string(argv[3]) + std::to_string(i)))
                rc = 2;
    } else if (cmd == "name" && argc >= 3) {
        rc = setName(h, argv[2]) != 0 ? 0 : 2;
    } else if (cmd == "delete" && argc >= 3) {
        // delete the first account with that name
        const int record = newItem(h, KORVEX_KIND_ACCOUNT);
        setNum(h, store, 1901, 0);
        rc = 2;
        for (int i = 0, n = itemNum(h, store, KORVEX_KIND_ACCOUNT); i < n; ++i) {
            char buf[260];
            if (testData(h, store, 1304, i, record) != 0 &&
                getValue(h, record, 1011, buf, sizeof buf) != 0 && std::strcmp(buf, argv[2]) == 0) {
                rc = setNum(h, store, 1015, record) != 0 ? 0 : 2;
                break;
            }
        }
    } else if (cmd == "append-then-hang" && argc >= 3) {
        // Reports the append, then waits to be killed without any clean-up.
        if (!append(KORVEX_KIND_ACCOUNT, argv[2]))
            return 2;
        std::fputs("appended\n", stdout);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 6;
    } else {
        rc = 3;
    }
    deleteInterface(h);
    return rc;
}
