#include "engine/TempManager.h"

#include "engine/Dialogs.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    // A run that ended without cleaning up left its list in one of the two places.
    for (const std::string& list : {inFolder, inTemp}) {
        if (!NameTaken(list)) continue;
        logName_ = list;
        LoadList();
        Cleanup();
    }
    CreateFolder();
    // In a program folder that cannot be written (installed for all users,
    // a read-only medium) the list goes beside the files it names.
    logName_ = CanCreateList(inFolder) || !CanCreateList(inTemp) ? inFolder : inTemp;
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
    SaveList();
    return name;
}

void TTempManager::Cleanup()
{
    // Only names of our own form are deleted: the list is a plain text file
    // that may be stale or edited, and must never cost the user a file.
    for (const std::string& name : files_)
        if (IsTempName(name)) DeleteFileQuietly(name);
    DeleteFileQuietly(logName_);
    DeleteFileQuietly(StagedListName(logName_));
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

void TTempManager::LoadList()
{
    // The stream refuses anything but a plain file (a FIFO, a device)
    // without waiting on it: such a list counts as unreadable.
    try {
        TFileStream file(logName_, TFileStream::Mode::OpenRead);
        std::string text(static_cast<size_t>(file.Size()), '\0');
        file.ReadBuffer(text.data(), file.Size());
        size_t from = 0;
        while (from < text.size()) {
            size_t to = text.find('\n', from);
            if (to == std::string::npos) to = text.size();
            std::string line = text.substr(from, to - from);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            // Lines that are not our names are left alone and forgotten.
            if (IsTempName(line)) files_.push_back(line);
            from = to + 1;
        }
    } catch (const EngineError&) {
        // An unreadable list: nothing can be cleaned up after the old run.
    }
}

void TTempManager::SaveList() const
{
    // One name a line, each ended as the platform's string lists end theirs.
    std::string text;
    for (const std::string& name : files_) text += name + "\r\n";
    // Written whole under a name of its own, then renamed over the list: the
    // rename replaces whatever has the list's name (a link, a FIFO) and never
    // writes what a link names.
    const int fd = CreateStagedList(logName_);
    if (fd < 0) CannotCreate(logName_, errno);
    const std::string staged = StagedListName(logName_);
    int error = WriteWhole(fd, text);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(staged.c_str(), logName_.c_str()) != 0) error = errno;
    if (error == 0) return;
    ::unlink(staged.c_str());
    CannotCreate(logName_, error);
}

void TTempManager::CreateFolder() const
{
    std::error_code ec;
    fs::create_directories(fs::path(tempFolder_), ec);
    if (!ec && fs::is_directory(fs::path(tempFolder_), ec)) return;
    Dialogs().ShowMessage("File access denied", "Error creating the folder:\n\r" + tempFolder_, TMessageKind::Warning);
    throw SilentAbort();
}

TTempManager& TempManager()
{
    if (!registered) throw EngineError("No temporary-file manager");
    return *registered;
}

void SetTempManager(TTempManager* manager) { registered = manager; }
