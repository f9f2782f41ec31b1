#include "platform/Loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace platform {

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

std::string GetModuleDirectory() {
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    const std::string exe(buf.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

HMODULE LoadLibrary(const std::string& name, const std::string& directory) {
    if (name.empty())
        return nullptr;
    const std::string path =
        name.find('/') == std::string::npos ? directory + LibraryFileName(name) : name;
    // RTLD_LOCAL keeps the library's symbols out of the program's namespace: it is
    // reached only through the addresses looked up by name.
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* GetProcAddress(HMODULE module, const char* name) {
    return module && name ? ::dlsym(module, name) : nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    return module && ::dlclose(module) == 0 ? TRUE : FALSE;
}

} // namespace platform
