#include "app/dialogs/MemoryFigures.h"

#include <QFile>
#include <QList>

#include <limits>

namespace {

// kB to bytes; absurd counts saturate rather than overflow.
int64_t KiloBytes(const QByteArray& value)
{
    bool ok = false;
    const qlonglong kb = value.trimmed().split(' ').value(0).toLongLong(&ok);
    if (!ok || kb < 0) return 0;
    if (kb > std::numeric_limits<int64_t>::max() / 1024) return std::numeric_limits<int64_t>::max();
    return kb * 1024;
}

} // namespace

TMemoryFigures ParseMemInfo(const QByteArray& text)
{
    TMemoryFigures figures;
    int64_t available = -1, free = 0;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1);
        if (name == "MemTotal")
            figures.Total = KiloBytes(value);
        else if (name == "MemAvailable")
            available = KiloBytes(value);
        else if (name == "MemFree")
            free = KiloBytes(value);
    }
    figures.Free = available >= 0 ? available : free;
    return figures;
}

TMemoryFigures ReadMemoryFigures(const QString& fileName)
{
    QFile file(fileName);
    // The kernel's files report size 0: read until the end.
    if (!file.open(QIODevice::ReadOnly)) return {};
    return ParseMemInfo(file.readAll());
}

QString TotalMemoryText(const TMemoryFigures& figures)
{
    return QStringLiteral("Total physical memory: ") + QString::number(figures.Total);
}

QString FreeMemoryText(const TMemoryFigures& figures)
{
    return QStringLiteral("Free physical memory: ") + QString::number(figures.Free);
}
