#include "app/dialogs/SpinClick.h"

#include "app/dialogs/GuardedHandler.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

class TClickFilter : public QObject {
public:
    TClickFilter(QObject* parent, std::function<void()> handler) : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            GuardedHandler("Spin box", handler_);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

} // namespace

void OnSpinTextClick(QAbstractSpinBox* spin, std::function<void()> handler)
{
    if (auto* text = spin->findChild<QLineEdit*>()) text->installEventFilter(new TClickFilter(spin, std::move(handler)));
}
