#include "app/dialogs/ImageSizeDialog.h"

#include "app/dialogs/DialogMath.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/ScreenCentre.h"
#include "app/dialogs/SpinClick.h"
#include "controls/FloatSpinEdit.h"
#include "gfx/NumberText.h"
#include "gfx/Rounding.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSpinBox>

#include <cmath>

double PixelsPerUnit(int resolution, uint8_t units)
{
    return units == UnitCentimeters ? resolution / 2.54 : static_cast<double>(resolution);
}

double TwoDecimals(double x) { return std::trunc(x * 100.0 + 0.5) / 100.0; }

double SizeFromPixels(int pixels, double pixelsPerUnit) { return TwoDecimals(pixels / pixelsPerUnit); }

int PixelsFromSize(double size, double pixelsPerUnit) { return Round(pixelsPerUnit * size); }

std::string ByteSizeText(int64_t bytes)
{
    struct TUnit {
        int64_t Size;
        const char* Name;
    };
    static constexpr TUnit units[] = {{1073741824, "GBytes"}, {1048576, "MBytes"}, {1024, "KBytes"}};
    for (const TUnit& unit : units)
        if (bytes > unit.Size)
            return FormatGeneral(static_cast<double>(bytes) / static_cast<double>(unit.Size), 4) + " " + unit.Name;
    return FormatGeneral(static_cast<double>(bytes), 4) + " Bytes";
}

std::string EstimatedSizeText(int width, int height)
{
    return "Estimated Size:" + ByteSizeText(static_cast<int64_t>(width) * height * 3);
}

std::string SizeGroupCaption(uint8_t units)
{
    return units == UnitCentimeters ? "Size in Centimeters" : "Size in Inches";
}

// --- The dialog -------------------------------------------------------------

TFImgSizeDlg::TFImgSizeDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Render at Resolution"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(282, 275);
    BuildLayout();
    AspectRatio_ = AspectOf(Width_, Height_);
    Attach();
}

void TFImgSizeDlg::BuildLayout()
{
    gbSizeInches_ = new QGroupBox(QString::fromStdString(SizeGroupCaption(UnitInches)), this);
    gbSizeInches_->setGeometry(8, 6, 266, 124);
    rbInches_ = new QRadioButton(QStringLiteral("Inches"), gbSizeInches_);
    rbInches_->setGeometry(14, 22, 100, 22);
    rbInches_->setChecked(true);
    rbCentimeters_ = new QRadioButton(QStringLiteral("Centimeters"), gbSizeInches_);
    rbCentimeters_->setGeometry(124, 22, 130, 22);

    auto* size = new QLabel(QStringLiteral("Size:"), gbSizeInches_);
    size->setGeometry(14, 54, 40, 24);
    seHorizInches_ = new TFloatEdit(gbSizeInches_);
    seVertInches_ = new TFloatEdit(gbSizeInches_);
    for (TFloatEdit* edit : {seHorizInches_, seVertInches_}) {
        edit->SetIncrement(1);
        edit->SetMinValue(0);
        edit->SetMaxValue(100000);
        edit->SetFType(TFloatFormat::ffGeneral);
        edit->SetMinWidth(10);
        edit->SetDecimals(2);
    }
    seHorizInches_->setGeometry(56, 54, 86, 24);
    auto* times = new QLabel(QStringLiteral("x"), gbSizeInches_);
    times->setAlignment(Qt::AlignCenter);
    times->setGeometry(142, 54, 22, 24);
    seVertInches_->setGeometry(164, 54, 86, 24);

    auto* desired = new QLabel(QStringLiteral("Desired Resolution"), gbSizeInches_);
    desired->setGeometry(12, 88, 116, 24);
    seRes_ = new QSpinBox(gbSizeInches_);
    seRes_->setRange(1, 5000);
    seRes_->setGeometry(132, 88, 56, 24);
    auto* perInches = new QLabel(QStringLiteral("per Inches"), gbSizeInches_);
    perInches->setGeometry(192, 88, 70, 24);

    auto* pixels = new QGroupBox(QStringLiteral("Size in pixels"), this);
    pixels->setGeometry(8, 136, 266, 60);
    seHorizPixels_ = new QSpinBox(pixels);
    seVertPixels_ = new QSpinBox(pixels);
    for (QSpinBox* edit : {seHorizPixels_, seVertPixels_}) edit->setRange(0, 100000);
    seHorizPixels_->setGeometry(14, 24, 86, 24);
    auto* pixelTimes = new QLabel(QStringLiteral("x"), pixels);
    pixelTimes->setAlignment(Qt::AlignCenter);
    pixelTimes->setGeometry(100, 24, 22, 24);
    seVertPixels_->setGeometry(122, 24, 86, 24);
    auto* pixelsLabel = new QLabel(QStringLiteral("Pixels"), pixels);
    pixelsLabel->setGeometry(214, 24, 48, 24);

    lblEstimSize_ = new QLabel(QStringLiteral("Estimated Size:"), this);
    lblEstimSize_->setGeometry(10, 204, 262, 22);
    QFont bold = lblEstimSize_->font();
    bold.setBold(true);
    lblEstimSize_->setFont(bold);

    btOk_ = new QPushButton(QStringLiteral("Save"), this);
    btOk_->setGeometry(104, 236, 82, 28);
    btOk_->setDefault(true);
    btCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel_->setGeometry(192, 236, 82, 28);
    btCancel_->setAutoDefault(false);
    connect(btOk_, &QPushButton::clicked, this, &TFImgSizeDlg::accept);
    connect(btCancel_, &QPushButton::clicked, this, &TFImgSizeDlg::reject);
}

void TFImgSizeDlg::Attach()
{
    for (TFloatEdit* edit : {seHorizInches_, seVertInches_}) {
        edit->OnChange = [this](TFloatEdit* sender) { GuardedHandler("Image size dialog", [&] { OnChange(sender); }); };
        edit->OnClick = edit->OnChange;
    }
    for (QSpinBox* edit : {seRes_, seHorizPixels_, seVertPixels_}) {
        connect(edit, &QSpinBox::valueChanged, this, [this, edit] { GuardedHandler("Image size dialog", [&] { OnChange(edit); }); });
        OnSpinTextClick(edit, [this, edit] { OnChange(edit); });
    }
    // A unit button reports a click only when it becomes the checked one: a
    // click on the unit already chosen changes nothing.
    connect(rbInches_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) GuardedHandler("Image size dialog", [this] { UnitsClick(UnitInches); });
    });
    connect(rbCentimeters_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) GuardedHandler("Image size dialog", [this] { UnitsClick(UnitCentimeters); });
    });
}

void TFImgSizeDlg::SetWidth(int width)
{
    Width_ = width;
    AspectRatio_ = AspectOf(Width_, Height_);
}

void TFImgSizeDlg::SetHeight(int height)
{
    Height_ = height;
    AspectRatio_ = AspectOf(Width_, Height_);
}

void TFImgSizeDlg::SetResolution(int dotsPerInch) { Resolution_ = dotsPerInch; }

int TFImgSizeDlg::GetWidth() const { return seHorizPixels_->value(); }

int TFImgSizeDlg::GetHeight() const { return seVertPixels_->value(); }

int TFImgSizeDlg::GetResolution() const { return seRes_->value(); }

double TFImgSizeDlg::PixelsPerUnit() const { return ::PixelsPerUnit(seRes_->value(), Units_); }

void TFImgSizeDlg::showEvent(QShowEvent* event)
{
    {
        QScopedValueRollback<bool> detached(attached_, false);
        seHorizPixels_->setValue(Width_);
        seVertPixels_->setValue(Height_);
        seRes_->setValue(Resolution_);
        SizesFromPixels();
    }
    attached_ = true;
    RefreshEstimate();
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    seHorizInches_->setFocus();
}

void TFImgSizeDlg::OnChange(QObject* sender)
{
    if (!attached_) return;
    {
        QScopedValueRollback<bool> detached(attached_, false);
        ChangedBy(sender);
    }
    RefreshEstimate();
}

void TFImgSizeDlg::ChangedBy(QObject* sender)
{
    if (sender == seHorizInches_) {
        seVertInches_->SetValue(TwoDecimals(seHorizInches_->Value() / AspectRatio_));
        PixelsFromSizes();
    } else if (sender == seVertInches_) {
        seHorizInches_->SetValue(TwoDecimals(seVertInches_->Value() * AspectRatio_));
        PixelsFromSizes();
    } else if (sender == seRes_) {
        PixelsFromSizes();
    } else if (sender == seHorizPixels_) {
        seVertPixels_->setValue(Round(seHorizPixels_->value() / static_cast<double>(AspectRatio_)));
        SizesFromPixels();
    } else if (sender == seVertPixels_) {
        seHorizPixels_->setValue(Round(seVertPixels_->value() * static_cast<double>(AspectRatio_)));
        SizesFromPixels();
    }
}

// A unit is only a way of showing the printed size: the pixels chosen are
// what is saved, so they stay and the sizes are shown anew from them. With
// the handlers attached each size written would pull the pixels after it,
// rounded again at every switch (451 x 300 would turn into 452 x 301 after
// cm, inches, cm).
void TFImgSizeDlg::UnitsClick(uint8_t units)
{
    Units_ = units;
    {
        QScopedValueRollback<bool> detached(attached_, false);
        SizesFromPixels();
    }
    gbSizeInches_->setTitle(QString::fromStdString(SizeGroupCaption(units)));
}

void TFImgSizeDlg::PixelsFromSizes()
{
    const double ppu = PixelsPerUnit();
    seHorizPixels_->setValue(PixelsFromSize(seHorizInches_->Value(), ppu));
    seVertPixels_->setValue(PixelsFromSize(seVertInches_->Value(), ppu));
}

void TFImgSizeDlg::SizesFromPixels()
{
    const double ppu = PixelsPerUnit();
    seHorizInches_->SetValue(SizeFromPixels(seHorizPixels_->value(), ppu));
    seVertInches_->SetValue(SizeFromPixels(seVertPixels_->value(), ppu));
}

void TFImgSizeDlg::RefreshEstimate()
{
    lblEstimSize_->setText(QString::fromStdString(EstimatedSizeText(GetWidth(), GetHeight())));
    btOk_->setEnabled(GetWidth() >= 1 && GetHeight() >= 1);
}

void TFImgSizeDlg::accept()
{
    // A 0-pixel picture cannot be rendered or saved.
    if (GetWidth() >= 1 && GetHeight() >= 1) QDialog::accept();
}
