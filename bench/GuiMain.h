// The main of a benchmark program that paints or loads Qt resources: QPainter
// and the resource system want a GUI application, on the offscreen platform.
// Included once, by the program's only source file.
#pragma once

#include <benchmark/benchmark.h>

#include <QGuiApplication>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
