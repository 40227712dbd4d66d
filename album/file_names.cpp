#include "file_names.h"

#include <filesystem>

namespace {

std::string Folded(std::string name) {
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

} // namespace

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithTrailingSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + '/';
}

TNamesInFolder::TNamesInFolder(const std::string& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        FFolded.insert(Folded(entry.path().filename().string()));
}

bool TNamesInFolder::IsTaken(const std::string& name) const {
    return FFolded.count(Folded(name)) != 0;
}

std::string StoredFileName(const std::string& storedName) {
    const std::string name = FileNamePart(storedName);
    const bool damaged = name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos;
    return damaged ? std::string() : name;
}

std::string StoredFilePath(const std::string& folder, const std::string& storedName) {
    const std::string name = StoredFileName(storedName);
    return name.empty() ? std::string() : WithTrailingSlash(folder) + name;
}
