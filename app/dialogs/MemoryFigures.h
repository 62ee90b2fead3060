// The machine's physical memory as the about box shows it: read from the
// kernel's memory report, shown as plain byte counts without grouping.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

struct TMemoryFigures {
    int64_t Total = 0; // bytes
    int64_t Free = 0;  // bytes the programs can still have (available), or free where that is not reported
};

// Reads the "MemTotal", "MemAvailable" and "MemFree" lines of a
// /proc/meminfo text (kB); what is missing or unreadable counts 0.
TMemoryFigures ParseMemInfo(const QByteArray& text);
// The running machine's figures; zeros when the report cannot be read.
TMemoryFigures ReadMemoryFigures(const QString& fileName = QStringLiteral("/proc/meminfo"));

QString TotalMemoryText(const TMemoryFigures& figures);
QString FreeMemoryText(const TMemoryFigures& figures);
