// Every kind of save meeting a disk that fills up: result images (JPEG, BMP,
// TIFF), projects, PostScript, styles and patterns. Whichever byte the disk
// refuses, from the first to the last, the save fails with a message naming
// the file and the system's reason, the earlier file stays byte for byte, no
// temporary file is left, and what was being saved still counts as unsaved.
#include "app/domain/ProjectSaver.h"
#include "app/domain/ResultImage.h"

#include "FileTestSupport.h"
#include "engine/Patterns.h"
#include "engine/SmallDrawing.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>

namespace {

// Detail that no encoder squeezes much.
TBitmap32 Busy(int32_t w, int32_t h)
{
    TBitmap32 bmp(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) bmp.Pixel(x, y) = Color32(uint8_t(x * y), uint8_t(x * 31 ^ y * 17), uint8_t(x + y * y));
    return bmp;
}

struct TSaveKind {
    std::string Name;
    std::string Extension;
    std::function<void(const std::string&)> Save;
    // Marks the thing saved as changed, and tells whether it still is; empty
    // where a save keeps no mark.
    std::function<void()> Touch;
    std::function<bool()> Unsaved;
};

class TSaveKinds : protected TSmallDrawing {
protected:
    TSaveKinds()
    {
        Step(30);
        doc->Compact(); // so that every project save writes the same bytes
        pattern.SetName("spiral");
        auto frame = std::make_unique<TPatternFrame>();
        frame->AddCurve(TBezier{{10, 100}, {60, 40}, {150, 160}, {200, 100}});
        frame->AddCurve(TBezier{{20, 20}, {30, 190}, {170, 10}, {190, 180}});
        pattern.AddPatternFrame(std::move(frame));
        style.SetName("fine pen");
    }

    std::vector<TSaveKind> Kinds()
    {
        const auto local = [](const std::string&) { return false; };
        return {
            {"JPEG", ".jpg", [this](const std::string& f) { SaveResultImage(Busy(40, 30), f, 200.0); }, {}, {}},
            {"BMP", ".bmp", [this](const std::string& f) { SaveResultImage(Busy(20, 16), f, 200.0); }, {}, {}},
            {"TIFF", ".tif", [this](const std::string& f) { SaveResultImage(Busy(30, 20), f, 200.0); }, {}, {}},
            {"PostScript", ".ps", [this](const std::string& f) { doc->ExportPostScript(f); }, {}, {}},
            {"project", ".ovk", [this, local](const std::string& f) { SaveProjectFile(*doc, f, local, temp.Manager()); },
             [this] { doc->Modified = true; }, [this] { return doc->Modified; }},
            {"style", ".gst", [this](const std::string& f) { style.SaveToFile(f); },
             [this] { style.SetModified(true); }, [this] { return style.Modified(); }},
            {"pattern", ".stk", [this](const std::string& f) { pattern.SaveToFile(f); },
             [this] { pattern.SetModified(true); }, [this] { return pattern.Modified(); }},
        };
    }

    TScratchFolder dir;
    TPattern pattern;
};

class SaveFailureTest : public ::testing::TestWithParam<std::string>, protected TSaveKinds {
protected:
    TSaveKind Kind()
    {
        for (TSaveKind& kind : Kinds())
            if (kind.Name == GetParam()) return kind;
        throw std::logic_error("no save kind " + GetParam());
    }
};

class FullFileSystemTest : public ::testing::Test, protected TSaveKinds {};

// Where a file is cut: every byte of its last 2 KiB (the whole of the last
// buffered write, the one whose failure used to be lost, for all but the
// largest files) and 512 bytes spread over the rest.
std::vector<int64_t> CutsOf(int64_t size)
{
    std::set<int64_t> cuts;
    const int64_t tail = std::max<int64_t>(0, size - 2048);
    for (int64_t at = tail; at < size; ++at) cuts.insert(at);
    for (int64_t i = 0; i < 512 && tail > 0; ++i) cuts.insert(tail * i / 512);
    return {cuts.begin(), cuts.end()};
}

} // namespace

TEST_P(SaveFailureTest, AFileSizeLimitAtAnyByteFailsWithTheReasonAndKeepsTheEarlierFile)
{
    const TSaveKind kind = Kind();
    const std::string whole = dir.Path("whole" + kind.Extension), kept = dir.Path("kept" + kind.Extension);
    kind.Save(whole);
    const std::string expected = ReadFileBytes(whole);
    ASSERT_FALSE(expected.empty());
    WriteFileBytes(kept, "earlier " + kind.Name);
    const std::vector<std::string> entries = dir.Entries();
    int failures = 0;
    for (const int64_t cut : CutsOf(static_cast<int64_t>(expected.size()))) {
        if (kind.Touch) kind.Touch();
        std::string error;
        {
            FileSizeLimit limit(static_cast<rlim_t>(cut));
            error = ErrorOf([&] { kind.Save(kept); });
        }
        const bool ok = error == "Could not write " + kept + ": File too large" &&
                        ReadFileBytes(kept) == "earlier " + kind.Name && dir.Entries() == entries &&
                        (!kind.Unsaved || kind.Unsaved());
        // One line for the first few failures, not thousands.
        if (!ok && ++failures <= 3)
            ADD_FAILURE() << "cut at " << cut << " of " << expected.size() << ": " << error
                          << (kind.Unsaved && !kind.Unsaved() ? " (marked saved)" : "");
    }
    EXPECT_EQ(failures, 0);
    // With room again the same save writes the whole file.
    kind.Save(kept);
    EXPECT_EQ(ReadFileBytes(kept), expected);
    EXPECT_FALSE(kind.Unsaved && kind.Unsaved());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SaveFailureTest,
                         ::testing::Values("JPEG", "BMP", "TIFF", "PostScript", "project", "style", "pattern"),
                         [](const auto& info) { return info.param; });

// A real full file system: a small tmpfs mounted in a mount namespace of this
// process alone, filled up to a few pages short of each file.
TEST_F(FullFileSystemTest, AFullFileSystemFailsWithItsReasonAndKeepsTheEarlierFile)
{
    const std::string mountPoint = dir.Path("disk");
    std::filesystem::create_directory(mountPoint);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
    const long page = ::sysconf(_SC_PAGESIZE);
    for (const TSaveKind& kind : Kinds()) {
        SCOPED_TRACE(kind.Name);
        kind.Save(dir.Path("whole" + kind.Extension));
        const auto size = static_cast<long>(std::filesystem::file_size(dir.Path("whole" + kind.Extension)));
        const std::string kept = mountPoint + "/kept" + kind.Extension, filler = mountPoint + "/filler";
        WriteFileBytes(kept, "earlier " + kind.Name);
        // Fill the disk, then free the pages the file would want but one.
        {
            std::ofstream fill(filler, std::ios::binary);
            const std::string block(static_cast<size_t>(page), 'x');
            while (fill.write(block.data(), page)) {}
        }
        const auto full = static_cast<long>(std::filesystem::file_size(filler));
        std::filesystem::resize_file(filler, static_cast<uintmax_t>(std::max(0L, full - (size - 1) / page * page)));

        if (kind.Touch) kind.Touch();
        EXPECT_EQ(ErrorOf([&] { kind.Save(kept); }), "Could not write " + kept + ": No space left on device");
        EXPECT_EQ(ReadFileBytes(kept), "earlier " + kind.Name);
        EXPECT_TRUE(!kind.Unsaved || kind.Unsaved());
        std::set<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(mountPoint)) left.insert(e.path().filename());
        EXPECT_EQ(left, (std::set<std::string>{"filler", "kept" + kind.Extension}));
        std::filesystem::remove(filler);
        std::filesystem::remove(kept);
    }
    ::umount2(mountPoint.c_str(), MNT_DETACH);
}
