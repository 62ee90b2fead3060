#include "engine/Utils.h"

#include "engine/GTypes.h"
#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"
#include "gfx/NumberText.h"
#include "gfx/Stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSize>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/vfs.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

// --- Bezier arrays ------------------------------------------------------------

void WriteBeziers(TStream& stream, std::span<const TBezier> beziers)
{
    for (const TBezier& b : beziers)
        for (const TPoint& p : {b.P0, b.P1, b.P2, b.P3}) {
            stream.WriteInt32(p.X);
            stream.WriteInt32(p.Y);
        }
}

void ReadBeziers(TStream& stream, std::span<TBezier> beziers)
{
    stream.RequireBytes(static_cast<int64_t>(beziers.size()), BezierRecordSize, "Bezier data is truncated");
    for (TBezier& b : beziers)
        for (TPoint& p : BezierPoints(b)) {
            p.X = stream.ReadInt32();
            p.Y = stream.ReadInt32();
        }
}

// --- JPEG ---------------------------------------------------------------------

namespace {

// The picture size that a JPEG's frame header declares, read from the
// marker segments without decoding anything; none when no frame header comes
// before the scan data. Stray bytes between segments are passed over, as the
// decoder passes them over.
std::optional<QSize> DeclaredJPEGSize(const QByteArray& bytes)
{
    const auto at = [&](qsizetype i) { return static_cast<uint8_t>(bytes[i]); };
    const qsizetype n = bytes.size();
    if (n < 4 || at(0) != 0xFF || at(1) != 0xD8) return std::nullopt;
    qsizetype i = 2;
    while (i + 3 < n) {
        if (at(i) != 0xFF) {
            ++i;
            continue;
        }
        const uint8_t marker = at(i + 1);
        if (marker == 0xFF) {  // fill byte
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no segment
            i += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return std::nullopt;  // scan or end before any frame
        const qsizetype length = at(i + 2) << 8 | at(i + 3);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || i + 8 >= n) return std::nullopt;
            return QSize(at(i + 7) << 8 | at(i + 8), at(i + 5) << 8 | at(i + 6));
        }
        if (length < 2) return std::nullopt;
        i += 2 + length;
    }
    return std::nullopt;
}

// Decodes the rest of the stream; with an expected size, only a picture that
// declares exactly that size is decoded, so that a few bytes of header
// cannot make the decoder allocate whatever they claim.
bool LoadJPEG(TBitmap32& dest, TStream& stream, const std::optional<QSize>& expected)
{
    QByteArray bytes(static_cast<qsizetype>(std::max<int64_t>(stream.Remaining(), 0)), Qt::Uninitialized);
    stream.ReadBuffer(bytes.data(), bytes.size());
    if (expected) {
        const std::optional<QSize> declared = DeclaredJPEGSize(bytes);
        if (!declared) throw EngineError("JPEG error: no picture size before the image data");
        if (*declared != *expected) return false;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull()) throw EngineError("JPEG error: " + reader.errorString().toStdString());
    const TBitmap32 decoded = TBitmap32::FromImage(image);
    dest.SetSize(decoded.Width(), decoded.Height());
    std::copy_n(decoded.Bits(), static_cast<size_t>(decoded.Width()) * decoded.Height(), dest.Bits());
    return true;
}

} // namespace

void LoadJPEGFromStream(TBitmap32& dest, TStream& stream) { LoadJPEG(dest, stream, std::nullopt); }

bool LoadJPEGOfSizeFromStream(TBitmap32& dest, TStream& stream, int32_t width, int32_t height)
{
    return LoadJPEG(dest, stream, QSize(width, height));
}

void SaveJPEGToStream(const TBitmap32& src, TStream& stream, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(std::clamp(quality, 1, 100));
    // Alpha is data, not coverage: passed over rather than blended over black.
    if (!writer.write(src.WrapAsOpaqueImage()))
        throw EngineError("JPEG error: " + writer.errorString().toStdString());
    stream.WriteBuffer(bytes.constData(), bytes.size());
}

// --- Folders and files ----------------------------------------------------------

std::string GetProgramFolder()
{
    std::error_code ec;
    fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec || folder.empty()) folder = fs::current_path(ec);
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

std::string GetTempFolder(const std::string& programFolder) { return programFolder + "tmp"; }

namespace {

bool SameLetter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Iterative wildcard match with one back-tracking point for the last "*".
bool WildcardMatch(const std::string& name, const std::string& mask)
{
    size_t n = 0, m = 0, starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && SameLetter(mask[m], name[n])))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

bool EntryExists(const std::string& path)
{
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

} // namespace

bool MatchesMask(const std::string& name, const std::string& mask)
{
    return mask == "*.*" || WildcardMatch(name, mask);
}

std::vector<std::string> GetFiles(const std::string& dir, const std::string& mask)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (MatchesMask(name, mask)) names.push_back(std::move(name));
    }
    // The platform lists in no fixed order, and list order decides what is selected.
    std::sort(names.begin(), names.end());
    for (std::string& name : names) name.insert(0, dir);
    return names;
}

void DeleteFiles(std::string dir, const std::string& mask)
{
    // An empty folder name must never turn into "/" and empty the root.
    if (dir.empty()) return;
    if (dir.back() != '/') dir += '/';
    for (const std::string& path : GetFiles(dir, mask)) {
        std::error_code ec;
        if (fs::symlink_status(path, ec).type() == fs::file_type::directory) continue;
        fs::remove(path, ec);
    }
}

std::string PadNumber(int64_t n, int width)
{
    std::string text = std::to_string(n);
    if (static_cast<int>(text.size()) < width) text.append(static_cast<size_t>(width) - text.size(), '0');
    return text;
}

std::string MakeUniqueFileName(std::string dir, const std::string& prefix, std::string ext)
{
    if (dir.empty()) dir = GetProgramFolder();
    std::error_code ec;
    if (!fs::is_directory(dir, ec) && !fs::create_directory(dir, ec)) throw EngineError("Cannot Create " + dir);
    if (ext.empty() || ext.front() != '.') ext = "." + ext;
    if (dir.back() != '/') dir += '/';

    int64_t n = 0;
    int width = 4;
    std::string candidate;
    do {
        candidate = dir + prefix + PadNumber(n, width) + ext;
        ++n;
        if (static_cast<int>(std::to_string(n).size()) > width) ++width;
    } while (EntryExists(candidate));
    return candidate;
}

namespace {

// statfs f_type values of network file systems (linux/magic.h and the
// file systems' own headers).
constexpr long RemoteFileSystems[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x73757245,  // CODA
    0x564C,      // NCP
    0x01021997,  // 9P
    0x00C36400,  // Ceph
};

} // namespace

bool IsRemoteDrive(const std::string& path)
{
    if (path.empty()) return false;
    std::error_code ec;
    fs::path probe = fs::absolute(path, ec);
    if (ec) return false;
    // A file about to be written does not exist yet: ask about its folder.
    while (!EntryExists(probe.string())) {
        if (!probe.has_relative_path()) return false;
        probe = probe.parent_path();
    }
    struct statfs info {};
    if (::statfs(probe.c_str(), &info) != 0) return false;
    const long type = static_cast<long>(info.f_type);
    return std::find(std::begin(RemoteFileSystems), std::end(RemoteFileSystems), type) != std::end(RemoteFileSystems);
}

std::string FormatByteSize(int64_t size)
{
    struct Unit {
        int64_t bytes;
        const char* name;
    };
    for (const Unit& unit : {Unit{1073741824, " Gb"}, Unit{1048576, " Mb"}, Unit{1024, " Kb"}})
        if (size / unit.bytes >= 1) return FormatGeneral(static_cast<double>(size) / unit.bytes, 5) + unit.name;
    return std::to_string(size) + " bytes";
}

// --- Log ------------------------------------------------------------------------

namespace {

constexpr int LogAttempts = 3;
constexpr std::chrono::milliseconds LogRetryPause{20};

void WriteAll(int fd, const std::string& text, const std::string& fileName)
{
    if (const int error = WriteWhole(fd, text)) {
        ::close(fd);
        throw EngineError("Cannot write \"" + fileName + "\". " + std::strerror(error));
    }
}

} // namespace

void AppendLog(const std::string& fileName, const std::string& line)
{
    // The log may be held open by someone else for a moment; never wait for ever.
    // Opening a FIFO for writing would wait for a reader: without blocking,
    // one that nobody reads is refused like a log that cannot be opened.
    int fd = -1;
    for (int attempt = 1; fd < 0; ++attempt) {
        fd = ::open(fileName.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
        if (fd >= 0) break;
        if (attempt >= LogAttempts)
            throw EngineError("Cannot open \"" + fileName + "\". " + std::strerror(errno));
        std::this_thread::sleep_for(LogRetryPause);
    }
    EndNonBlocking(fd);
    WriteAll(fd, line + "\r\n", fileName);
    if (::close(fd) != 0) throw EngineError("Cannot write \"" + fileName + "\". " + std::strerror(errno));
}

void LogException(const std::string& fileName, const std::exception& e)
{
    AppendLog(LogFileName, fileName + ": " + e.what());
}
