#include "app/domain/ProjectSaver.h"

#include "app/domain/SaveFileStream.h"
#include "engine/DualImage.h"
#include "engine/TempManager.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <vector>

namespace {

constexpr int64_t CopyChunk = int64_t(1) << 20;

void WriteProject(TDualImage& document, const std::string& target)
{
    TSaveFileStream out(target);
    document.SaveToStream(out);
    out.Commit();
}

// Network file systems take one large sequential write far better than the
// project stream's many small ones; the copy is a plain chunked write.
void CopyOver(const std::string& from, const std::string& to)
{
    TFileStream in(from, TFileStream::Mode::OpenRead);
    TSaveFileStream out(to);
    std::vector<char> chunk(static_cast<size_t>(CopyChunk));
    for (int64_t left = in.Size(); left > 0;) {
        const int64_t n = std::min(left, CopyChunk);
        in.ReadBuffer(chunk.data(), n);
        out.WriteBuffer(chunk.data(), n);
        left -= n;
    }
    out.Commit();
}

} // namespace

void SaveProjectFile(TDualImage& document, const std::string& fileName,
                     const std::function<bool(const std::string&)>& isRemoteDrive, TTempManager& temps)
{
    document.Compact();
    if (isRemoteDrive && isRemoteDrive(fileName)) {
        const std::string staging = temps.NewTempFileName("ovk");
        WriteProject(document, staging);
        CopyOver(staging, fileName);
    } else {
        WriteProject(document, fileName);
    }
    document.Modified = false;
}
