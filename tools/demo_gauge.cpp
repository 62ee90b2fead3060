// Shows gauge bars and floating-point spin edits at several values and sizes,
// for looking at them. Built with the project as build/demo_gauge.
#include "controls/FloatSpinEdit.h"
#include "controls/GaugeTrack.h"
#include "controls/NumericEdit.h"
#include "controls/NumericGaugeBar.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

TNumericGaugeBar* Gauge(QWidget* parent, float min, float max, bool log, bool integer, double value, int width)
{
    auto* bar = new TNumericGaugeBar(parent);
    bar->SetMaxValue(max);
    bar->SetMinValue(min);
    bar->SetLogScale(log);
    bar->SetIntValue(integer);
    bar->setFixedWidth(width);
    bar->SetValue(value);
    return bar;
}

TFloatEdit* Spin(QWidget* parent, double value, double max, int decimals, TFloatFormat format)
{
    auto* spin = new TFloatEdit(parent);
    spin->SetMaxValue(max);
    spin->SetDecimals(decimals);
    spin->SetFType(format);
    spin->SetValue(value);
    spin->setFixedWidth(110);
    return spin;
}

// The look the main window gives all its gauges (window colours, blue in the
// high byte).
void MainWindowLook(TNumericGaugeBar* bar)
{
    const auto win = [](unsigned c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); };
    bar->SetColorShapePen(win(12145447));
    bar->SetColorEdit(win(15450539));
    bar->SetColorFont(win(7416098));
    bar->SetColorGauge(win(15450539));
    bar->SetColorHandle(win(12145447));
    bar->SetColorBackground(win(13411464));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Gauges");
    auto* form = new QFormLayout(&window);
    form->addRow("Width 5..300 log", Gauge(&window, 5, 300, true, true, 40, 145));
    form->addRow("Transparency", Gauge(&window, 0, 255, false, true, 255, 145));
    auto* gain = Gauge(&window, 0.5f, 12, false, false, 4.4, 145);
    form->addRow("Gain 0.5..12", gain);
    form->addRow("Hue -180..180", Gauge(&window, -180, 180, false, true, -128, 220));
    form->addRow("Minimum", Gauge(&window, 1, 100, false, false, 1, 100));
    form->addRow("Wide 0..10000", Gauge(&window, 0, 10000, false, false, 9999.96, 320));
    auto* typed = Gauge(&window, 1, 100, false, false, 30, 145);
    form->addRow("Typed 1-2", typed);
    auto* disabled = Gauge(&window, 1, 100, false, false, 60, 145);
    disabled->setEnabled(false);
    form->addRow("Disabled", disabled);
    auto* styled = Gauge(&window, 2, 40, false, true, 8, 135);
    MainWindowLook(styled);
    form->addRow("Main window look", styled);
    auto* styledLog = Gauge(&window, 5, 300, true, true, 120, 135);
    MainWindowLook(styledLog);
    form->addRow("Length (log)", styledLog);
    form->addRow("Inches", Spin(&window, 12.5, 100000, 2, TFloatFormat::ffGeneral));
    form->addRow("One third", Spin(&window, 1.0 / 3, 0, 4, TFloatFormat::ffGeneral));
    form->addRow("Large", Spin(&window, 1e15, 0, 4, TFloatFormat::ffGeneral));
    form->addRow("Number", Spin(&window, 1234567.891, 0, 2, TFloatFormat::ffNumber));
    window.resize(460, 370);
    window.show();
    // With a second argument, act as a user would: drag one gauge half its
    // track and type text that is no number into another.
    if (argc > 2) QTimer::singleShot(500, &app, [gain, typed] {
        TGaugeTrack* g = gain->Gauge();
        const QPoint from(g->HandleLeft(g->Position()) + 5, 6);
        QTest::mousePress(g, Qt::LeftButton, {}, from);
        QTest::mouseMove(g, from + QPoint(g->width() / 2, 0));
        QTest::mouseRelease(g, Qt::LeftButton, {}, from + QPoint(g->width() / 2, 0));
        typed->Edit()->setFocus();
        typed->Edit()->selectAll();
        QTest::keyClicks(typed->Edit(), "1-2x");
        QTest::keyClick(typed->Edit(), Qt::Key_Return);
    });
    if (argc > 1) QTimer::singleShot(std::atoi(argv[1]), &app, &QApplication::quit);
    return app.exec();
}
