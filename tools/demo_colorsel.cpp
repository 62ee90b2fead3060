// A small window for looking at the colour selector, the bitmap slider and the
// version labels by eye. Built with the project as build/demo_colorsel.
// Arguments: "pressed" holds the slider's thumb down; "drag" also drags it to
// the dark end; "pick" picks a primary and a secondary colour.
#include "controls/InfoLabel.h"
#include "controls/OcraSlider.h"
#include "controls/SimpleColorSelector.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QMouseEvent>
#include <QTimer>

namespace {

QFrame* Swatch(QWidget* parent)
{
    auto* swatch = new QFrame(parent);
    swatch->setFrameShape(QFrame::Box);
    swatch->setFixedSize(40, 24);
    swatch->setAutoFillBackground(true);
    return swatch;
}

void Paint(QFrame* swatch, TColor32 color)
{
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, QColor::fromRgb(color));
    swatch->setPalette(palette);
}

void Send(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, to->mapToGlobal(at), button, held, {});
    QApplication::sendEvent(to, &event);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QWidget window;
    window.setWindowTitle("Colour selector");
    auto* grid = new QGridLayout(&window);

    auto* vertical = new TSimpleColorSelector(&window);
    auto* horizontal = new TSimpleColorSelector(&window);
    horizontal->SetHorizontalLayout(true);
    horizontal->setMinimumSize(238, 150);
    auto* primary = Swatch(&window);
    auto* secondary = Swatch(&window);
    vertical->OnSelectColor = [=] {
        Paint(primary, vertical->SelectedColor());
        Paint(secondary, vertical->SecondaryColor());
    };
    vertical->OnSelectColor();

    grid->addWidget(vertical, 0, 0, Qt::AlignTop);
    grid->addWidget(primary, 0, 1, Qt::AlignTop);
    grid->addWidget(secondary, 0, 2, Qt::AlignTop);
    grid->addWidget(horizontal, 1, 0, 1, 3);
    auto* slider = new TOcraSlider(&window);
    slider->SetMaximum(10);
    slider->SetPosition(7);
    grid->addWidget(slider, 2, 0, 1, 3);
    int row = 3;
    for (auto kind : {TKindInfoLabel::kiProductName, TKindInfoLabel::kiComments, TKindInfoLabel::kiProductVersion,
                      TKindInfoLabel::kiFileVersion}) {
        auto* label = new TInfoLabel(&window);
        label->SetKind(kind);
        grid->addWidget(label, row++, 0, 1, 3);
    }
    window.move(20, 20);
    window.show();

    QTimer::singleShot(300, [&] {
        TOcraSlider* lightness = vertical->findChild<TOcraSlider*>();
        if (args.contains("pressed") || args.contains("drag"))
            Send(lightness, QEvent::MouseButtonPress, {80, 4}, Qt::LeftButton, Qt::LeftButton);
        if (args.contains("drag")) Send(lightness, QEvent::MouseMove, {40, 4}, Qt::NoButton, Qt::LeftButton);
        if (args.contains("pick")) {
            QWidget* map = vertical->Map();
            Send(map, QEvent::MouseButtonPress, {90, 20}, Qt::LeftButton, Qt::LeftButton);
            Send(map, QEvent::MouseButtonRelease, {90, 20}, Qt::LeftButton, Qt::NoButton);
            Send(map, QEvent::MouseButtonPress, {100, 50}, Qt::RightButton, Qt::RightButton);
            Send(map, QEvent::MouseButtonRelease, {100, 50}, Qt::RightButton, Qt::NoButton);
        }
    });
    return app.exec();
}
