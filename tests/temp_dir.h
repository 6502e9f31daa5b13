// temp_dir.h — a fresh folder of a test's own under the system's temporary
// directory, removed with the object (read-only files a test left in it
// too), for every suite whose tests write files.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

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
