#include "document/SaveName.h"

bool DeriveSaveName(const std::string& path, std::string& saveName) {
    const std::size_t n = path.size();
    if (n == 0 || n > kMaxBackupPathBytes)
        return false;
    // Byte-wise is safe: "?", "#" and "/" never occur inside a multibyte UTF-8 character.
    std::size_t end = path.find_first_of("?#");
    if (end == std::string::npos)
        end = n;
    std::size_t start = 0;
    if (end > 0) {
        const std::size_t slash = path.rfind('/', end - 1);
        if (slash != std::string::npos)
            start = slash + 1;
    }
    saveName = path.substr(start, end - start);
    return true;
}

namespace document {

bool IsSaveNameTaken(const std::vector<std::unique_ptr<CBackupFileEntry>>& entries,
                     const std::string& name, const CBackupFileEntry* skip) {
    for (const auto& entry : entries) {
        if (entry && entry.get() != skip && entry->m_strSaveName == name)
            return true;
    }
    return false;
}

} // namespace document
