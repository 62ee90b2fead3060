// TExeInfo: the ten standard version strings of a program (company, product,
// versions, ...). Linux programs carry no version resource, so the build writes
// the running program's version block into a generated header; TExeInfo looks
// the strings up in a block the way a version resource is read: under the key
// of the block's first translation.
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// The names of the ten strings, in their standard order.
inline constexpr std::array<const char*, 10> VersionStringNames = {
    "CompanyName",      "FileDescription", "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks",  "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

// A program's version information.
struct TVersionBlock {
    // Each entry holds a language in its low 16 bits and a code page in its high 16 bits.
    std::vector<uint32_t> Translations;
    // Texts by path: "\StringFileInfo\" + translation key + "\" + name.
    std::map<QString, QString> Strings;

    // The block the build wrote for this program.
    static TVersionBlock ForRunningProgram();
};

// The eight lowercase hex digits of language and code page: "040904e4" for
// language 1033 with code page 1252.
QString VersionTranslationKey(uint32_t translation);

class TExeInfo {
public:
    // A block without a translation, or without one of the strings, yields
    // empty strings for what it lacks.
    explicit TExeInfo(const TVersionBlock& block = TVersionBlock::ForRunningProgram());

    // By position in VersionStringNames; empty beyond the tenth.
    const QString& String(size_t index) const;

    const QString& CompanyName() const { return strings_[0]; }
    const QString& FileDescription() const { return strings_[1]; }
    const QString& FileVersion() const { return strings_[2]; }
    const QString& InternalName() const { return strings_[3]; }
    const QString& LegalCopyright() const { return strings_[4]; }
    const QString& LegalTrademarks() const { return strings_[5]; }
    const QString& OriginalFilename() const { return strings_[6]; }
    const QString& ProductName() const { return strings_[7]; }
    const QString& ProductVersion() const { return strings_[8]; }
    const QString& Comments() const { return strings_[9]; }

private:
    std::array<QString, VersionStringNames.size()> strings_;
};
