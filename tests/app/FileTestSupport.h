// What the file tests of the command module share: a scratch folder, whole
// files as bytes, and a cap on the size of files this process may write, which
// makes any write fail part-way (also for root, whom folder permissions do not
// stop).
#pragma once

#include "gfx/Errors.h"

#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
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

// While it lives, no file of this process may grow beyond `bytes`: writes
// beyond fail with EFBIG (the signal that would kill the process is ignored).
class TFileSizeCap {
public:
    explicit TFileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = saved_;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~TFileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    TFileSizeCap(const TFileSizeCap&) = delete;
    TFileSizeCap& operator=(const TFileSizeCap&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};
