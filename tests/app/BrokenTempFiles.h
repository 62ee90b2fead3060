// Ways the temporary files stop taking stroke records while the program
// runs, for the tests of the operations that must then say why: tmp/ deleted
// (another copy of the program emptied it), the list beside it unwritable, a
// full disk. Each case breaks the files of a program folder when called and
// mends them when the handle it returns goes.
#pragma once

#include "common/FileSizeLimit.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TBrokenTempFiles {
    const char* What;
    std::function<std::shared_ptr<void>(const std::string& programFolder)> Break;
    std::string File;  // the start of the path the message names, under the program folder
    const char* Reason;
    bool PlacesSome;   // strokes are recorded before the failure
};

inline std::vector<TBrokenTempFiles> BrokenTempFileCases()
{
    namespace fs = std::filesystem;
    return {
        {"tmp/ deleted",
         [](const std::string& folder) {
             fs::remove_all(folder + "tmp");
             return std::shared_ptr<void>(nullptr, [folder](void*) { fs::create_directory(folder + "tmp"); });
         },
         "tmp/", "No such file or directory", false},
        {"the list of temporary files cannot be written",
         [](const std::string& folder) {
             fs::remove(folder + "TempManager.log");
             fs::create_directory(folder + "TempManager.log");
             return std::shared_ptr<void>(nullptr, [folder](void*) { fs::remove(folder + "TempManager.log"); });
         },
         "TempManager.log", "Is a directory", false},
        {"a full disk", [](const std::string&) { return std::make_shared<FileSizeLimit>(6000); }, "tmp/",
         "File too large", true},
    };
}
