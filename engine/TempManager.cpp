#include "engine/TempManager.h"

#include "engine/Dialogs.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

TTempManager* registered = nullptr;

std::string CounterText(int64_t counter)
{
    std::string text = std::to_string(counter);
    if (text.size() < 8) text.insert(0, 8 - text.size(), '0');
    return text;
}

bool FileExists(const std::string& name)
{
    std::error_code ec;
    return fs::exists(fs::path(name), ec);
}

void DeleteFileQuietly(const std::string& name)
{
    std::error_code ec;
    if (fs::is_regular_file(fs::path(name), ec)) fs::remove(fs::path(name), ec);
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
    logName_ = programFolder_ + "TempManager.log";
    if (FileExists(logName_)) {
        LoadList();
        Cleanup();
    }
    CreateFolder();
}

TTempManager::~TTempManager()
{
    if (registered == this) registered = nullptr;
    Cleanup();
}

std::string TTempManager::NewTempFileName(const std::string& extension)
{
    std::string name;
    do {
        name = tempFolder_ + CounterText(counter_) + "." + extension;
        ++counter_;
    } while (FileExists(name));
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
    std::error_code ec;
    if (fs::is_directory(fs::path(tempFolder_), ec) && fs::is_empty(fs::path(tempFolder_), ec))
        fs::remove(fs::path(tempFolder_), ec);
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
    TFileStream file(logName_, TFileStream::Mode::Create);
    file.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    file.Close();
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
