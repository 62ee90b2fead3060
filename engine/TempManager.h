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
#include <unordered_set>
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
    // Deletes a file this manager handed out and still lists. Its name
    // leaves the list on disk first, so that neither the end of the run nor
    // the start after a crash deletes a file that by then may be another
    // program's (a tmp/ shared through links). Inside a batch the deletion
    // waits for the batch's end. Where the list cannot be written the file
    // stays, listed, until the end of the run. Other names are left alone;
    // never raises.
    void DeleteFile(const std::string& name) noexcept;
    // Between these, DeleteFile only gathers names: the outermost EndBatch
    // writes the list once for all of them, then deletes their files, so
    // that letting a long history go costs no more than its length.
    void BeginBatch() { ++batchDepth_; }
    void EndBatch() noexcept;
    // Deletes the list file, then every listed file and the folder when it
    // is empty and not a link, ignoring failures. The names of files deleted
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
    // Adds a name handed out to the end of the list on disk.
    void AppendToList(const std::string& name);
    // Writes the list whole under a name of its own and renames it over the
    // old one, so that a kill at any moment leaves one list or the other;
    // removes it when `names` is empty.
    void WriteList(const std::vector<std::string>& names);
    // Takes the gathered names off the list, then deletes their files.
    void DeleteGathered() noexcept;
    void CloseList();
    void CreateFolder() const;
    // Where the list of this run goes: the program folder, else tmp/; a box
    // and SilentAbort where a name that cannot be removed keeps it from both.
    std::string ChooseLogName(const std::string& inFolder, const std::string& inTemp) const;

    std::string programFolder_;
    std::string tempFolder_;
    std::string logName_;
    std::vector<std::string> files_;
    // The names of files_ that DeleteFile still takes; a name leaves it as
    // soon as it is gathered for deletion.
    std::unordered_set<std::string> deletable_;
    std::vector<std::string> gathered_;
    int batchDepth_ = 0;
    int64_t counter_ = 0;
    // The list file as last written, kept open for the names that follow to
    // be appended; -1 when none is.
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

// A batch of the registered manager (if any) for as long as it lives: what
// is freed meanwhile (a whole undo history) is deleted at its end.
class TTempFileBatch {
public:
    TTempFileBatch();
    ~TTempFileBatch();
    TTempFileBatch(const TTempFileBatch&) = delete;
    TTempFileBatch& operator=(const TTempFileBatch&) = delete;

private:
    TTempManager* manager_;
};
