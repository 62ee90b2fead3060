// A document on two views, for looking at by eye: on the left the source
// picture half transparent with the direction and edge overlays, on the right
// the drawing after a run of strokes. Built with the project; run from the
// source folder (the default brushes lie in build/):
//   build/demo_document [picture-file] [strokes] [brush-index]
#include "controls/ImageViewWidget.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/DualImage.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StrokeRenderer.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "gfx/PictureFile.h"
#include "gfx/Random.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>

#include <filesystem>

namespace {

// A still life: a vase, a ball and a table edge under soft light.
TBitmap32 StillLife()
{
    QImage image(420, 320, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, 220);
    wall.setColorAt(0, QColor(200, 190, 170));
    wall.setColorAt(1, QColor(150, 140, 125));
    p.fillRect(0, 0, 420, 220, wall);
    QLinearGradient table(0, 220, 0, 320);
    table.setColorAt(0, QColor(120, 80, 50));
    table.setColorAt(1, QColor(70, 45, 30));
    p.fillRect(0, 220, 420, 100, table);
    QRadialGradient vase(140, 130, 90, 110, 100);
    vase.setColorAt(0, QColor(110, 150, 210));
    vase.setColorAt(1, QColor(20, 40, 90));
    p.setBrush(vase);
    p.setPen(Qt::NoPen);
    QPainterPath body;
    body.moveTo(115, 40);
    body.cubicTo(120, 90, 60, 120, 80, 190);
    body.cubicTo(90, 240, 190, 240, 200, 190);
    body.cubicTo(220, 120, 160, 90, 165, 40);
    body.closeSubpath();
    p.drawPath(body);
    QRadialGradient ball(300, 170, 60, 280, 150);
    ball.setColorAt(0, QColor(250, 210, 120));
    ball.setColorAt(1, QColor(170, 70, 20));
    p.setBrush(ball);
    p.drawEllipse(QPointF(300, 185), 55, 55);
    p.end();
    return TBitmap32::FromImage(image);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    TTempManager temp(folder.path().toStdString() + "/");
    SetTempManager(&temp);

    TBitmap32 source = argc > 1 && *argv[1] ? LoadPictureFile(argv[1]) : StillLife();
    TBitmap32 dest(source.Width(), source.Height(), clWhite32);
    source.DrawMode = TDrawMode::dmBlend;
    source.MasterAlpha = 128;

    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* left = new TImageViewWidget(&window);
    auto* right = new TImageViewWidget(&window);
    layout->addWidget(left);
    layout->addWidget(right);
    left->View().SetBitmap(&source);
    right->View().SetBitmap(&dest);

    // Run from the source folder: the default brushes lie in build/.
    const std::string programFolder = std::filesystem::current_path().string() + "/build/";
    TPersistentObjectManager brushes(TBitmapBrushStrokeRenderer::BrushClass(), programFolder);
    brushes.InsertFirst(std::make_unique<TPolygonStrokeRenderer>());
    brushes.SetItemIndex(argc > 3 ? std::atoi(argv[3]) : 0);

    TGStyle style;
    TDualImage doc(left->View(), right->View(), 1.0f);
    doc.SetStyle(&style);
    doc.SetAutoMode(true);
    doc.RendererManager = &brushes;
    doc.SetShowDirections(true);
    doc.SetShowEdges(true);
    const int strokes = argc > 2 ? std::atoi(argv[2]) : 5000;
    doc.BeginState();
    for (int i = 0; i < strokes; ++i) {
        const int32_t x = Random(source.Width());
        doc.PlaceStrokeAt(x, Random(source.Height()));
    }
    doc.EndState();

    window.resize(900, 360);
    window.show();
    return app.exec();
}
