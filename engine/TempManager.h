// The process-wide owner of temporary files: numbered names in the "tmp"
// folder of the program folder, a list of every name handed out kept in
// "TempManager.log" so that a run that crashed is cleaned up by the next.
// The list lies in the program folder, or in tmp/ when the program folder
// cannot be written. Only names of the manager's own form, in tmp/, are ever
// deleted, so a tmp/ linked to a folder elsewhere loses nothing else.
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
    // Deletes every listed file, the list file and the folder when it is
    // empty and not a link, ignoring failures. The list itself is kept.
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
    void LoadList();
    void SaveList() const;
    void CreateFolder() const;

    std::string programFolder_;
    std::string tempFolder_;
    std::string logName_;
    std::vector<std::string> files_;
    int64_t counter_ = 0;
};

// The manager the engine takes its names from; raises EngineError when none
// is registered.
TTempManager& TempManager();
// Registers (or with nullptr removes) the process-wide manager; not owned.
void SetTempManager(TTempManager* manager);
