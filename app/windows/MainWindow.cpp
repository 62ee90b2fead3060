// The main window's creation, menus and events: first show with the
// command-line project, close, destruction, the idle work, the Shift key that
// always reaches the source view, the commands' keys in the windows that
// serve this one, and the "What is this?" click.
#include "app/windows/MainWindow.h"

#include "app/dialogs/GuardedHandler.h"

#include "app/dialogs/HelpWindow.h"
#include "app/dialogs/Navigator.h"
#include "app/dialogs/ScreenCentre.h"
#include "app/domain/Domain.h"
#include "app/tools/ToolManager.h"
#include "app/windows/ColorPanel.h"
#include "app/windows/GaugeLook.h"
#include "app/windows/HelpTopic.h"
#include "app/windows/MainWindowPictures.h"
#include "app/windows/MainWindowThumbs.h"
#include "app/windows/PanelManager.h"
#include "controls/ExeInfo.h"
#include "controls/ImageViewWidget.h"
#include "engine/Dialogs.h"
#include "engine/DualImage.h"
#include "gfx/Errors.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr const char* ProgramTitle = "Ocrastell Pro";

// The gradient behind the view area, seen while no document is open.
class TGradientArea : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0.0, QColor(128, 128, 128));
        gradient.setColorAt(1.0, WinColor(6375758));
        painter.fillRect(rect(), gradient);
    }
};

} // namespace

TFMain::TFMain(TDomain& domain, QStringList arguments, QWidget* parent)
    : QMainWindow(parent), domain_(domain), arguments_(std::move(arguments))
{
    setWindowTitle(ProgramTitle);
    stockImages_[0] = HandleGlyphPicture();
    stockImages_[1] = PolygonRendererPicture();
    SetHandleGlyphSource(this);
    // The window follows the application's activation itself (below).
    PanelManager_ = std::make_unique<TPanelManager>(this, false);

    auto* central = new TGradientArea(this);
    setCentralWidget(central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildViews(central);
    column->addWidget(panDual_, 1);
    BuildBottomBar(central);
    column->addStretch(0);
    column->addWidget(panPanels_, 0);
    BuildFloatingPanels();
    WireSettingHandlers();

    statusPanel_ = new QLabel(this);
    statusPanel_->setMinimumWidth(50);
    statusBar()->addWidget(statusPanel_);
    BuildMenus();
    for (QWidget* panel : floatingPanels_) ShareCommandKeys(*panel->window(), true);

    contextHelpMode_ = false;
    // The tool panels are hidden before the views are measured: together
    // they are wider than the window.
    for (QWidget* panel : toolPanels_)
        if (panel != toolPanels_[tpColors]) panel->hide();
    PlaceOnScreen(*this, QSize(1074, 770));
    for (QLayout* l : {layout(), central->layout(), panDual_->layout()}) l->activate();
    SplitViews();

    FillPatternImageList();
    FillStylesCombo();
    FillStrokesImageList();

    domain_.SetViews(&imgSrc_->View(), &imgDst_->View());
    domain_.SetMainWindow(this);
    // The tool commands show the tool buttons' pictures in the menus too.
    std::vector<QIcon> toolPictures;
    for (int i = 0; i < 5; ++i) toolPictures.push_back(ToolButtonPicture(i));
    domain_.SetToolImages(toolPictures);
    connect(&domain_, &TDomain::OnChange, this, [this] { Guarded([this] { UpdateControls(); }); });
    connect(&domain_, &TDomain::OnContextHelp, this, [this] { Guarded([this] { StartContextHelp(); }); });
    connect(&domain_, &TDomain::OnUpdatePattern, this,
            [this](int index) { Guarded([this, index] { OnUpdatePatternFrame(index); }); });
    connect(&domain_, &TDomain::OnUpdateStyle, this,
            [this](int index) { Guarded([this, index] { OnUpdateStyleFrame(index); }); });
    connect(&domain_, &TDomain::OnDeletePattern, this,
            [this](int index) { Guarded([this, index] { OnDeletePatternFrame(index); }); });
    connect(&domain_, &TDomain::OnDeleteStyle, this,
            [this](int index) { Guarded([this, index] { OnDeleteStyleFrame(index); }); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            ApplicationEvents1Activate();
        else
            ApplicationEvents1Deactivate();
    });
    qApp->installEventFilter(this);

    Guarded([this] { UpdateControls(); });
}

TFMain::~TFMain()
{
    qApp->removeEventFilter(this);
    if (contextHelpMode_) QApplication::restoreOverrideCursor();
    SetHandleGlyphSource(nullptr);
    if (navigator_) {
        navigator_->SetDestView(nullptr);
        navigator_->HasDocument = nullptr;
        ShareCommandKeys(*navigator_, false);
    }
    if (helpWindow_) ShareCommandKeys(*helpWindow_, false);
    // The command module frees the tool manager and the document, which hook
    // and draw on the views, while the views still exist.
    domain_.SetViews(nullptr, nullptr);
    domain_.SetMainWindow(nullptr);
    PanelManager_.reset();
    ColorPanel_.reset();
}

void TFMain::BuildMenus()
{
    using C = TCommandId;
    struct TMenuSetup {
        const char* Title;
        std::vector<C> Items; // Count stands for a separator
    };
    const TMenuSetup menus[] = {
        {"File",
         {C::Open, C::NewFromClipboard, C::Save, C::Close, C::PostScript, C::RenderAll, C::Count, C::OpenProject,
          C::SaveProject, C::SaveProjectAs, C::Exit}},
        {"Edit",
         {C::Undo, C::Redo, C::TakeSnapshot, C::UndoToLastSnapshot, C::Purge, C::Count, C::ApplyWithCurrentSettings,
          C::RepeatLastApply, C::Count, C::CopyResultToClipboard}},
        {"View", {C::ViewBorders, C::ViewDirections, C::ViewNavigator, C::FullScreenPreview}},
        {"Help", {C::Help, C::ContextHelp, C::About}},
    };
    for (const TMenuSetup& setup : menus) {
        QMenu* menu = menuBar()->addMenu(tr(setup.Title));
        for (C id : setup.Items) {
            if (id == C::Count)
                menu->addSeparator();
            else if (QAction* action = domain_.Command(id))
                menu->addAction(action);
        }
        connect(menu, &QMenu::aboutToShow, this, [this] { Guarded([this] { domain_.UpdateAllCommands(); }); });
    }
    // Every command belongs to the window, so the shortcuts of commands that
    // no menu shows (the tools, the styles) work wherever the focus is. After
    // each one the stroke count and memory texts are brought up to date:
    // Undo, Redo, Purge and the apply run change them without a refresh.
    for (int i = 0; i < static_cast<int>(C::Count); ++i)
        if (QAction* action = domain_.Command(static_cast<C>(i))) {
            addAction(action);
            connect(action, &QAction::triggered, this, [this] { Guarded([this] { UpdateProjectInfo(); }); });
        }
}

void TFMain::BindButton(QAbstractButton* button, TCommandId id)
{
    QAction* action = domain_.Command(id);
    connect(button, &QAbstractButton::clicked, this, [this, id] { Guarded([this, id] { domain_.Execute(id); }); });
    if (!action) return;
    auto follow = [button, action] {
        button->setEnabled(action->isEnabled());
        if (!action->toolTip().isEmpty()) button->setToolTip(action->toolTip());
    };
    follow();
    connect(action, &QAction::changed, button, follow);
}

// A click on a floating panel, the navigator or the help window makes it the
// active window, and the toolkit gives a window's keys to the commands of
// the active window only: they answer there as here. Typing into an edit
// box still goes to the box, and modal dialogs and the full-screen preview,
// which become the active window themselves, keep their keys.
void TFMain::ShareCommandKeys(QWidget& other, bool share)
{
    for (QAction* action : actions()) share ? other.addAction(action) : other.removeAction(action);
}

std::vector<QWidget*> TFMain::ServingWindows() const
{
    std::vector<QWidget*> windows;
    for (QWidget* panel : floatingPanels_)
        if (panel) windows.push_back(panel->window());
    if (navigator_) windows.push_back(navigator_);
    if (helpWindow_) windows.push_back(helpWindow_);
    return windows;
}

void TFMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // The progress window holds this window while a long operation pumps
    // events: the windows that serve it, and the commands' keys they share,
    // are held with it.
    if (event->type() == QEvent::EnabledChange)
        for (QWidget* other : ServingWindows()) other->setEnabled(isEnabled());
}

void TFMain::Guarded(const std::function<void()>& handler)
{
    // Whoever had to tell the user has done so before raising; what reaches
    // the event loop is dropped, as the program's exception handler does.
    GuardedHandler("TFMain", handler);
}

const TBitmap32* TFMain::HandleGlyph() const { return &stockImages_[0]; }

// --- Show, close ---------------------------------------------------------

void TFMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    Guarded([this] { FormShow(); });
}

void TFMain::FormShow()
{
    const TExeInfo info;
    if (!info.ProductName().isEmpty()) setWindowTitle(info.ProductName() + " - " + info.ProductVersion());
    if (arguments_.size() != 1) return;
    const std::string fileName = arguments_.front().toStdString();
    try {
        domain_.LoadProject(fileName);
    } catch (...) {
        Dialogs().ShowMessage(ProgramTitle, "Could not open " + fileName, TMessageKind::Plain);
    }
}

void TFMain::closeEvent(QCloseEvent* event)
{
    // The progress window disables this one while a long operation pumps
    // events; a close from the window manager then would run the save
    // question, a save and the program's end inside that operation.
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    bool close = true;
    TDualImage* document = domain_.Document();
    if (document && document->Modified) {
        close = false;
        Guarded([this, &close] { close = domain_.CanClose(); });
    }
    if (close) {
        // Closing this window ends the program: no other window of it may
        // stay shown and keep the event loop running.
        ApplicationEvents1Deactivate();
        HideNavigator();
        if (helpWindow_) helpWindow_->hide();
        event->accept();
    } else {
        event->ignore();
    }
}

// --- Application events ------------------------------------------------

void TFMain::ApplicationEvents1Idle()
{
    Guarded([this] {
        domain_.UpdateAllCommands();
        domain_.IdleWork();
    });
}

void TFMain::ApplicationEvents1Activate() { ShowFixedPanels(); }

void TFMain::ApplicationEvents1Deactivate()
{
    HideAllPanels();
    // A Shift released while another program is active never reaches this
    // one: the tool would go on sizing the brush instead of drawing.
    if (TToolManager* tools = domain_.ToolManager())
        if (TAbstractInputController* tool = tools->Current()) tool->ReleaseShift();
}

bool TFMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: break;
    default: return QMainWindow::eventFilter(watched, event);
    }
    // Nothing thrown in here may reach Qt's dispatch.
    bool handled = false;
    Guarded([&] {
        handled = HelpClick(watched, event) || ForwardShift(watched, event) || PanelEvent(watched, event);
    });
    return handled || QMainWindow::eventFilter(watched, event);
}

bool TFMain::ForwardShift(QObject* watched, QEvent* event)
{
    if (forwardingShift_ || !watched->isWidgetType()) return false;
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Shift) return false;
    // The tools' Shift radius drag listens on the source view, whatever
    // control has the focus; no other control ever sees Shift.
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                   key->nativeModifiers(), key->text(), key->isAutoRepeat(), key->count());
    forwardingShift_ = true;
    QCoreApplication::sendEvent(imgSrc_, &copy);
    forwardingShift_ = false;
    return true;
}

bool TFMain::PanelEvent(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonRelease && (watched == imgSrc_->viewport() || watched == imgDst_->viewport()))
        // A tool's drag has just placed its strokes; count them once it is done.
        QMetaObject::invokeMethod(this, [this] { Guarded([this] { UpdateProjectInfo(); }); }, Qt::QueuedConnection);
    if (type == QEvent::MouseMove) {
        if (watched == imgPreviewStyle_ || watched == imgBrush_ || watched == imgSize_) HideUnfixedPanels();
        return false;
    }
    if (type == QEvent::MouseButtonPress && watched == imgBrush_) {
        ImgBrushClick();
        return true;
    }
    return false;
}

// --- The windows start-up makes after this one -----------------------------

void TFMain::SetHelpWindow(TFHlpWnd* helpWindow)
{
    if (helpWindow_) ShareCommandKeys(*helpWindow_, false);
    helpWindow_ = helpWindow;
    if (helpWindow) ShareCommandKeys(*helpWindow, true);
    OnShowHelp = [helpWindow](const std::string& topic) {
        if (helpWindow) helpWindow->ShowHelp(QString::fromStdString(topic));
    };
}

void TFMain::SetNavigator(TFNavigator* navigator)
{
    if (navigator_) ShareCommandKeys(*navigator_, false);
    navigator_ = navigator;
    if (!navigator_) return;
    ShareCommandKeys(*navigator_, true);
    navigator_->SetDestView(&imgDst_->View());
    navigator_->HasDocument = [this] { return domain_.Document() != nullptr; };
}

void TFMain::ShowNavigator()
{
    if (!navigator_) return;
    navigator_->show();
    navigator_->raise();
    navigator_->UpdateView();
}

void TFMain::HideNavigator()
{
    if (navigator_) navigator_->hide();
}

// --- "What is this?" -----------------------------------------------------

void TFMain::StartContextHelp()
{
    if (contextHelpMode_) return;
    contextHelpMode_ = true;
    // From the menu or the keyboard too, the group shows that no tool is current.
    toolButtons_[4]->setChecked(true);
    if (domain_.ToolManager()) domain_.ToolManager()->SetEnabled(false);
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    if (const QAction* command = domain_.Command(TCommandId::ContextHelp))
        statusBar()->showMessage(command->toolTip());
    QCoreApplication::processEvents();
}

void TFMain::EndContextHelp()
{
    contextHelpMode_ = false;
    if (domain_.ToolManager()) domain_.ToolManager()->SetEnabled(true);
    QApplication::restoreOverrideCursor();
    statusBar()->clearMessage();
}

bool TFMain::HelpClick(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType()) return false;
    const QEvent::Type type = event->type();
    if (swallowHelpRelease_ && type == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The release of the help click belongs to it too.
        swallowHelpRelease_ = false;
        return true;
    }
    if (!contextHelpMode_) return false;
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick) return false;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    EndContextHelp();
    swallowHelpRelease_ = true;
    const std::string topic = HelpTopicOf(watched);
    if (OnShowHelp) OnShowHelp(topic);
    return true;
}
