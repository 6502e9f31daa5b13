// temp_dir.h — a fresh folder of a test's own under the system's temporary
// directory, removed with the object (read-only files a test left in it
// too), for every suite whose tests write files; a working folder changed
// for a while; a file's bytes.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct TempDir {
    std::filesystem::path Path;   // empty when it could not be made
    explicit TempDir(const std::string& name = "veldrune-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (name + ".XXXXXX")).string();
        if (mkdtemp(pattern.data()) != nullptr) Path = pattern;
    }
    ~TempDir() {
        if (Path.empty()) return;
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const auto& entry : fs::recursive_directory_iterator(Path, ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(Path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
};

// The working folder changed to `folder` for the object's life, then put back.
struct InFolder {
    std::filesystem::path Previous = std::filesystem::current_path();   // where the test was
    explicit InFolder(const std::filesystem::path& folder) { std::filesystem::current_path(folder); }
    ~InFolder() { std::filesystem::current_path(Previous); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;
};

// A whole file's bytes (none when it cannot be read).
inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
