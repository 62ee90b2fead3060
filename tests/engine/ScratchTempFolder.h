// A program folder of its own for one test, with a temporary-file manager
// registered on it; both go away with the fixture. Also the pictures and
// stroke blocks that the undo tests build their steps and projects from.
#pragma once

#include "engine/Strokes.h"
#include "engine/TempManager.h"
#include "gfx/Bitmap32.h"
#include "gfx/Random.h"
#include "gfx/Stream.h"

#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class TScratchTempFolder {
public:
    TScratchTempFolder()
        : folder_(dir_.path().toStdString() + "/"), manager_(std::make_unique<TTempManager>(folder_))
    {
        SetTempManager(manager_.get());
    }
    ~TScratchTempFolder() { SetTempManager(nullptr); }

    const std::string& Folder() const { return folder_; }
    TTempManager& Manager() { return *manager_; }
    // The files now lying in the temporary folder, sorted.
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder_ + "tmp", ec))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    QTemporaryDir dir_;
    std::string folder_;
    std::unique_ptr<TTempManager> manager_;
};

// Keeps a program folder from being written, root included, while its tmp/
// can be: for root a read-only bind mount of the folder in a mount namespace
// of this process alone (tmp/ bound again, writable, beneath it), for others
// the folder's permissions. Made() is false (Reason() says why) when neither
// is possible. Goes before the folder does.
class TReadOnlyProgramFolder {
public:
    explicit TReadOnlyProgramFolder(const std::string& folder)
        : folder_(folder.substr(0, folder.find_last_not_of('/') + 1)), temp_(folder_ + "/tmp")
    {
        std::filesystem::create_directories(temp_);
        if (::geteuid() != 0) {
            made_ = ::chmod(folder_.c_str(), 0555) == 0;
            byPermissions_ = made_;
        } else {
            // tmp/ is a mount of its own first, so that the recursive bind of
            // the folder carries it along writable when the folder turns read-only.
            made_ = ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                    ::mount(temp_.c_str(), temp_.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
                    ::mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND | MS_REC, nullptr) == 0 &&
                    ::mount(nullptr, folder_.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        }
        if (!made_) reason_ = std::strerror(errno);
    }
    ~TReadOnlyProgramFolder()
    {
        if (byPermissions_) {
            ::chmod(folder_.c_str(), 0755);
        } else {
            ::umount2(folder_.c_str(), MNT_DETACH);
            ::umount2(temp_.c_str(), MNT_DETACH);
        }
    }
    TReadOnlyProgramFolder(const TReadOnlyProgramFolder&) = delete;
    TReadOnlyProgramFolder& operator=(const TReadOnlyProgramFolder&) = delete;

    bool Made() const { return made_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string folder_, temp_, reason_;
    bool made_ = false, byPermissions_ = false;
};

// A bitmap of random pixels, alpha included, from a fixed seed.
inline TBitmap32 NoiseBitmap(int32_t width, int32_t height, uint32_t seed)
{
    const uint32_t saved = RandSeed;
    RandSeed = seed;
    TBitmap32 bmp(width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            bmp.Pixel(x, y) = static_cast<TColor32>(Random(65536)) << 16 | static_cast<TColor32>(Random(65536));
    RandSeed = saved;
    return bmp;
}

inline bool SameBitmaps(const TBitmap32& a, const TBitmap32& b)
{
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits(), a.Bits() + int64_t(a.Width()) * a.Height(), b.Bits());
}

// A project stroke block holding the given records, repeats and all, written
// field by field rather than by the list under test.
inline void WriteStrokeBlock(TStream& m, const std::vector<TStrokeRecord>& strokes)
{
    m.WriteInt32(int32_t(strokes.size()));
    for (const auto& s : strokes) {
        for (const auto* edge : {&s.Left, &s.Right}) {
            m.WriteInt32(int32_t(edge->size()));
            for (const auto& p : *edge) m.WriteInt32(p.X), m.WriteInt32(p.Y);
        }
        m.WriteUInt32(s.Color);
        m.WriteUInt8(s.Opacity);
        m.WriteInt32(s.RendererID);
    }
}
