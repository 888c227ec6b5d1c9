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
#include "app/ShellLogic.h"
#include "app/ShellTimings.h"
#include "app/qt/ShellActions.h"
#include "app/qt/ShellWidgets.h"
#include "frontend/qt/Accessibility.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "info/Version.h"
#include "info/qt/FrmAbout.h"
#include "memory/qt/MemoryPage.h"
#include "process/PriorityOptimizer.h"
#include "process/qt/CpuPage.h"
#include "settings/LanguageSetting.h"
#include "settings/StringTable.h"
#include "update/qt/FrmUpdate.h"

namespace kelvora {

namespace {

constexpr int kSlotLanguageSaved = 220;

} // namespace

frmMain::frmMain(AppServices& services, ShellActions& actions, BlockAllocator* blocks)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                               Qt::MSWindowsFixedSizeDialogHint),
      services_(services), actions_(actions), blocks_(blocks),
      links_(services.registry, services.shell, services.files, services.vendorUrl) {
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
    setCentralWidget(client_);
    connect(client_, &MainClientArea::backgroundHovered, this, [this] { ShowHoverImage(-1); });
    connect(client_, &MainClientArea::dragRequested, this, [this] {
        if (QWindow* handle = windowHandle())
            handle->startSystemMove();
    });

    buildHeader();
    buildNavigation();
    buildUpdateTile();
    buildFooter();
    buildPages();
    buildMenus();
    bindNavigation();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    GlobalTimer_.setObjectName(QStringLiteral("GlobalTimer"));
    connect(&GlobalTimer_, &QTimer::timeout, this, &frmMain::GlobalTimer_Timer);
    Timer3_.setObjectName(QStringLiteral("Timer3"));
    Timer3_.setInterval(mainwindow::kAutoUpdateDelayMs);
    connect(&Timer3_, &QTimer::timeout, this, &frmMain::Timer3_Timer);
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

void frmMain::Form_Load() {
    optLang_->clear();
    for (const char* name : kLanguageNames)
        optLang_->addItem(QString::fromUtf8(name));
    optLang_->setCurrentIndex(languageIndex(readCurLang(services_.registry)));

    applyTexts();

    // From here the first failure ends the initialisation; the window is shown all the same.
    try {
        Label1_->setText(controlCaption(services_.strings, mainWindowControls(), "Label1") + QLatin1Char(' ') +
                         QString::fromStdString(programVersionText()));
        memoryPage_->setDefaults();
        startGlobalTimer();
        cpuPage_->setDefaults();
    } catch (...) {
    }

    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    layout()->activate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    show();
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

void frmMain::startGlobalTimer() {
    ticker_.PanelRefreshTicks = 10;
    ticker_.PriorityCheckTicks = 20;
    GlobalTimer_.setInterval(mainwindow::kGlobalTickMs);
    GlobalTimer_.start();
}

void frmMain::GlobalTimer_Timer() {
    const MainTicker::Due due = ticker_.tick();
    // A refresh may start a release that yields for seconds. It runs as an event of its own, after this handler has
    // returned: Qt delivers no timeout of a timer while its handler runs, and the timer must keep ticking.
    if (due.refreshPanel)
        QMetaObject::invokeMethod(this, &frmMain::refreshMemoryPanelUnlessUnloaded, Qt::QueuedConnection);
    if (due.checkPriority)
        cpuPage_->UpdateForegroundPriority();
    else
        cpuPage_->optimizer().RetryHeldChanges(); // one more try for what the kernel refused for now
}

void frmMain::refreshMemoryPanelUnlessUnloaded() {
    // The unload stops the timer; a refresh still queued then must not start a release.
    if (GlobalTimer_.isActive())
        memoryPage_->RefreshMemoryPanel();
}

void frmMain::enableTimer3() {
    Timer3_.start();
}

void frmMain::Timer3_Timer() {
    if (!autoUpd_)
        autoUpd_ = new frmAutoUpd(services_);
    Timer3_.stop();
}

void frmMain::Form_Unload() {
    memoryPage_->releaseBlocks();
    GlobalTimer_.setInterval(0);
    GlobalTimer_.stop();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    Timer3_.stop();
    // Owned windows close with their owner.
    if (about_)
        about_->close();
    if (update_)
        update_->close();
    // A silent update check in progress ends with the window, so no question follows once the window is gone.
    if (autoUpd_)
        autoUpd_->close();
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

void frmMain::Command1_Click() {
    links_.OpenForum();
}

void frmMain::Command2_Click() {
    actions_.informationBox(this, uiText(services_.strings[kSlotLanguageSaved]));
    saveCurLang(services_.registry, optLang_->currentText().toStdString());
}

void frmMain::endProgram() {
    actions_.endProgramNow();
}

} // namespace kelvora
