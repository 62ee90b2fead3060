#include "app/ui/QtDialogs.h"

#include <QMessageBox>
#include <QRegularExpression>

namespace {

QMessageBox::Icon IconOf(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::Information: return QMessageBox::Information;
    case TMessageKind::Warning: return QMessageBox::Warning;
    case TMessageKind::Error: return QMessageBox::Critical;
    case TMessageKind::Plain: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

TAnswer AskWithIcon(QMessageBox::Icon icon, const std::string& caption, const std::string& question,
                    bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    QMessageBox box(icon, QString::fromStdString(caption), MessageDisplayText(question), buttons);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    default: return withCancel ? TAnswer::Cancel : TAnswer::No;
    }
}

} // namespace

QString MessageDisplayText(const std::string& text)
{
    // A line feed and a carriage return together, in either order, are one break.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n\r|\r"));
    return QString::fromStdString(text).replace(lineBreak, QStringLiteral("\n"));
}

void TQtDialogs::ShowMessage(const std::string& caption, const std::string& text, TMessageKind kind)
{
    QMessageBox box(IconOf(kind), QString::fromStdString(caption), MessageDisplayText(text), QMessageBox::Ok);
    box.exec();
}

TAnswer TQtDialogs::Ask(const std::string& caption, const std::string& question, bool withCancel)
{
    return AskWithIcon(QMessageBox::Question, caption, question, withCancel);
}

TAnswer TQtDialogs::AskWarning(const std::string& caption, const std::string& question)
{
    return AskWithIcon(QMessageBox::Warning, caption, question, false);
}
