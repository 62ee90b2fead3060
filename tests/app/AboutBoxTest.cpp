// The about box: the memory labels read from the kernel's report, the author
// line deciphered, the version labels, the panel scrolling only while shown.
#include "app/GlobalConfig.h"
#include "app/dialogs/AboutBox.h"
#include "app/dialogs/MemoryFigures.h"
#include "app/dialogs/SecretPanel.h"
#include "app/dialogs/VigenereCipher.h"

#include "controls/ExeInfo.h"
#include "controls/InfoLabel.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

const QByteArray MemInfo = "MemTotal:       16318480 kB\n"
                           "MemFree:         1032200 kB\n"
                           "MemAvailable:    9876544 kB\n"
                           "Buffers:          411560 kB\n";

std::unique_ptr<TExeInfo> KnownVersion()
{
    TVersionBlock block;
    block.Translations.push_back(0x04E40409u);
    const QString key = VersionTranslationKey(0x04E40409u);
    const std::pair<const char*, const char*> strings[] = {
        {"ProductName", "Ocrastell Pro"}, {"Comments", "Pen and ink"}, {"ProductVersion", "1.2.3"},
        {"FileVersion", "1.2.3.45"}};
    for (const auto& [name, value] : strings)
        block.Strings[QStringLiteral("\\StringFileInfo\\%1\\%2").arg(key, QLatin1String(name))] = QLatin1String(value);
    return std::make_unique<TExeInfo>(block);
}

// The largest step between neighbouring pixels of a row inside `area`, over
// the three channels: glyphs and hatching make steps of a hundred and more,
// a smooth sky or a plain strip a few at most.
int LargestStep(const QImage& picture, const QRect& area)
{
    int largest = 0;
    const QRect inside = area.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x < inside.right(); ++x) {
            const QRgb a = picture.pixel(x, y), b = picture.pixel(x + 1, y);
            largest = std::max(largest, std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                            std::abs(qBlue(a) - qBlue(b)));
        }
    return largest;
}

} // namespace

TEST(MemoryFigures, ReadsTotalAndAvailableInBytes)
{
    const TMemoryFigures f = ParseMemInfo(MemInfo);
    EXPECT_EQ(f.Total, 16318480LL * 1024);
    EXPECT_EQ(f.Free, 9876544LL * 1024);
    // Older kernels report no available figure: the free one stands in.
    EXPECT_EQ(ParseMemInfo("MemTotal: 2048 kB\nMemFree: 1024 kB\n").Free, 1024 * 1024);
    // Nothing readable: zeros, never a failure.
    for (const QByteArray& bad : {QByteArray(), QByteArray("MemTotal: lots kB\n"), QByteArray("garbage"),
                                  QByteArray("MemTotal: -5 kB\n")}) {
        EXPECT_EQ(ParseMemInfo(bad).Total, 0) << bad.constData();
        EXPECT_EQ(ParseMemInfo(bad).Free, 0) << bad.constData();
    }
    EXPECT_EQ(ParseMemInfo("MemTotal: 99999999999999999 kB\n").Total, std::numeric_limits<int64_t>::max());
}

TEST(MemoryFigures, LabelsShowEveryDigitUngrouped)
{
    const TMemoryFigures f = ParseMemInfo(MemInfo);
    EXPECT_EQ(TotalMemoryText(f), "Total physical memory: 16710123520");
    EXPECT_EQ(FreeMemoryText(f), "Free physical memory: 10113581056");
    const TMemoryFigures machine = ReadMemoryFigures();
    EXPECT_GT(machine.Total, 0);
    EXPECT_GE(machine.Total, machine.Free);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Total physical memory: [0-9]+$"))
                    .match(TotalMemoryText(machine))
                    .hasMatch());
}

TEST(VigenereCipher, ShiftsEachByteByTheRepeatingKey)
{
    // 'A' (65) + 'B' (66) = 131; the key repeats after its last byte; sums wrap at 256.
    EXPECT_EQ(VigenereEncode("AAAAA", "BCD"), QByteArray("\x83\x84\x85\x83\x84"));
    EXPECT_EQ(VigenereEncode("\xF0", "\x20"), QByteArray("\x10"));
    EXPECT_EQ(VigenereDecode("\x10", "\x20"), QByteArray("\xF0"));
    EXPECT_EQ(VigenereDecode(VigenereEncode("by anyone at all", "Ky7#pLm2"), "Ky7#pLm2"), "by anyone at all");
    EXPECT_EQ(VigenereEncode("plain", ""), "plain");
}

TEST(AboutBox, ShowsVersionsAuthorAndMemory)
{
    TFormAbout about(QImage(), nullptr, KnownVersion);
    about.ReadMemory = [] { return ParseMemInfo(MemInfo); };
    EXPECT_EQ(about.size(), QSize(417, 352));
    EXPECT_EQ(about.ProductName().text(), "Ocrastell Pro");
    EXPECT_EQ(about.Comments().text(), "Pen and ink");
    EXPECT_EQ(about.ProductVersion().text(), "1.2.3");
    EXPECT_EQ(about.FileVersion().text(), "1.2.3.45");
    EXPECT_EQ(DecipheredAuthorLine(), "the Ocrastell Pro team");
    EXPECT_EQ(about.lbAuth().text(), "by the Ocrastell Pro team");

    EXPECT_TRUE(about.lblTotal().text().isEmpty());
    about.show();
    EXPECT_EQ(about.lblTotal().text(), "Total physical memory: 16710123520");
    EXPECT_EQ(about.lblFree().text(), "Free physical memory: 10113581056");
    about.hide();
    // Read anew at every showing.
    about.ReadMemory = [] { return ParseMemInfo("MemTotal: 1 kB\nMemAvailable: 0 kB\n"); };
    about.show();
    EXPECT_EQ(about.lblTotal().text(), "Total physical memory: 1024");
    EXPECT_EQ(about.lblFree().text(), "Free physical memory: 0");
}

TEST(AboutBox, PanelScrollsOnlyWhileShown)
{
    TFormAbout about(QImage(), nullptr, KnownVersion);
    about.ReadMemory = [] { return TMemoryFigures{}; };
    TSecretPanel& panel = about.JvSecretPanel1();
    EXPECT_EQ(panel.size(), QSize(177, 49));
    EXPECT_FALSE(panel.Active());
    about.show();
    EXPECT_TRUE(panel.Active());
    QTest::qWait(200);
    EXPECT_GT(panel.Offset(), 0);
    about.hide();
    EXPECT_FALSE(panel.Active());
}

TEST(AboutBox, OkClosesWithOk)
{
    TFormAbout about(QImage(), nullptr, KnownVersion);
    about.ReadMemory = [] { return TMemoryFigures{}; };
    about.show();
    auto* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

TEST(SecretPanel, LinesRiseThroughThePanelAndStartAgain)
{
    // 49 pixels of panel plus 6 lines of 14 pixels: the cycle is 133 steps.
    EXPECT_EQ(SecretPanelCycle(49, 6, 14), 133);
    TSecretPanel panel;
    panel.resize(177, 49);
    panel.SetLines({"one", "two"});
    const int cycle = SecretPanelCycle(49, 2, QFontMetrics(panel.font()).height());
    for (int i = 0; i < cycle - 1; ++i) panel.Step();
    EXPECT_EQ(panel.Offset(), cycle - 1);
    panel.Step();
    EXPECT_EQ(panel.Offset(), 0);
}

TEST(AboutBox, EveryLabelSitsOnACalmPartOfTheSplash)
{
    // The box writes its name, description, author, memory figures and
    // versions over the splash: the picture must not put text or hatching
    // of its own under them.
    TdmGlobalConfig config;
    QImage splash;
    config.LoadSplash(splash);
    TFormAbout about(splash, nullptr, KnownVersion);
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 9);
    for (const QLabel* label : labels)
        EXPECT_LE(LargestStep(splash, label->geometry()), 12)
            << label->text().toStdString() << " at " << label->x() << "," << label->y();
}

TEST(AboutBox, EveryAcknowledgementLineFitsTheScrollingPanel)
{
    TFormAbout about(QImage(), nullptr, KnownVersion);
    const TSecretPanel& panel = about.JvSecretPanel1();
    // The panel draws each line centred within 2 pixels of either side.
    const int room = panel.width() - 4;
    for (const QString& line : AcknowledgementLines())
        EXPECT_LE(panel.fontMetrics().horizontalAdvance(line), room) << line.toStdString();
}
