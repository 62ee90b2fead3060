// Shows both thumbnail grids side by side, with a selection and scrolled
// down, for looking at them by eye. Built with the project:
//   build/demo_grids WIDTH HEIGHT
#include "controls/Bitmap32List.h"
#include "controls/ImageList.h"
#include "controls/ImageListViewer.h"
#include "controls/ImageListViewer32.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace {

QImage Hatch(int i)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor::fromHsv((i * 37) % 360, 120, 90), 1 + i % 3));
    const double angle = i * 0.45;
    for (int k = -60; k < 60; k += 5 + i % 4) {
        const double c = std::cos(angle), s = std::sin(angle);
        p.drawLine(QPointF(20 + k * c - 40 * s, 20 + k * s + 40 * c), QPointF(20 + k * c + 40 * s, 20 + k * s - 40 * c));
    }
    return image;
}

TBitmap32 Brush(int i)
{
    QImage image(160, 35, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(10, 24);
    path.cubicTo(50, 4 + i * 3 % 20, 110, 34 - i * 5 % 20, 150, 12);
    p.setPen(QPen(QColor(30, 30, 30), 2 + i % 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    return TBitmap32::FromImage(image);
}

void Click(TThumbGrid& grid, int index)
{
    const TThumbCell cell = ThumbCellAt(grid.Layout(), index);
    const QPoint at(cell.X + 10, cell.Y + 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, grid.Canvas()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(grid.Canvas(), &press);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int width = argc > 1 ? std::atoi(argv[1]) : 420;
    const int height = argc > 2 ? std::atoi(argv[2]) : 200;

    TImageList patterns(40, 40);
    for (int i = 0; i < 40; ++i) patterns.Add(Hatch(i));
    TBitmap32List brushes;
    for (int i = 0; i < 9; ++i) brushes.Add(Brush(i));

    QWidget window;
    auto* row = new QHBoxLayout(&window);
    // The main window's colours (window colours, blue in the high byte).
    const auto win = [](unsigned c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); };
    auto* grid = new TImageListViewer;
    grid->SetColor(win(15721946));
    grid->SetImageList(&patterns);
    auto* grid32 = new TImageListViewer32;
    grid32->SetMargin(0);
    grid32->SetThumbSize(160, 35);
    grid32->SetColor(win(8598804));
    grid32->SetColorSelected(win(16112578));
    grid32->SetImageList(&brushes);
    row->addWidget(grid, 1);
    row->addWidget(grid32, 1);
    window.move(0, 0);
    window.resize(width, height);
    window.show();

    QTimer::singleShot(200, [&] {
        Click(*grid, 14);
        Click(*grid32, 5);
        grid->verticalScrollBar()->setValue(42 + 21);
        grid32->verticalScrollBar()->setValue(2 * 35);
    });
    return app.exec();
}
