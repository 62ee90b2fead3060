#include "engine/TempManager.h"

#include "engine/Dialogs.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

TTempManager* registered = nullptr;

std::string CounterText(int64_t counter)
{
    std::string text = std::to_string(counter);
    if (text.size() < 8) text.insert(0, 8 - text.size(), '0');
    return text;
}

// Whether anything at all has the name, a dangling link included; opens nothing.
bool NameTaken(const std::string& name)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(fs::path(name), ec));
}

// Removes the name itself, never what a link names nor a folder.
void DeleteFileQuietly(const std::string& name) { ::unlink(name.c_str()); }

// Whether the file is gone now, deleted here or before.
bool Unlinked(const std::string& name) { return ::unlink(name.c_str()) == 0 || errno == ENOENT; }

// A list names one file a line, and only the files its run still holds: no
// run comes near this. A larger file (a sparse one of gigabytes costs no
// disk) is no list of ours, and counts as unreadable.
constexpr int64_t MaxListSize = int64_t(64) << 20;

// Whether `name` names the file open on `fd`, and it has no other name.
bool SameFile(int fd, const std::string& name)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino && held.st_nlink == 1;
}

bool IsRealFolder(const std::string& name)
{
    struct stat info {};
    return ::lstat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The box of a file or folder this program cannot do without, then the
// silent end of the command module's creation.
[[noreturn]] void AccessDenied(const std::string& what, const std::string& name)
{
    Dialogs().ShowMessage("File access denied", "Error creating the " + what + ":\n\r" + name, TMessageKind::Warning);
    throw SilentAbort();
}

// A file stream's failure, so that a caller reading another file (a project
// being opened) can tell that the temporary file failed, not its own.
[[noreturn]] void CannotCreate(const std::string& name, int error)
{
    RaiseFileError("Cannot create file", name, std::strerror(error));
}

// A new, empty file of this process's own under `name`: made here and now,
// never through a link and never over anything that has the name already,
// so that nothing planted in the folder is ever written. -1 with errno set
// when it cannot be made (EEXIST: the name is taken, in whatever form).
int CreateOwnFile(const std::string& name)
{
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

// The name the list is written under before it takes the list's place.
std::string StagedListName(const std::string& logName) { return logName + ".new"; }

// A new file for the list under its staged name; one that a crash left
// there goes first. -1 with errno set when it cannot be made.
int CreateStagedList(const std::string& logName)
{
    const std::string staged = StagedListName(logName);
    ::unlink(staged.c_str());
    return CreateOwnFile(staged);
}

// Whether a list can be written under `logName`, found by trying.
bool CanCreateList(const std::string& logName)
{
    const int fd = CreateStagedList(logName);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(StagedListName(logName).c_str());
    return true;
}

bool AllOf(const std::string& text, size_t from, size_t to, int (*test)(int))
{
    return std::all_of(text.begin() + from, text.begin() + to, [test](unsigned char c) { return test(c) != 0; });
}

} // namespace

TTempManager::TTempManager(std::string programFolder)
    : programFolder_(std::move(programFolder))
{
    if (!programFolder_.empty() && programFolder_.back() != '/') programFolder_ += '/';
    tempFolder_ = programFolder_ + "tmp/";
    const std::string inFolder = programFolder_ + TempListName, inTemp = tempFolder_ + TempListName;
    // A run that ended without cleaning up left its list in one of the two
    // places. A tmp/ linked elsewhere may hold the list of another program
    // folder linked there too: a list there naming none of this folder's
    // files is left alone.
    const bool ownTemp = IsRealFolder(programFolder_ + "tmp");
    for (const std::string& list : {inFolder, inTemp}) {
        if (!NameTaken(list)) continue;
        logName_ = list;
        if (LoadList() || list == inFolder || ownTemp) Cleanup();
    }
    CreateFolder();
    logName_ = ChooseLogName(inFolder, inTemp);
}

std::string TTempManager::ChooseLogName(const std::string& inFolder, const std::string& inTemp) const
{
    // Whatever still has a list's name after the clean-up (a folder, another
    // program folder's list) cannot be replaced by one.
    const auto usable = [](const std::string& list) { return !NameTaken(list) && CanCreateList(list); };
    if (usable(inFolder)) return inFolder;
    // In a program folder that cannot be written (installed for all users,
    // a read-only medium) the list goes beside the files it names.
    if (usable(inTemp)) return inTemp;
    for (const std::string& list : {inFolder, inTemp})
        if (NameTaken(list)) AccessDenied("file", list);
    // Nothing can be written in either place: neither can a temporary file,
    // and each use says so, naming the file.
    return inFolder;
}

TTempManager::~TTempManager()
{
    if (registered == this) registered = nullptr;
    Cleanup();
}

std::string TTempManager::NewTempFileName(const std::string& extension)
{
    // The file is made as its name is handed out: a name taken in any form,
    // a planted link included, is passed over like a used one.
    std::string name;
    for (;;) {
        name = tempFolder_ + CounterText(counter_) + "." + extension;
        ++counter_;
        const int fd = CreateOwnFile(name);
        if (fd >= 0) {
            ::close(fd);
            break;
        }
        if (errno != EEXIST) CannotCreate(name, errno);
    }
    files_.push_back(name);
    deletable_.insert(name);
    AppendToList(name);
    return name;
}

void TTempManager::DeleteFile(const std::string& name) noexcept
{
    if (deletable_.erase(name) == 0) return;
    gathered_.push_back(name);
    if (batchDepth_ == 0) DeleteGathered();
}

void TTempManager::EndBatch() noexcept
{
    if (batchDepth_ > 0 && --batchDepth_ == 0) DeleteGathered();
}

void TTempManager::DeleteGathered() noexcept
{
    if (gathered_.empty()) return;
    std::vector<std::string> kept;
    kept.reserve(files_.size());
    for (const std::string& name : files_)
        if (deletable_.contains(name)) kept.push_back(name);
    try {
        WriteList(kept);
    } catch (...) {
        // The list on disk still names the files: they stay until the end
        // of the run, which removes the list before them.
        deletable_.insert(gathered_.begin(), gathered_.end());
        gathered_.clear();
        return;
    }
    files_ = std::move(kept);
    for (const std::string& name : gathered_) DeleteFileQuietly(name);
    gathered_.clear();
}

void TTempManager::Cleanup()
{
    // The list goes first: a kill part way through leaves files no list
    // names, never a list naming files deleted (their numbers may be
    // another program folder's by the next start).
    CloseList();
    DeleteFileQuietly(logName_);
    DeleteFileQuietly(StagedListName(logName_));
    // Only names of our own form are ever listed (the list file is plain
    // text that may be stale or edited, and must never cost the user a file).
    std::erase_if(files_, Unlinked);
    deletable_ = {files_.begin(), files_.end()};
    gathered_.clear();
    // Only an empty, real folder goes: a tmp/ linked elsewhere stays, and so
    // does the folder it names.
    ::rmdir((programFolder_ + "tmp").c_str());
}

bool TTempManager::IsTempName(const std::string& name) const
{
    if (name.size() <= tempFolder_.size() || name.compare(0, tempFolder_.size(), tempFolder_) != 0) return false;
    const size_t start = tempFolder_.size();
    const size_t dot = name.find('.', start);
    if (dot == std::string::npos || dot - start < 8 || dot + 1 >= name.size()) return false;
    return AllOf(name, start, dot, isdigit) && AllOf(name, dot + 1, name.size(), isalnum);
}

bool TTempManager::LoadList()
{
    // The stream refuses anything but a plain file (a FIFO, a device)
    // without waiting on it: such a list counts as unreadable.
    bool ours = false;
    try {
        TFileStream file(logName_, TFileStream::Mode::OpenRead);
        if (file.Size() > MaxListSize) return false;
        std::string text(static_cast<size_t>(file.Size()), '\0');
        file.ReadBuffer(text.data(), file.Size());
        size_t from = 0;
        while (from < text.size()) {
            size_t to = text.find('\n', from);
            if (to == std::string::npos) to = text.size();
            std::string line = text.substr(from, to - from);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            // Lines that are not our names are left alone and forgotten. A
            // list naming one of ours is ours, also where the name is known
            // already (a file an earlier clean-up could not delete).
            if (IsTempName(line)) {
                ours = true;
                if (deletable_.insert(line).second) files_.push_back(line);
            }
            from = to + 1;
        }
    } catch (const EngineError&) {
        // An unreadable list: nothing can be cleaned up after the old run.
    }
    return ours;
}

void TTempManager::AppendToList(const std::string& name)
{
    // Appended while the name is still the file this manager wrote: a
    // rewrite for every name handed out would cost the square of a long
    // history. A name cut short by a kill is no name of ours.
    if (listFd_ >= 0 && SameFile(listFd_, logName_) && WriteWhole(listFd_, name + "\r\n") == 0) return;
    WriteList(files_);
}

void TTempManager::WriteList(const std::vector<std::string>& names)
{
    // A list naming nothing is no list: none is left to be read after a crash.
    if (names.empty()) {
        CloseList();
        DeleteFileQuietly(logName_);
        return;
    }
    // One name a line, each ended as the platform's string lists end theirs.
    std::string text;
    for (const std::string& name : names) text += name + "\r\n";
    // The rename replaces whatever has the list's name (a link, a FIFO) and
    // never writes what a link names.
    const int fd = CreateStagedList(logName_);
    if (fd < 0) CannotCreate(logName_, errno);
    const std::string staged = StagedListName(logName_);
    int error = WriteWhole(fd, text);
    if (error == 0 && ::rename(staged.c_str(), logName_.c_str()) != 0) error = errno;
    if (error == 0) {
        CloseList();
        listFd_ = fd;
        return;
    }
    ::close(fd);
    ::unlink(staged.c_str());
    CannotCreate(logName_, error);
}

void TTempManager::CloseList()
{
    if (listFd_ >= 0) ::close(listFd_);
    listFd_ = -1;
}

void TTempManager::CreateFolder() const
{
    std::error_code ec;
    fs::create_directories(fs::path(tempFolder_), ec);
    if (!ec && fs::is_directory(fs::path(tempFolder_), ec)) return;
    AccessDenied("folder", tempFolder_);
}

TTempManager& TempManager()
{
    if (!registered) throw EngineError("No temporary-file manager");
    return *registered;
}

void SetTempManager(TTempManager* manager) { registered = manager; }

void DeleteTempFile(const std::string& name) noexcept
{
    if (registered) registered->DeleteFile(name);
}

TTempFileBatch::TTempFileBatch() : manager_(registered)
{
    if (manager_) manager_->BeginBatch();
}

TTempFileBatch::~TTempFileBatch()
{
    if (manager_) manager_->EndBatch();
}
