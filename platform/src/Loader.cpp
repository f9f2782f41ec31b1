#include "platform/Loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>
#include <vector>

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_moduleOverride;
Resolver g_resolver;

} // namespace

std::string LibraryFileName(const std::string& name) {
    const std::string ext = ".dll";
    if (name.size() > ext.size() && name.find('/') == std::string::npos) {
        std::string tail = name.substr(name.size() - ext.size());
        for (char& c : tail)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (tail == ext)
            return "lib" + name.substr(0, name.size() - ext.size()) + ".so";
    }
    return name;
}

std::string GetModuleFileName() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_moduleOverride.empty())
            return g_moduleOverride;
    }
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0)
        return {};
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

std::string GetModuleDirectory() {
    const std::string exe = GetModuleFileName();
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

void SetModuleFileNameForTesting(const std::string& path) {
    std::lock_guard lock(g_mutex);
    g_moduleOverride = path;
}

HMODULE LoadLibrary(const std::string& name) {
    if (name.empty())
        return nullptr;
    std::string path = name;
    if (name.find('/') == std::string::npos)
        path = GetModuleDirectory() + LibraryFileName(name);
    // RTLD_LOCAL keeps the library's symbols out of the program's namespace: it is
    // reached only through the addresses looked up by name.
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr || name == nullptr)
        return nullptr;
    void* real = ::dlsym(module, name);
    Resolver resolver;
    {
        std::lock_guard lock(g_mutex);
        resolver = g_resolver;
    }
    return resolver ? resolver(module, name, real) : real;
}

BOOL FreeLibrary(HMODULE module) {
    if (module == nullptr)
        return FALSE;
    return ::dlclose(module) == 0 ? TRUE : FALSE;
}

void SetResolverForTesting(Resolver resolver) {
    std::lock_guard lock(g_mutex);
    g_resolver = std::move(resolver);
}

} // namespace platform
