#include "app/windows/PanelManager.h"

#include "app/windows/FloatingPanel.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/windows/HeaderPanel.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {

// Distance of a panel's corner from the pointer, and of its right and bottom
// edges from the main window's.
constexpr int Offset = 10;

void SetUnderline(QWidget* label, bool on)
{
    QFont font = label->font();
    font.setUnderline(on);
    label->setFont(font);
}

} // namespace

TPanelManager::TPanelManager(QWidget* owner, bool followApplicationState) : owner_(owner)
{
    if (followApplicationState)
        connect(qApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) { ApplicationStateChanged(state); });
}

TPanelManager::~TPanelManager() = default;

// --- Registration ------------------------------------------------------------

THeaderPanel* TPanelManager::AddPanel(const TFloatingPanelSetup& setup, QWidget* content)
{
    auto host = std::make_unique<TFormPanel>();
    auto* panel = new THeaderPanel(setup, content);
    host->SetPanel(panel);
    const int tag = setup.Tag;
    // Only the close and pin buttons of this panel reach these, and always
    // for its own tag: HidePanel and SetFixed act on the first panel of it.
    panel->OnClose = [this, tag] {
        HidePanel(tag);
        SetFixed(tag, false);
    };
    panel->OnPin = [this, tag] { SetFixed(tag, !IsFixed(tag)); };
    entries_.push_back({std::move(host), panel, false});
    return panel;
}

void TPanelManager::AddOpener(QWidget* opener, int tag)
{
    auto* button = qobject_cast<QAbstractButton*>(opener);
    openers_.push_back({opener, tag, button == nullptr});
    opener->setCursor(Qt::PointingHandCursor);
    if (button)
        connect(button, &QAbstractButton::clicked, this,
                [this, tag] { GuardedHandler("Open panel", [&] { ShowPanels(tag); }); });
    else
        opener->installEventFilter(this);
}

void TPanelManager::AddAutoHideArea(QWidget* area)
{
    if (auto* scroll = qobject_cast<QAbstractScrollArea*>(area)) area = scroll->viewport();
    area->setMouseTracking(true);
    area->installEventFilter(this);
    autoHideAreas_.push_back(area);
}

// --- Showing and hiding --------------------------------------------------------

void TPanelManager::ShowPanels(int tag)
{
    for (TEntry& entry : entries_)
        if (entry.Panel->Tag() == tag) ShowPanel(entry);
}

// The left and top edges are not corrected: a panel opened near the main
// window's left or top edge may stick out there.
void TPanelManager::ShowPanel(TEntry& entry)
{
    TFormPanel& host = *entry.Host;
    const QSize size = entry.Panel->Setup().Size;
    host.resize(size);
    entry.Panel->show();

    const QPoint pointer = QCursor::pos();
    int left = pointer.x() - Offset;
    int top = pointer.y() - Offset;
    if (owner_) {
        const QRect bounds = owner_->frameGeometry();
        const int right = bounds.x() + bounds.width();
        const int bottom = bounds.y() + bounds.height();
        if (left + size.width() > right) left = right - size.width() - Offset;
        if (top + size.height() > bottom) top = bottom - size.height() - Offset;
    }
    host.move(left, top);
    host.show();
    host.raise();
}

void TPanelManager::HidePanel(int tag)
{
    if (TEntry* entry = FirstEntry(tag)) entry->Host->hide();
}

bool TPanelManager::IsFixed(int tag) const
{
    const TEntry* entry = FirstEntry(tag);
    return entry && entry->Fixed;
}

void TPanelManager::SetFixed(int tag, bool value)
{
    TEntry* entry = FirstEntry(tag);
    if (!entry) return;
    entry->Fixed = value;
    entry->Panel->ShowPinned(value);
}

void TPanelManager::HideUnfixed()
{
    for (TEntry& entry : entries_)
        if (!entry.Fixed) entry.Host->hide();
}

void TPanelManager::ShowFixed()
{
    for (TEntry& entry : entries_) {
        if (!entry.Fixed) continue;
        entry.Host->show();
        entry.Host->raise();
    }
}

void TPanelManager::HideAll()
{
    for (TEntry& entry : entries_) entry.Host->hide();
}

void TPanelManager::ApplicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive)
        ShowFixed();
    else
        HideAll();
}

// --- Events ------------------------------------------------------------------

bool TPanelManager::eventFilter(QObject* watched, QEvent* event)
{
    GuardedHandler("Floating panels", [&] {
        switch (event->type()) {
        case QEvent::MouseMove:
            if (IsAutoHideArea(watched)) HideUnfixed();
            break;
        case QEvent::Enter:
        case QEvent::Leave:
            if (qobject_cast<QLabel*>(watched) && FindOpener(watched))
                SetUnderline(static_cast<QWidget*>(watched), event->type() == QEvent::Enter);
            break;
        case QEvent::MouseButtonRelease: {
            const TOpener* opener = FindOpener(watched);
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (opener && opener->ClickedByRelease && mouse->button() == Qt::LeftButton &&
                opener->Widget->rect().contains(mouse->position().toPoint()))
                ShowPanels(opener->Tag);
            break;
        }
        default: break;
        }
    });
    return false;
}

// --- Lookups -----------------------------------------------------------------

THeaderPanel* TPanelManager::Panel(int tag) const
{
    const TEntry* entry = FirstEntry(tag);
    return entry ? entry->Panel : nullptr;
}

TFormPanel* TPanelManager::Host(int tag) const
{
    const TEntry* entry = FirstEntry(tag);
    return entry ? entry->Host.get() : nullptr;
}

TPanelManager::TEntry* TPanelManager::FirstEntry(int tag)
{
    for (TEntry& entry : entries_)
        if (entry.Panel->Tag() == tag) return &entry;
    return nullptr;
}

const TPanelManager::TEntry* TPanelManager::FirstEntry(int tag) const
{
    return const_cast<TPanelManager*>(this)->FirstEntry(tag);
}

const TPanelManager::TOpener* TPanelManager::FindOpener(const QObject* widget) const
{
    for (const TOpener& opener : openers_)
        if (opener.Widget == widget) return &opener;
    return nullptr;
}

bool TPanelManager::IsAutoHideArea(const QObject* widget) const
{
    for (const QPointer<QWidget>& area : autoHideAreas_)
        if (area == widget) return true;
    return false;
}
