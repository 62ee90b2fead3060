#include "app/dialogs/ResampleDialog.h"

#include "app/dialogs/DialogMath.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/dialogs/SpinClick.h"
#include "engine/Dialogs.h"
#include "gfx/Rounding.h"

#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>

#include <algorithm>

namespace {

int ClampSide(int32_t side) { return std::clamp(side, ResampleMinSide, ResampleMaxSide); }

} // namespace

float ResampleAspect(int width, int height) { return AspectOf(width, height); }

int ResampleLockedHeight(int width, float aspect) { return ClampSide(Round(width / static_cast<double>(aspect))); }

int ResampleLockedWidth(int height, float aspect) { return ClampSide(Round(height * static_cast<double>(aspect))); }

std::vector<std::string> ResampleProblems(int width, int height, int originalWidth, int originalHeight)
{
    std::vector<std::string> problems;
    if (width > originalWidth || height > originalHeight)
        problems.push_back("Please select an equal or smaller size\rthan the original image");
    if (width < 100 || height < 100) problems.push_back("Please select larger values for the image size");
    return problems;
}

TFResample::TFResample(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Resample source image"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(316, 161);

    auto* original = new QLabel(QStringLiteral("Original Resolution:"), this);
    original->setGeometry(16, 16, 150, 22);
    lblRes_ = new QLabel(this);
    lblRes_->setGeometry(170, 16, 130, 22);
    QFont bold = lblRes_->font();
    bold.setBold(true);
    lblRes_->setFont(bold);

    auto* recommended = new QLabel(QStringLiteral("Recommended Resolution:"), this);
    recommended->setGeometry(16, 50, 200, 22);
    seWidth_ = new QSpinBox(this);
    seHeight_ = new QSpinBox(this);
    for (QSpinBox* edit : {seWidth_, seHeight_}) edit->setRange(ResampleMinSide, ResampleMaxSide);
    seWidth_->setGeometry(16, 76, 100, 26);
    auto* times = new QLabel(QStringLiteral("x"), this);
    times->setAlignment(Qt::AlignCenter);
    times->setGeometry(116, 76, 24, 26);
    seHeight_->setGeometry(140, 76, 100, 26);

    btResample_ = new QPushButton(QStringLiteral("Resample"), this);
    btResample_->setGeometry(90, 120, 100, 28);
    btResample_->setDefault(true);
    btLeave_ = new QPushButton(QStringLiteral("Leave original"), this);
    btLeave_->setGeometry(198, 120, 106, 28);
    btLeave_->setAutoDefault(false);
    connect(btResample_, &QPushButton::clicked, this, &TFResample::accept);
    connect(btLeave_, &QPushButton::clicked, this, &TFResample::reject);

    connect(seWidth_, &QSpinBox::valueChanged, this, [this] { GuardedHandler("Resample dialog", [this] { OnChange(seWidth_); }); });
    connect(seHeight_, &QSpinBox::valueChanged, this, [this] { GuardedHandler("Resample dialog", [this] { OnChange(seHeight_); }); });
    OnSpinTextClick(seWidth_, [this] { OnChange(seWidth_); });
    OnSpinTextClick(seHeight_, [this] { OnChange(seHeight_); });
}

int TFResample::ChosenWidth() const { return seWidth_->value(); }

int TFResample::ChosenHeight() const { return seHeight_->value(); }

void TFResample::showEvent(QShowEvent* event)
{
    {
        QScopedValueRollback<bool> detached(attached_, false);
        seWidth_->setValue(RecommendedWidth);
        seHeight_->setValue(RecommendedHeight);
        AspectRatio_ = ResampleAspect(seWidth_->value(), seHeight_->value());
        lblRes_->setText(QStringLiteral("%1 x %2").arg(OriginalWidth).arg(OriginalHeight));
    }
    attached_ = true;
    QDialog::showEvent(event);
}

void TFResample::OnChange(QSpinBox* sender)
{
    if (!attached_) return;
    QScopedValueRollback<bool> detached(attached_, false);
    if (sender == seWidth_)
        seHeight_->setValue(ResampleLockedHeight(seWidth_->value(), AspectRatio_));
    else
        seWidth_->setValue(ResampleLockedWidth(seHeight_->value(), AspectRatio_));
}

void TFResample::accept()
{
    bool ok = false;
    GuardedHandler("Resample dialog", [&] {
        const std::vector<std::string> problems =
            ResampleProblems(ChosenWidth(), ChosenHeight(), OriginalWidth, OriginalHeight);
        for (const std::string& text : problems) Dialogs().ShowMessage("Error", text, TMessageKind::Error);
        ok = problems.empty();
    });
    if (ok) QDialog::accept();
}
