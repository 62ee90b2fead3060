// Makes a folder the process's current directory for one scope and puts the
// old one back: the load log lies in the current directory, and a test that
// loads bad files keeps its log in its own scratch folder.
#pragma once

#include <filesystem>
#include <string>

class TCurrentFolderScope {
public:
    explicit TCurrentFolderScope(const std::string& folder) : saved_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~TCurrentFolderScope()
    {
        std::error_code ec;
        std::filesystem::current_path(saved_, ec);
    }
    TCurrentFolderScope(const TCurrentFolderScope&) = delete;
    TCurrentFolderScope& operator=(const TCurrentFolderScope&) = delete;

private:
    std::filesystem::path saved_;
};
