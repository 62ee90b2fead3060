#include "app/dialogs/AboutBox.h"

#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/ScreenCentre.h"
#include "app/dialogs/SecretPanel.h"
#include "app/dialogs/VigenereCipher.h"
#include "controls/InfoLabel.h"

#include <QPainter>
#include <QPushButton>

namespace {

constexpr int FormWidth = 417, FormHeight = 352;
const QColor FormColor(76, 186, 201);

// The author line under its key (eight characters).
constexpr char AuthorKey[] = "Ky7#pLm2";
constexpr unsigned char EncipheredAuthor[] = {0xBF, 0xE1, 0x9C, 0x43, 0xBF, 0xAF, 0xDF, 0x93, 0xBE, 0xED, 0x9C,
                                              0x8F, 0xDC, 0x6C, 0xBD, 0xA4, 0xBA, 0x99, 0xAB, 0x88, 0xD1, 0xB9};

TInfoLabel* VersionLabel(QWidget* parent, TKindInfoLabel kind,
                         const std::function<std::unique_ptr<TExeInfo>()>& versionReader)
{
    auto* label = versionReader ? new TInfoLabel(parent, versionReader()) : new TInfoLabel(parent);
    label->SetKind(kind);
    return label;
}

QLabel* Caption(const QString& text, QWidget* parent, const QRect& at)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(at);
    return label;
}

QFont Sized(QFont font, double points, bool bold = false)
{
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

QString DecipheredAuthorLine()
{
    const QByteArray enciphered(reinterpret_cast<const char*>(EncipheredAuthor), sizeof EncipheredAuthor);
    return QString::fromLatin1(VigenereDecode(enciphered, QByteArray(AuthorKey)));
}

QStringList AcknowledgementLines()
{
    return {QStringLiteral("With thanks to"),
            QStringLiteral("the Qt Project,"),
            QStringLiteral("whose toolkit draws"),
            QStringLiteral("every picture"),
            QStringLiteral("and builds every window,"),
            QStringLiteral("and to the authors of"),
            QStringLiteral("libjpeg, libtiff and zlib.")};
}

TFormAbout::TFormAbout(const QImage& splash, QWidget* parent,
                       std::function<std::unique_ptr<TExeInfo>()> versionReader)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ReadMemory([] { return ReadMemoryFigures(); }),
      splash_(splash)
{
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(FormWidth, FormHeight);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, FormColor);
    setPalette(colours);

    productName_ = VersionLabel(this, TKindInfoLabel::kiProductName, versionReader);
    productName_->setGeometry(16, 14, 180, 60);
    productName_->setWordWrap(true);
    productName_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    productName_->setFont(Sized(font(), 16, true));

    comments_ = VersionLabel(this, TKindInfoLabel::kiComments, versionReader);
    comments_->setGeometry(16, 78, 190, 48);
    comments_->setWordWrap(true);
    comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lbAuth_ = Caption(QStringLiteral("by ") + DecipheredAuthorLine(), this, {16, 130, 190, 20});
    lbAuth_->setFont(Sized(font(), font().pointSizeF(), true));

    const QFont small = Sized(font(), 8);
    lblTotal_ = Caption(QString(), this, {180, 16, 225, 16});
    lblFree_ = Caption(QString(), this, {180, 32, 225, 16});
    for (QLabel* label : {lblTotal_, lblFree_}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setFont(small);
    }

    Caption(QStringLiteral("Version:"), this, {16, 296, 52, 18});
    productVersion_ = VersionLabel(this, TKindInfoLabel::kiProductVersion, versionReader);
    productVersion_->setGeometry(68, 296, 60, 18);
    Caption(QStringLiteral("Build:"), this, {16, 316, 52, 18});
    fileVersion_ = VersionLabel(this, TKindInfoLabel::kiFileVersion, versionReader);
    fileVersion_->setGeometry(68, 316, 60, 18);

    secretPanel_ = new TSecretPanel(this);
    secretPanel_->setGeometry((FormWidth - 177) / 2, FormHeight - 49 - 10, 177, 49);
    secretPanel_->setFont(small);
    secretPanel_->SetLines(AcknowledgementLines());

    auto* btAccept = new QPushButton(QStringLiteral("OK"), this);
    btAccept->setGeometry(FormWidth - 75 - 12, FormHeight - 25 - 12, 75, 25);
    btAccept->setDefault(true);
    connect(btAccept, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    GuardedHandler("About box", [&] {
        const TMemoryFigures figures = ReadMemory ? ReadMemory() : TMemoryFigures{};
        lblTotal_->setText(TotalMemoryText(figures));
        lblFree_->setText(FreeMemoryText(figures));
    });
    secretPanel_->SetActive(true);
}

void TFormAbout::hideEvent(QHideEvent* event)
{
    secretPanel_->SetActive(false);
    QDialog::hideEvent(event);
}

void TFormAbout::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), FormColor);
    if (!splash_.isNull()) painter.drawImage(rect(), splash_);
}

#include "moc_AboutBox.cpp"
