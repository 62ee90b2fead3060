// Temporary names, the list file, clean-up after a normal end and after a
// crash, and bitmaps that swap out to disk and back.
#include "engine/CompressedBitmap.h"
#include "engine/Dialogs.h"
#include "engine/Strokes.h"
#include "engine/TempManager.h"
#include "ScratchTempFolder.h"
#include "common/FifoWatch.h"

#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

void Touch(const std::string& name, const std::string& text = "x")
{
    std::ofstream(name, std::ios::binary) << text;
}

std::string ReadText(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

bool IsPlainFile(const std::string& name) { return fs::symlink_status(name).type() == fs::file_type::regular; }

// What a caller does with a name: writes its file.
void WriteAsACallerDoes(const std::string& name)
{
    TFileStream file(name, TFileStream::Mode::Create);
    file.WriteBuffer("data", 4);
    file.Close();
}

class TRecordingDialogs final : public IDialogs {
public:
    void ShowMessage(const std::string& c, const std::string& t, TMessageKind k) override
    {
        caption = c, text = t, kind = k;
    }
    TAnswer Ask(const std::string&, const std::string&, bool) override { return TAnswer::No; }
    std::string caption, text;
    TMessageKind kind = TMessageKind::Information;
};

} // namespace

TEST(TempManager, HandsOutNumberedNamesPastExistingFiles)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    TTempManager manager(folder);
    EXPECT_EQ(manager.NewTempFileName("tsk"), folder + "tmp/00000000.tsk");
    // One counter for every extension.
    EXPECT_EQ(manager.NewTempFileName("bmp"), folder + "tmp/00000001.bmp");
    Touch(folder + "tmp/00000002.ovk");
    EXPECT_EQ(manager.NewTempFileName("ovk"), folder + "tmp/00000003.ovk");
    EXPECT_EQ(manager.Counter(), 4);
    // The list is rewritten whole after every name, one full path a line.
    EXPECT_EQ(ReadText(folder + "TempManager.log"),
              folder + "tmp/00000000.tsk\r\n" + folder + "tmp/00000001.bmp\r\n" + folder + "tmp/00000003.ovk\r\n");
}

TEST(TempManager, NormalEndLeavesNoListAndNoFolder)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    {
        TTempManager manager(folder);
        Touch(manager.NewTempFileName("tsk"));
        Touch(manager.NewTempFileName("bmp"));
        manager.NewTempFileName("ovk");  // never created: its deletion fails quietly
    }
    EXPECT_FALSE(fs::exists(folder + "TempManager.log"));
    EXPECT_FALSE(fs::exists(folder + "tmp"));
}

TEST(TempManager, FolderWithFilesOfOthersStays)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    {
        TTempManager manager(folder);
        Touch(manager.NewTempFileName("tsk"));
        Touch(folder + "tmp/notes.txt");
    }
    EXPECT_TRUE(fs::exists(folder + "tmp/notes.txt"));
    EXPECT_FALSE(fs::exists(folder + "tmp/00000000.tsk"));
}

TEST(TempManager, CrashCleanupDeletesOnlyNumberedNamesOfTheFolder)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    fs::create_directories(folder + "tmp/sub");
    const std::string left = folder + "tmp/00000005.tsk", bigger = folder + "tmp/123456789.bmp";
    const std::vector<std::string> kept = {folder + "precious.txt", folder + "tmp/0000001.tsk",
                                           folder + "tmp/sub/00000001.tsk", folder + "tmp/00000001.",
                                           folder + "tmp/abcdefgh.tsk", folder + "tmp/sub/../00000009.tsk"};
    for (const auto& name : kept) Touch(name);
    Touch(left);
    Touch(bigger);
    std::string list = left + "\r\n" + bigger + "\n" + folder + "tmp/../precious.txt\n";
    for (const auto& name : kept) list += name + "\n";
    list += "\n/etc/passwd\n" + folder + "tmp/00000006.tsk";  // listed, already gone; no final line break
    Touch(folder + "TempManager.log", list);

    TTempManager manager(folder);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_FALSE(fs::exists(bigger));
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(name)) << name;
    EXPECT_FALSE(fs::exists(folder + "TempManager.log"));

    // The old names left the list with their files (or as already gone).
    const std::string name = manager.NewTempFileName("tsk");
    EXPECT_EQ(name, folder + "tmp/00000000.tsk");
    EXPECT_EQ(ReadText(folder + "TempManager.log"), name + "\r\n");
}

// Names someone else put in the program folder or tmp/: symbolic links as the
// list or as the next temporary name, dangling or naming a file elsewhere.
// Nothing is ever written through them.
TEST(TempManager, NothingIsWrittenThroughPlantedLinks)
{
    struct TCase {
        const char* Name;
        const char* Planted;  // under the program folder
        const char* Target;   // in the folder elsewhere; "kept.txt" exists there
        bool WhileRunning;    // planted after the first name, else before the start
        const char* FirstName;
    };
    for (const TCase& c : {TCase{"the list linked to a file elsewhere", "TempManager.log", "kept.txt", true, "00000000"},
                           TCase{"the list a dangling link", "TempManager.log", "made.txt", false, "00000000"},
                           TCase{"the list a dangling link, while running", "TempManager.log", "made.txt", true,
                                 "00000000"},
                           TCase{"the next name a dangling link", "tmp/00000000.tsk", "made.tsk", false, "00000001"},
                           TCase{"the next name linked to a file elsewhere", "tmp/00000000.tsk", "kept.txt", false,
                                 "00000001"},
                           TCase{"a later name a dangling link", "tmp/00000001.bmp", "made.bmp", true, "00000000"},
                           TCase{"a staged list left behind, linked elsewhere", "TempManager.log.new", "kept.txt",
                                 false, "00000000"}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir, elsewhere;
        const std::string folder = dir.path().toStdString() + "/", outside = elsewhere.path().toStdString() + "/";
        Touch(outside + "kept.txt", "precious");
        fs::create_directories(folder + "tmp");
        auto plant = [&] {
            fs::remove(folder + c.Planted);
            fs::create_symlink(outside + c.Target, folder + c.Planted);
        };
        if (!c.WhileRunning) plant();
        std::vector<std::string> names;
        {
            TTempManager manager(folder);
            names.push_back(manager.NewTempFileName("tsk"));
            WriteAsACallerDoes(names.back());
            if (c.WhileRunning) plant();
            names.push_back(manager.NewTempFileName("bmp"));
            WriteAsACallerDoes(names.back());

            EXPECT_EQ(names[0], folder + "tmp/" + c.FirstName + ".tsk");
            for (const auto& name : names) EXPECT_TRUE(IsPlainFile(name)) << name;
            EXPECT_TRUE(IsPlainFile(folder + "TempManager.log"));
            EXPECT_EQ(ReadText(folder + "TempManager.log"), names[0] + "\r\n" + names[1] + "\r\n");
            EXPECT_EQ(Entries(outside), std::set<std::string>{"kept.txt"});
            EXPECT_EQ(ReadText(outside + "kept.txt"), "precious");
        }
        EXPECT_EQ(Entries(outside), std::set<std::string>{"kept.txt"});
        EXPECT_EQ(ReadText(outside + "kept.txt"), "precious");
        for (const auto& name : names) EXPECT_FALSE(fs::exists(fs::symlink_status(name))) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder + "TempManager.log.new")));
    }
}

// A FIFO as the list, made before the start or while the program runs: no
// step waits on it for a writer, and the list written afterwards takes its
// place.
TEST(TempManager, AFifoAsTheListHoldsNothingUp)
{
    for (const bool whileRunning : {false, true}) {
        SCOPED_TRACE(whileRunning ? "while running" : "before the start");
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/", list = folder + "TempManager.log";
        auto plant = [&] {
            fs::remove(list);
            ASSERT_EQ(::mkfifo(list.c_str(), 0644), 0);
        };
        if (!whileRunning) plant();
        {
            TTempManager manager(folder);
            const std::string first = manager.NewTempFileName("tsk");
            if (whileRunning) plant();
            const std::string second = manager.NewTempFileName("bmp");
            EXPECT_TRUE(IsPlainFile(list));
            EXPECT_EQ(ReadText(list), first + "\r\n" + second + "\r\n");
        }
        EXPECT_FALSE(fs::exists(fs::symlink_status(list)));
    }
}

// A name that cannot be made or a list that cannot be written fails with the
// file and the system's reason, and leaves nothing half-made beside the list.
TEST(TempManager, FailuresNameTheFileAndTheReason)
{
    struct TCase {
        const char* Name;
        std::function<void(const std::string& folder)> Break;
        const char* Message;  // after "Cannot create file \"<folder>"
        std::set<std::string> Left;
    };
    for (const TCase& c :
         {TCase{"tmp/ deleted", [](const std::string& f) { fs::remove_all(f + "tmp"); },
                "tmp/00000001.tsk\". No such file or directory", {"TempManager.log"}},
          TCase{"the list a folder",
                [](const std::string& f) {
                    fs::remove(f + "TempManager.log");
                    fs::create_directory(f + "TempManager.log");
                },
                "TempManager.log\". Is a directory", {"TempManager.log", "tmp"}}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        TTempManager manager(folder);
        manager.NewTempFileName("tsk");
        c.Break(folder);
        try {
            manager.NewTempFileName("tsk");
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + folder + c.Message);
        }
        EXPECT_EQ(Entries(folder), c.Left);
    }
}

// A tmp/ linked to a folder elsewhere (a larger disk, the system's temporary
// folder) is used, but only the manager's own names are deleted there: after
// a crash those its list names, at the end those it handed out. The link and
// the folder stay.
TEST(TempManager, ALinkedTempFolderLosesOnlyTheManagersOwnFiles)
{
    for (const bool othersFiles : {true, false}) {
        SCOPED_TRACE(othersFiles ? "with files of others" : "empty");
        QTemporaryDir dir, elsewhere;
        const std::string folder = dir.path().toStdString() + "/", linked = elsewhere.path().toStdString() + "/";
        std::set<std::string> others;
        if (othersFiles) others = {"holiday.jpg", "notes.txt"};
        for (const auto& name : others) Touch(linked + name);
        fs::create_directory_symlink(linked, folder + "tmp");
        Touch(linked + "00000005.bmp");
        Touch(folder + "TempManager.log", folder + "tmp/00000005.bmp\r\n");
        {
            TTempManager manager(folder);
            EXPECT_EQ(Entries(linked), others);
            const std::string name = manager.NewTempFileName("tsk");
            EXPECT_EQ(name, folder + "tmp/00000000.tsk");
            EXPECT_TRUE(IsPlainFile(linked + "00000000.tsk"));
        }
        EXPECT_TRUE(fs::is_symlink(folder + "tmp"));
        EXPECT_EQ(Entries(linked), others);
        EXPECT_FALSE(fs::exists(folder + "TempManager.log"));
    }
}

// Two program folders whose tmp/ link to one folder: a number one of them
// freed may be the other's next file, and neither its end, nor its next
// start after a crash, nor its list in the shared folder costs the other
// anything.
TEST(TempManager, TwoProgramFoldersSharingALinkedTmpKeepEachOthersFiles)
{
    QTemporaryDir a, b, shared;
    const std::string folderA = a.path().toStdString() + "/", folderB = b.path().toStdString() + "/",
                      linked = shared.path().toStdString() + "/";
    for (const std::string& folder : {folderA, folderB}) fs::create_directory_symlink(linked, folder + "tmp");
    std::string crashList, ofB;
    auto first = std::make_unique<TTempManager>(folderA);
    SetTempManager(first.get());
    auto dropped = std::make_unique<TStrokes>(first->NewTempFileName("tsk"));
    const std::string live = first->NewTempFileName("bmp");
    dropped.reset();  // an undo step dropped while running
    SetTempManager(nullptr);
    EXPECT_EQ(first->Files(), std::vector<std::string>{live});
    {
        TTempManager other(folderB);
        ofB = other.NewTempFileName("tsk");
        WriteAsACallerDoes(ofB);
        EXPECT_EQ(ofB, folderB + "tmp/00000000.tsk");  // the number the first freed
        crashList = ReadText(folderA + "TempManager.log");
        EXPECT_EQ(crashList, live + "\r\n");
        first.reset();  // ends normally
        EXPECT_EQ(ReadText(linked + "00000000.tsk"), "data");
        // The other folder's list and its staged copy in the shared folder,
        // and the list the first would have left had it been killed.
        Touch(linked + "TempManager.log", ofB + "\r\n");
        Touch(linked + "TempManager.log.new", "being written");
        Touch(folderA + "TempManager.log", crashList);
        TTempManager again(folderA);
        EXPECT_EQ(Entries(linked), (std::set<std::string>{"00000000.tsk", "TempManager.log", "TempManager.log.new"}));
    }
}

// A name leaves the list before its file goes, so a kill at any moment
// never leaves a freed number listed: a batch deletes nothing until its
// end, then writes the list once, whole, and deletes the files; where the
// list cannot be written the files stay, listed, until the end of the run.
TEST(TempManager, FilesFreedTogetherLeaveTheListBeforeTheyGo)
{
    for (const bool listWritable : {true, false}) {
        SCOPED_TRACE(listWritable ? "list writable" : "list blocked");
        TScratchTempFolder scratch;
        TTempManager& manager = scratch.Manager();
        std::vector<std::string> names;
        for (int i = 0; i < 4; ++i) Touch(names.emplace_back(manager.NewTempFileName(i % 2 ? "bmp" : "tsk")));
        const std::string list = manager.LogName(), all = ReadText(list);
        if (!listWritable) {
            // Neither in place (the list is a copy now) nor anew.
            fs::copy_file(list, list + ".copy");
            fs::rename(list + ".copy", list);
            fs::create_directory(list + ".new");
        }
        {
            TTempFileBatch batch, inner;
            for (const int i : {2, 0, 2}) DeleteTempFile(names[i]);
            EXPECT_EQ(ReadText(list), all);
            EXPECT_TRUE(fs::exists(names[0]) && fs::exists(names[2]));
        }
        EXPECT_EQ(manager.Files(), listWritable ? std::vector<std::string>({names[1], names[3]}) : names);
        EXPECT_EQ(ReadText(list), listWritable ? names[1] + "\r\n" + names[3] + "\r\n" : all);
        EXPECT_EQ(fs::exists(names[0]), !listWritable);
        // A name handed out afterwards is added to what the list holds.
        fs::remove(list + ".new");
        const std::string before = ReadText(list), next = manager.NewTempFileName("tsk");
        EXPECT_EQ(ReadText(list), before + next + "\r\n");
        manager.Cleanup();
        EXPECT_EQ(scratch.TempFiles(), std::vector<std::string>{});
    }
}

// The list's own names that cannot be used: a list too large for any run is
// unreadable, like a FIFO, and is replaced; a folder in the list's place
// sends the list into tmp/; one in both places stops the start in a box.
TEST(TempManager, AListNameThatCannotBeUsedIsPassedOverOrRefused)
{
    struct TCase {
        const char* Name;
        std::function<void(const std::string& folder)> Plant;
        const char* LogName;  // empty: refused, naming the program folder's list
    };
    const auto folderAt = [](const std::string& name) { fs::create_directories(name); };
    for (const TCase& c : {TCase{"a sparse list of 64 GiB",
                                 [](const std::string& f) {
                                     Touch(f + "tmp/00000003.tsk");
                                     Touch(f + "TempManager.log", f + "tmp/00000003.tsk\r\n");
                                     fs::resize_file(f + "TempManager.log", uintmax_t(64) << 30);
                                 },
                                 "TempManager.log"},
                           TCase{"a folder as the list", [&](const std::string& f) { folderAt(f + "TempManager.log"); },
                                 "tmp/TempManager.log"},
                           TCase{"a folder as the list in both places",
                                 [&](const std::string& f) {
                                     folderAt(f + "TempManager.log");
                                     folderAt(f + "tmp/TempManager.log");
                                 },
                                 ""}}) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString() + "/";
        fs::create_directories(folder + "tmp");
        c.Plant(folder);
        TRecordingDialogs dialogs;
        SetDialogs(&dialogs);
        if (*c.LogName == '\0') {
            EXPECT_THROW(TTempManager manager(folder), SilentAbort);
            EXPECT_EQ(dialogs.caption, "File access denied");
            EXPECT_EQ(dialogs.text, "Error creating the file:\n\r" + folder + "TempManager.log");
        } else {
            TTempManager manager(folder);
            EXPECT_EQ(manager.LogName(), folder + c.LogName);
            EXPECT_TRUE(manager.Files().empty());
            const std::string name = manager.NewTempFileName("tsk");
            EXPECT_EQ(ReadText(folder + c.LogName), name + "\r\n");
            EXPECT_TRUE(dialogs.caption.empty());
        }
        SetDialogs(nullptr);
    }
}

// Lists left by a crash in either place, the program folder or tmp/, are both
// read: their files go, and their names with them. So in a linked tmp/ where
// both name a file that cannot be deleted (a folder has its name): a list
// naming a file of this folder's is this folder's, and none is left behind.
TEST(TempManager, CrashListsInBothPlacesAreCleaned)
{
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "linked tmp/, both naming a folder" : "own tmp/");
        QTemporaryDir dir, elsewhere;
        const std::string folder = dir.path().toStdString() + "/";
        const std::string temp = linked ? elsewhere.path().toStdString() + "/" : folder + "tmp/";
        if (linked) fs::create_directory_symlink(temp, folder + "tmp");
        else fs::create_directories(temp);
        const std::string inFolder = folder + (linked ? "tmp/00000013.bmp" : "tmp/00000003.tsk");
        const std::string inTemp = folder + (linked ? "tmp/00000013.bmp" : "tmp/00000004.bmp");
        if (linked) fs::create_directory(inFolder);
        else Touch(inFolder), Touch(inTemp);
        Touch(folder + "TempManager.log", inFolder + "\r\n");
        Touch(temp + "TempManager.log", inTemp + "\r\n");
        const std::set<std::string> left = linked ? std::set<std::string>{"00000013.bmp"} : std::set<std::string>{};
        {
            TTempManager manager(folder);
            EXPECT_EQ(Entries(folder), std::set<std::string>{"tmp"});
            EXPECT_EQ(Entries(temp), left);
            const std::string name = manager.NewTempFileName("tsk");
            EXPECT_EQ(manager.LogName(), folder + "TempManager.log");
            EXPECT_EQ(ReadText(folder + "TempManager.log"), (linked ? inFolder + "\r\n" : "") + name + "\r\n");
        }
        for (const std::string& list : {folder, temp}) EXPECT_FALSE(fs::exists(list + "TempManager.log")) << list;
    }
}

// A program folder that cannot be written with a tmp/ that can: the list
// lives in tmp/, is read from there after a crash and goes at the end.
TEST(TempManager, TheListLivesInTmpWhenTheProgramFolderCannotBeWritten)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    fs::create_directories(folder + "tmp");
    const std::string left = folder + "tmp/00000002.bmp";
    Touch(left);
    Touch(folder + "tmp/TempManager.log", left + "\r\n");
    TReadOnlyProgramFolder readOnly(folder);
    if (!readOnly.Made()) GTEST_SKIP() << "cannot make a read-only folder here: " << readOnly.Reason();
    std::string name;
    {
        TTempManager manager(folder);
        EXPECT_FALSE(fs::exists(left));
        EXPECT_EQ(manager.LogName(), folder + "tmp/TempManager.log");
        name = manager.NewTempFileName("tsk");
        EXPECT_EQ(name, folder + "tmp/00000000.tsk");
        WriteAsACallerDoes(name);
        EXPECT_EQ(ReadText(folder + "tmp/TempManager.log"), name + "\r\n");
        EXPECT_FALSE(fs::exists(folder + "TempManager.log"));
    }
    EXPECT_FALSE(fs::exists(name));
    EXPECT_FALSE(fs::exists(folder + "tmp/TempManager.log"));
}

TEST(TempManager, FolderThatCannotBeMadeShowsABoxAndAbortsSilently)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    Touch(folder + "tmp");  // a file where the folder should go
    TRecordingDialogs dialogs;
    SetDialogs(&dialogs);
    EXPECT_THROW(TTempManager manager(folder), SilentAbort);
    SetDialogs(nullptr);
    EXPECT_EQ(dialogs.caption, "File access denied");
    EXPECT_EQ(dialogs.text, "Error creating the folder:\n\r" + folder + "tmp/");
    EXPECT_EQ(dialogs.kind, TMessageKind::Warning);
}

TEST(TempManager, EngineAsksForTheRegisteredManager)
{
    SetTempManager(nullptr);
    EXPECT_THROW(TempManager(), EngineError);
    TScratchTempFolder scratch;
    EXPECT_EQ(&TempManager(), &scratch.Manager());
}

// Once made, a temporary file is only ever opened as the manager's own
// plain file: never cut short, never through a link or a FIFO put in its
// place, and a name that is no longer its file fails as a missing one does.
TEST(TempFiles, AreOpenedOnlyAsTheManagersOwnPlainFiles)
{
    TScratchTempFolder scratch;
    QTemporaryDir elsewhere;
    const std::string outside = elsewhere.path().toStdString() + "/theirs.bin";
    struct TCase {
        const char* Name;
        std::function<void(const std::string& name)> Replace;
    };
    const TCase cases[] = {
        {"a link to a file of someone else's",
         [&](const std::string& name) {
             fs::copy_file(name, outside, fs::copy_options::overwrite_existing);
             fs::remove(name);
             fs::create_symlink(outside, name);
         }},
        {"a hard link to a file of someone else's",
         [&](const std::string& name) {
             fs::copy_file(name, outside, fs::copy_options::overwrite_existing);
             fs::remove(name);
             fs::create_hard_link(outside, name);
         }},
        {"a FIFO", [](const std::string& name) { fs::remove(name), MakeFifo(name); }},
        {"nothing", [](const std::string& name) { fs::remove(name); }}};
    // Replaces the file, runs the steps that must fail, and checks that the
    // file of someone else's was neither written nor read.
    const auto replaceAndFail = [&](const TCase& c, const std::string& name, const std::function<void()>& steps) {
        c.Replace(name);
        const std::string before = fs::exists(outside) ? ReadText(outside) : "";
        WithoutWaitingFor(name, [&] { EXPECT_THROW(steps(), EngineError); });
        EXPECT_EQ(fs::exists(outside) ? ReadText(outside) : "", before);
        fs::remove(outside);
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        // A stroke list's file keeps what it holds until records are written.
        const std::string made = scratch.Manager().NewTempFileName("tsk");
        Touch(made, "not cut");
        auto list = std::make_unique<TStrokes>(made);
        EXPECT_EQ(ReadText(made), "not cut");
        list->AddStroke({{1, 2}}, {{3, 4}}, 0xFF000000u, 255, 0);
        list->Release();
        replaceAndFail(c, made, [&] {
            EXPECT_THROW(list->ForEachStroke([](TStrokeRecord&) {}), EngineError);
            list->AddStroke({{5, 6}}, {}, 0xFF000000u, 255, 0);
        });
        // A bitmap swapped out, its file then replaced.
        auto bmp = TCompressedBitmap::CreateCopy(NoiseBitmap(4, 4, 5));
        bmp->SetCompressed(true);
        replaceAndFail(c, bmp->FileName(), [&] { bmp->SetCompressed(false); });
    }
}

// --- TCompressedBitmap ----------------------------------------------------------

TEST(CompressedBitmap, SizeIsTheBmpFileSizeInMemoryAndZeroOnDisk)
{
    TScratchTempFolder scratch;
    auto bmp = TCompressedBitmap::CreateCopy(TBitmap32(100, 50));
    EXPECT_EQ(bmp->Size(), 20054);
    bmp->SetCompressed(true);
    EXPECT_EQ(bmp->Size(), 0);
    EXPECT_EQ(bmp->Width(), 100);
    bmp->SetCompressed(false);
    EXPECT_EQ(bmp->Size(), 20054);
}

TEST(CompressedBitmap, SwapsOutAndBackKeepingAllFourBytes)
{
    TScratchTempFolder scratch;
    const TBitmap32 noise = NoiseBitmap(37, 23, 7);
    auto bmp = TCompressedBitmap::CreateCopy(noise);
    bmp->SetCompressed(true);
    ASSERT_TRUE(bmp->Compressed());
    const std::string file = bmp->FileName();
    EXPECT_EQ(file, scratch.Folder() + "tmp/00000000.bmp");
    EXPECT_EQ(fs::file_size(file), 37u * 23u * 4u + 54u);

    EXPECT_TRUE(SameBitmaps(bmp->Bitmap(), noise));  // brought back on demand
    EXPECT_FALSE(bmp->Compressed());
    // Once in use the file is stale; it goes with the next swap-out instead
    // of lingering until the program ends.
    EXPECT_TRUE(bmp->FileName().empty());
    bmp->SetCompressed(true);
    EXPECT_EQ(bmp->FileName(), scratch.Folder() + "tmp/00000001.bmp");
    EXPECT_FALSE(fs::exists(file));
    bmp->SetCompressed(false);
    EXPECT_TRUE(SameBitmaps(bmp->Bitmap(), noise));
}

TEST(CompressedBitmap, DestroyedItLeavesNoFile)
{
    TScratchTempFolder scratch;
    auto bmp = TCompressedBitmap::CreateCopy(NoiseBitmap(5, 5, 1));
    bmp->SetCompressed(true);
    ASSERT_EQ(scratch.TempFiles().size(), 1u);
    bmp.reset();
    EXPECT_TRUE(scratch.TempFiles().empty());

    bmp = TCompressedBitmap::CreateCopy(NoiseBitmap(5, 5, 1));
    bmp->SetCompressed(true);
    bmp->SetCompressed(false);  // in memory, its stale file still on disk
    bmp.reset();
    EXPECT_TRUE(scratch.TempFiles().empty());
}

TEST(CompressedBitmap, FailedSwapOutKeepsThePixels)
{
    TScratchTempFolder scratch;
    const TBitmap32 noise = NoiseBitmap(8, 8, 3);
    auto bmp = TCompressedBitmap::CreateCopy(noise);
    fs::remove_all(scratch.Folder() + "tmp");
    Touch(scratch.Folder() + "tmp");  // the folder is gone and cannot come back
    EXPECT_THROW(bmp->SetCompressed(true), EngineError);
    EXPECT_FALSE(bmp->Compressed());
    EXPECT_EQ(bmp->Size(), 8 * 8 * 4 + 54);
    EXPECT_TRUE(SameBitmaps(bmp->Bitmap(), noise));
    fs::remove(scratch.Folder() + "tmp");
}

TEST(CompressedBitmap, StreamsReadExactlyOneBmpEach)
{
    TScratchTempFolder scratch;
    const TBitmap32 a = NoiseBitmap(6, 4, 11), b = NoiseBitmap(3, 9, 12);
    TMemoryStream stream;
    auto first = TCompressedBitmap::CreateCopy(a);
    first->SetCompressed(true);
    first->SaveToStream(stream);  // brings it back into memory, where it stays
    EXPECT_FALSE(first->Compressed());
    TCompressedBitmap::CreateCopy(b)->SaveToStream(stream);
    stream.WriteInt32(42);

    stream.SetPosition(0);
    auto readA = TCompressedBitmap::CreateFromStream(stream);
    EXPECT_EQ(stream.Position(), 6 * 4 * 4 + 54);
    auto readB = TCompressedBitmap::CreateFromStream(stream);
    EXPECT_EQ(stream.ReadInt32(), 42);
    EXPECT_TRUE(SameBitmaps(readA->Bitmap(), a));
    EXPECT_TRUE(SameBitmaps(readB->Bitmap(), b));
    EXPECT_FALSE(readA->Compressed());
}

TEST(CompressedBitmap, SetBitmapReplacesPixelsAndSize)
{
    TScratchTempFolder scratch;
    auto bmp = TCompressedBitmap::CreateCopy(TBitmap32(10, 10));
    bmp->SetCompressed(true);
    const std::string file = bmp->FileName();
    bmp->SetBitmap(std::make_unique<TBitmap32>(2, 3, clRed32));
    EXPECT_FALSE(bmp->Compressed());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(bmp->Size(), 2 * 3 * 4 + 54);
    EXPECT_EQ(bmp->Bitmap().Pixel(1, 2), clRed32);
}
