// What the file tests of the command module share: a scratch folder, whole
// files as bytes, the message of an error, and (from common/) the file-size
// limit that makes a write fail part-way.
#pragma once

#include "common/FileSizeLimit.h"
#include "gfx/Errors.h"

#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

class TScratchFolder {
public:
    std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
    // Every entry of the folder, sorted by name.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_.path().toStdString()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    QTemporaryDir dir_;
};

// The message of the EngineError the action raises, or "(no error)".
inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EngineError& e) {
        return e.what();
    }
    return "(no error)";
}

inline std::string ReadFileBytes(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& fileName, const std::string& bytes)
{
    std::ofstream(fileName, std::ios::binary) << bytes;
}
