// Version strings: the translation key, the lookup in a version block, the
// program's own block from the build, and the label's caption for each kind.
#include "controls/ExeInfo.h"
#include "controls/InfoLabel.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <ostream>

// Readable failure messages for Qt's strings.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

constexpr uint32_t Translation(uint16_t language, uint16_t codePage) { return language | uint32_t(codePage) << 16; }

// A block whose ten strings are "value 0" .. "value 9" under `key`.
TVersionBlock NumberedBlock(uint32_t translation)
{
    TVersionBlock block;
    block.Translations.push_back(translation);
    const QString key = VersionTranslationKey(translation);
    for (size_t i = 0; i < VersionStringNames.size(); ++i)
        block.Strings[QStringLiteral("\\StringFileInfo\\%1\\%2").arg(key, VersionStringNames[i])] =
            QStringLiteral("value %1").arg(i);
    return block;
}

std::unique_ptr<TExeInfo> NumberedReader()
{
    return std::make_unique<TExeInfo>(NumberedBlock(Translation(1033, 1252)));
}

} // namespace

TEST(VersionTranslationKey, IsLanguageThenCodePageInEightLowercaseHexDigits)
{
    EXPECT_EQ(VersionTranslationKey(Translation(1033, 1252)), "040904e4");
    EXPECT_EQ(VersionTranslationKey(Translation(0, 1200)), "000004b0");
    EXPECT_EQ(VersionTranslationKey(Translation(0xFFFF, 0xABCD)), "ffffabcd");
}

TEST(ExeInfo, ReadsTheTenStringsInOrder)
{
    const TExeInfo info(NumberedBlock(Translation(1033, 1252)));
    EXPECT_EQ(info.CompanyName(), "value 0");
    EXPECT_EQ(info.FileDescription(), "value 1");
    EXPECT_EQ(info.FileVersion(), "value 2");
    EXPECT_EQ(info.InternalName(), "value 3");
    EXPECT_EQ(info.LegalCopyright(), "value 4");
    EXPECT_EQ(info.LegalTrademarks(), "value 5");
    EXPECT_EQ(info.OriginalFilename(), "value 6");
    EXPECT_EQ(info.ProductName(), "value 7");
    EXPECT_EQ(info.ProductVersion(), "value 8");
    EXPECT_EQ(info.Comments(), "value 9");
    EXPECT_TRUE(info.String(10).isEmpty());
}

TEST(ExeInfo, MissingPiecesGiveEmptyStrings)
{
    const TExeInfo none{TVersionBlock{}};
    for (size_t i = 0; i < VersionStringNames.size(); ++i) EXPECT_TRUE(none.String(i).isEmpty()) << i;

    TVersionBlock noTranslation = NumberedBlock(Translation(1033, 1252));
    noTranslation.Translations.clear();
    EXPECT_TRUE(TExeInfo(noTranslation).ProductName().isEmpty());

    TVersionBlock partial = NumberedBlock(Translation(1033, 1252));
    partial.Strings.erase("\\StringFileInfo\\040904e4\\Comments");
    const TExeInfo info(partial);
    EXPECT_TRUE(info.Comments().isEmpty());
    EXPECT_EQ(info.ProductVersion(), "value 8");
}

TEST(ExeInfo, OnlyTheFirstTranslationCounts)
{
    TVersionBlock block = NumberedBlock(Translation(1033, 1252));
    block.Translations.insert(block.Translations.begin(), Translation(1031, 1252));
    EXPECT_TRUE(TExeInfo(block).ProductName().isEmpty());
}

TEST(ExeInfo, RunningProgramCarriesTheBuildsVersion)
{
    const TExeInfo info;
    EXPECT_EQ(info.ProductName(), "Ocrastell Pro");
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(info.ProductVersion()).hasMatch())
        << info.ProductVersion().toStdString();
    // The file version is the product version with a fourth number.
    EXPECT_TRUE(QRegularExpression("^" + QRegularExpression::escape(info.ProductVersion()) + "\\.\\d+$")
                    .match(info.FileVersion())
                    .hasMatch())
        << info.FileVersion().toStdString();
    for (size_t i = 0; i < VersionStringNames.size(); ++i)
        EXPECT_FALSE(info.String(i).isEmpty()) << VersionStringNames[i];
}

TEST(InfoLabel, CaptionIsTheStringOfItsKind)
{
    TInfoLabel label(nullptr, NumberedReader());
    for (int kind = 0; kind < 10; ++kind) {
        label.SetKind(static_cast<TKindInfoLabel>(kind));
        EXPECT_EQ(label.text(), QStringLiteral("value %1").arg(kind)) << kind;
    }
}

TEST(InfoLabel, TwoLabelsShowTwoStringsOfTheProgram)
{
    TInfoLabel name, version;
    name.SetKind(TKindInfoLabel::kiProductName);
    version.SetKind(TKindInfoLabel::kiProductVersion);
    EXPECT_EQ(name.text(), "Ocrastell Pro");
    EXPECT_EQ(version.text(), TExeInfo().ProductVersion());
}

TEST(InfoLabel, WithoutReaderShowsTheStringsName)
{
    TInfoLabel label(nullptr, nullptr);
    EXPECT_EQ(label.text(), "CompanyName");
    label.SetKind(TKindInfoLabel::kiOriginalFilename);
    EXPECT_EQ(label.text(), "OriginalFilename");
    label.SetKind(TKindInfoLabel::kiComments);
    EXPECT_EQ(label.text(), "Comments");
}

TEST(InfoLabel, KindBeyondTheTenthLeavesTheCaption)
{
    TInfoLabel label(nullptr, NumberedReader());
    label.SetKind(TKindInfoLabel::kiProductName);
    label.SetKind(static_cast<TKindInfoLabel>(10));
    EXPECT_EQ(label.text(), "value 7");
}
