// What the shell's benchmarks share: a scratch program folder with the
// program and its default files, so that a measured start or command module
// never touches the build folder's own tmp/ (a program started from the build
// tree may be using it).
#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>

#include <filesystem>
#include <string>

class TProgramCopy {
public:
    TProgramCopy()
    {
        namespace fs = std::filesystem;
        const std::string build = (QCoreApplication::applicationDirPath() + "/../").toStdString();
        for (const auto& entry : fs::directory_iterator(build)) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".srd" || ext == ".gst" || ext == ".stk" || entry.path().filename() == "ocrastell")
                fs::copy_file(entry.path(), fs::path(Folder()) / entry.path().filename());
        }
    }
    std::string Folder() const { return dir_.path().toStdString() + "/"; }

private:
    QTemporaryDir dir_;
};
