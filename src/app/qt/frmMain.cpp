#include "app/qt/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QWindow>

#include "app/MainWindowControls.h"
#include "app/qt/ShellActions.h"
#include "app/qt/ShellWidgets.h"
#include "frontend/qt/Accessibility.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "info/qt/FrmAbout.h"
#include "memory/qt/MemoryPage.h"
#include "process/PriorityOptimizer.h"
#include "process/qt/CpuPage.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "update/qt/FrmUpdate.h"

namespace kelvora {

frmMain::frmMain(AppServices& services, ShellActions& actions, BlockAllocator* blocks)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::MSWindowsFixedSizeDialogHint),
      services_(services), actions_(actions), blocks_(blocks), controller_(services, *this, *this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setFont(windowFont());

    client_ = new MainClientArea(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setFixedSize(kMainClientWidth, kMainClientHeight);
    client_->setAutoFillBackground(true);
    QPalette white = client_->palette();
    white.setColor(QPalette::Window, toQColor(palette::kWindow));
    client_->setPalette(white);
    // The first focus rests on the client area, so no navigation item holds a focus it does not show.
    client_->setFocusPolicy(Qt::ClickFocus);
    setCentralWidget(client_);
    connect(client_, &MainClientArea::backgroundHovered, this,
            [this] { controller_.pointerOver(PointerPlace::BareBackground); });
    connect(client_, &MainClientArea::dragRequested, this, [this](QPoint global) {
        // Under X11 the window follows the pointer itself, so it sees a second button and stops; a Wayland client
        // cannot place itself and hands the move to the compositor.
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            dragOffset_ = global - pos();
        else if (QWindow* handle = windowHandle())
            handle->startSystemMove();
    });
    connect(client_, &MainClientArea::dragMoved, this, [this](QPoint global) { move(global - dragOffset_); });

    buildHeader();
    buildNavigation();
    buildUpdateTile();
    buildFooter();
    buildPages();
    buildMenus();
    bindNavigation();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    GlobalTimer_.setObjectName(QStringLiteral("GlobalTimer"));
    connect(&GlobalTimer_, &QTimer::timeout, this, [this] { controller_.onTimer(ShellTimer::Global); });
    Timer3_.setObjectName(QStringLiteral("Timer3"));
    connect(&Timer3_, &QTimer::timeout, this, [this] { controller_.onTimer(ShellTimer::AutoUpdate); });
}

frmMain::~frmMain() {
    // The hidden update window has no owner; it goes with the main window.
    delete autoUpd_.data();
}

FrmAbout* frmMain::aboutWindow() const {
    return about_;
}

frmUpdate* frmMain::updateWindow() const {
    return update_;
}

frmAutoUpd* frmMain::autoUpdateWindow() const {
    return autoUpd_;
}

void frmMain::fillLanguages(const std::array<const char*, 3>& names, int selected) {
    optLang_->clear();
    for (const char* name : names)
        optLang_->addItem(QString::fromUtf8(name));
    optLang_->setCurrentIndex(selected);
}

std::string frmMain::selectedLanguage() const {
    return optLang_->currentText().toStdString();
}

void frmMain::applyTexts() {
    const StringTable& s = services_.strings;
    applyCaption(Label11_, s, informationPageControls());
    applyCaption(Command1_, s, informationPageControls());
    auto menuCaption = [&s](const QObject* item) {
        return controlCaption(s, mainMenuControls(), item->objectName().toLatin1().constData());
    };
    for (QMenu* menu : menus_)
        menu->setTitle(menuCaption(menu));
    for (QAction* item : menuItems_)
        item->setText(menuCaption(item));
    for (LinkLabel* label : navLabels_)
        applyCaption(label, s, mainWindowControls());
    applyCaption(Label21_, s, mainWindowControls());
    // The tile's picture does what its text says; assistive tools read it the same way.
    Image9_->setAccessibleName(Label21_->text());
    applyCaption(Label22_, s, mainWindowControls());
    for (QTabWidget* page : pages_) {
        page->setTabText(0, controlCaption(s, mainWindowControls(), page->objectName().toLatin1().constData()));
        // Assistive tools tell the shown page by its container's name and its showing state.
        page->setAccessibleName(page->tabText(0));
    }
    applyCaption(Label9_, s, informationPageControls());
    applyCaption(Label10_, s, informationPageControls());
    applyCaption(Label12_, s, settingsPageControls());
    applyCaption(Command2_, s, settingsPageControls());
    cpuPage_->applyTexts();
    memoryPage_->applyTexts();
    applyAccessibleNames(this, s);
}

void frmMain::setVersionText(const std::string& text) {
    Label1_->setText(uiText(text));
}

void frmMain::yieldToEvents() {
    QCoreApplication::processEvents();
}

void frmMain::showWindow() {
    if (!isVisible()) {
        layout()->activate();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        client_->setFocus(Qt::OtherFocusReason);
    }
    show();
}

void frmMain::postPanelRefresh() {
    // Qt delivers no timeout of a timer while its handler runs; the refresh runs after this tick has returned.
    QMetaObject::invokeMethod(this, [this] { controller_.panelRefreshPosted(); }, Qt::QueuedConnection);
}

void frmMain::setMemoryDefaults() {
    memoryPage_->setDefaults();
}

void frmMain::refreshMemoryPanel() {
    memoryPage_->RefreshMemoryPanel();
}

void frmMain::releaseMemoryBlocks() {
    memoryPage_->releaseBlocks();
}

void frmMain::setCpuDefaults() {
    cpuPage_->setDefaults();
}

void frmMain::updateForegroundPriority() {
    cpuPage_->UpdateForegroundPriority();
}

void frmMain::retryHeldPriorityChanges() {
    cpuPage_->optimizer().RetryHeldChanges();
}

void frmMain::start(ShellTimer which, int intervalMs) {
    timer(which).setInterval(intervalMs);
    timer(which).start();
}

void frmMain::stop(ShellTimer which) {
    timer(which).stop();
    timer(which).setInterval(0);
}

void frmMain::loadAutoUpdate() {
    if (!autoUpd_)
        autoUpd_ = new frmAutoUpd(services_);
}

void frmMain::closeOwnedWindows() {
    if (about_)
        about_->close();
    if (update_)
        update_->close();
    // A silent update check in progress ends with the window, so no question follows once the window is gone.
    if (autoUpd_)
        autoUpd_->close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    controller_.unload();
    event->accept();
    emit unloaded();
}

void frmMain::ShowPage(int index) {
    for (int i = 0; i < kPages; ++i)
        pages_[static_cast<std::size_t>(i)]->setVisible(i == index);
}

void frmMain::ShowHoverImage(int index) {
    for (int i = 0; i < kHoverBars; ++i)
        hoverBars_[static_cast<std::size_t>(i)]->setVisible(i == index);
}

namespace {

// Shows an owned modeless window, bringing it forward when it is already open.
template <typename Window> void showOwned(QPointer<Window>& window, AppServices& services, QWidget* owner) {
    if (!window) {
        // Each window decides its own lifetime; a deleted one is simply created again.
        window = new Window(services, owner);
        window->setModal(false);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void frmMain::showAbout() {
    showOwned(about_, services_, this);
}

void frmMain::showUpdate() {
    // A closed update window may still be unwinding its check; it deletes itself, and the next opening starts anew.
    if (update_ && update_->isClosing())
        update_ = nullptr;
    showOwned(update_, services_, this);
}

void frmMain::messageBox(const std::string& text, MessageIcon icon) {
    if (icon == MessageIcon::Error)
        actions_.errorBox(this, uiText(text));
    else
        actions_.informationBox(this, uiText(text));
}

void frmMain::endProgram() {
    actions_.endProgramNow();
}

} // namespace kelvora
