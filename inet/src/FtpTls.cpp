// Fingerprints, and the TLS module loaded on first use.
#include "FtpTls.hpp"

#include <cctype>
#include <filesystem>
#include <vector>

#include <dlfcn.h>

namespace inet {

std::optional<std::string> CanonicalFingerprint(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (c == ':')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)) || digits.size() == 64)
            return std::nullopt;
        digits.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (digits.size() != 64)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        if (i)
            out.push_back(':');
        out.append(digits, i, 2);
    }
    return out;
}

namespace detail {
namespace {

struct Module {
    NewTlsContextFn entry = nullptr;
    std::string error; // why there is no entry
};

// Beside the program, as in the build tree and the installed program's own folder; then
// the installed folder, for programs installed elsewhere (tovalo-ls in /usr/bin).
std::vector<std::filesystem::path> ModuleCandidates() {
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        paths.push_back(exe.parent_path() / kTlsModuleFile);
    paths.push_back(std::filesystem::path(TOVALO_TLS_MODULE_DIR) / kTlsModuleFile);
    return paths;
}

Module LoadModule() {
    Module m;
    for (const std::filesystem::path& path : ModuleCandidates()) {
        std::error_code missing;
        if (!std::filesystem::exists(path, missing))
            continue;
        // Never closed: contexts and links made by it may live until the end.
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = ::dlerror();
            m.error = why ? why : path.string() + ": cannot be loaded";
            return m;
        }
        m.entry = reinterpret_cast<NewTlsContextFn>(::dlsym(handle, kTlsModuleEntry));
        if (!m.entry)
            m.error = path.string() + ": no entry point";
        return m;
    }
    m.error = std::string(kTlsModuleFile) + " not found";
    return m;
}

} // namespace

std::unique_ptr<TlsContext> NewTlsContext(std::string& error) {
    static const Module module = LoadModule(); // once, whichever thread comes first
    if (!module.entry) {
        error = "TLS unavailable: " + module.error;
        return nullptr;
    }
    return std::unique_ptr<TlsContext>(module.entry(&error));
}

} // namespace detail
} // namespace inet
