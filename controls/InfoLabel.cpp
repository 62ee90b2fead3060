#include "controls/InfoLabel.h"

TInfoLabel::TInfoLabel(QWidget* parent) : TInfoLabel(parent, std::make_unique<TExeInfo>()) {}

TInfoLabel::TInfoLabel(QWidget* parent, std::unique_ptr<TExeInfo> reader)
    : QLabel(parent), reader_(std::move(reader))
{
    SetKind(kind_);
}

TInfoLabel::~TInfoLabel() = default;

void TInfoLabel::SetKind(TKindInfoLabel kind)
{
    kind_ = kind;
    const auto index = static_cast<size_t>(kind);
    if (index >= VersionStringNames.size()) return;
    setText(reader_ ? reader_->String(index) : QString::fromLatin1(VersionStringNames[index]));
}
