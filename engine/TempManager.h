// The process-wide owner of temporary files: numbered names in the "tmp"
// folder of the program folder, a list of every name handed out kept in
// "TempManager.log" so that a run that crashed is cleaned up by the next.
// The list lies in the program folder, or in tmp/ when the program folder
// cannot be written. Only names of the manager's own form, in tmp/, are ever
// deleted, and only while the list still holds them, so a tmp/ linked to a
// folder elsewhere, even one that another program folder's tmp/ links to
// as well, loses nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The list's name, in the program folder or in its tmp/; the cleaning of
// tmp/ at start leaves it alone.
inline constexpr char TempListName[] = "TempManager.log";

class TTempManager {
public:
    // `programFolder` ends with "/". Cleans up after a previous run that left
    // its list behind (in either place), then creates the temporary folder;
    // when that fails, shows "File access denied" and raises SilentAbort.
    explicit TTempManager(std::string programFolder);
    // Cleanup.
    ~TTempManager();
    TTempManager(const TTempManager&) = delete;
    TTempManager& operator=(const TTempManager&) = delete;

    // A name in the temporary folder that nothing had yet, "00000000.ext"
    // onwards, with an empty file of the manager's own made under it; numbers
    // are never reused within a run, whatever the extension. Raises
    // EngineError naming the file or the list when either cannot be written.
    std::string NewTempFileName(const std::string& extension);
    // Deletes a file this manager handed out and still lists; the name then
    // leaves the list (written again at once), so that neither the end of
    // the run nor the start after a crash deletes a file that by then may be
    // another program's (a tmp/ shared through links). Other names, and
    // failures, are left alone; never raises.
    void DeleteFile(const std::string& name) noexcept;
    // Deletes every listed file, the list file and the folder when it is
    // empty and not a link, ignoring failures. The names of files deleted
    // leave the list.
    void Cleanup();

    const std::vector<std::string>& Files() const { return files_; }
    // Where the list lives: program folder + "TempManager.log", or
    // program folder + "tmp/TempManager.log" when only tmp/ can be written.
    const std::string& LogName() const { return logName_; }
    const std::string& TempFolder() const { return tempFolder_; }
    int64_t Counter() const { return counter_; }

    // Whether `name` is one this manager could have handed out: directly in
    // the temporary folder, eight or more digits, a point and an extension.
    bool IsTempName(const std::string& name) const;

private:
    // Reads the list at LogName() into Files(), keeping this folder's names
    // only; false when it holds none (or cannot be read).
    bool LoadList();
    void SaveList();
    void CloseList();
    void CreateFolder() const;
    // Where the list of this run goes: the program folder, else tmp/; a box
    // and SilentAbort where a name that cannot be removed keeps it from both.
    std::string ChooseLogName(const std::string& inFolder, const std::string& inTemp) const;

    std::string programFolder_;
    std::string tempFolder_;
    std::string logName_;
    std::vector<std::string> files_;
    int64_t counter_ = 0;
    // The list file as last written, kept open to be rewritten in place; -1
    // when none is.
    int listFd_ = -1;
};

// The manager the engine takes its names from; raises EngineError when none
// is registered.
TTempManager& TempManager();
// Registers (or with nullptr removes) the process-wide manager; not owned.
void SetTempManager(TTempManager* manager);
// How the users of temporary files delete theirs: through the registered
// manager. With none registered, nothing is deleted: the manager that handed
// the name out deleted its files with the rest as it went.
void DeleteTempFile(const std::string& name) noexcept;
