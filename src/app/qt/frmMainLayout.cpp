// The main window's items at their pixel places; created bottom first, so later items lie above earlier ones.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "app/MainWindowControls.h"
#include "app/Navigation.h"
#include "app/ShellLogic.h"
#include "app/qt/ShellWidgets.h"
#include "app/qt/frmMain.h"
#include "frontend/FixedTexts.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "memory/qt/MemoryPage.h"
#include "process/qt/CpuPage.h"

namespace kelvora {

namespace {

// A plain-text label at its place in `table`; it draws wrapped lines as the system's labels do.
QLabel* makeLabel(QWidget* parent, ControlTable table, const char* name) {
    return placeControl(new WrapLabel(parent), table, name);
}

template <typename W> W* placeMain(W* widget, const char* name) {
    return placeControl(widget, mainWindowControls(), name);
}

} // namespace

void frmMain::buildHeader() {
    auto* image1 = new PictureBox(QStringLiteral(":/images/banner.png"), PictureBox::Fit::Natural,
                                  QStringLiteral("Kelvora 2008"), client_);
    placeMain(image1, "Image1");

    auto* image12 =
        new PictureBox(QStringLiteral(":/images/version.png"), PictureBox::Fit::Natural, QString(), client_);
    placeMain(image12, "Image12");

    auto* label2 = placeMain(new QLabel(client_), "Label2");
    label2->setAutoFillBackground(true);
    QPalette blockPalette = label2->palette();
    blockPalette.setColor(QPalette::Window, toQColor(palette::kVersionBlock));
    label2->setPalette(blockPalette);

    Label1_ = makeLabel(client_, mainWindowControls(), "Label1");
}

void frmMain::buildNavigation() {
    auto* image2 =
        new PictureBox(QStringLiteral(":/images/navpanel.png"), PictureBox::Fit::Natural, QString(), client_);
    placeMain(image2, "Image2");

    for (int i = 0; i < kHoverBars; ++i) {
        auto* bar =
            new PictureBox(QStringLiteral(":/images/hoverbar.png"), PictureBox::Fit::Natural, QString(), client_);
        placeMain(bar, QStringLiteral("a%1").arg(i + 1).toLatin1().constData());
        bar->hide();
        hoverBars_[static_cast<std::size_t>(i)] = bar;
    }
    for (int i = 0; i < kHoverBars; ++i) {
        auto* label = new LinkLabel(client_);
        placeMain(label, QStringLiteral("Label%1").arg(i + 3).toLatin1().constData());
        navLabels_[static_cast<std::size_t>(i)] = label;
    }
}

void frmMain::buildUpdateTile() {
    Image9_ = new PictureBox(QStringLiteral(":/images/updatetile.png"), PictureBox::Fit::Natural, QString(), client_);
    placeMain(Image9_, "Image9");
    Image9_->setCursor(Qt::PointingHandCursor);
    // The tile's picture does what its first text does.
    connect(Image9_, &PictureBox::clicked, this, [this] { controller_.activate(*navigation::findItem("Label21")); });

    Label22_ = new LinkLabel(client_);
    placeMain(Label22_, "Label22");
    QPalette linkPalette = Label22_->palette();
    linkPalette.setColor(QPalette::WindowText, toQColor(palette::kLink));
    Label22_->setPalette(linkPalette);

    Label21_ = new LinkLabel(client_);
    placeMain(Label21_, "Label21");
}

void frmMain::buildFooter() {
    auto* line1 = placeMain(new QFrame(client_), "Line1");
    setSolidBackground(line1, palette::kRule);
    // A drawn line, not an item: the window behind it still counts as bare background.
    line1->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* image10 = new PictureBox(QStringLiteral(":/images/footer.png"), PictureBox::Fit::Stretch, QString(), client_);
    placeMain(image10, "Image10");

    QLabel* label17 = makeLabel(client_, mainWindowControls(), "Label17");
    QPalette footerPalette = label17->palette();
    footerPalette.setColor(QPalette::WindowText, toQColor(palette::kText));
    label17->setPalette(footerPalette);
    label17->setText(QString::fromUtf8(fixedtext::kFooterNotice));
}

QTabWidget* frmMain::makePageContainer(const char* name) {
    auto* container = new PageContainer(client_);
    placeMain(container, name);
    // Document mode leaves out the style's own frame; the page area draws the border in its colour.
    container->setDocumentMode(true);
    container->tabBar()->setFocusPolicy(Qt::NoFocus);
    container->tabBar()->setDrawBase(false);
    auto* pageArea = new PageArea(container);
    pageArea->setObjectName(QStringLiteral("pageArea"));
    container->addTab(pageArea, QString());
    return container;
}

// The page's controls lie at container-relative places, over the tab and its page area.
static void placePageContent(QTabWidget* container, QWidget* content) {
    content->setParent(container);
    content->setGeometry(QRect(QPoint(0, 0), container->size()));
    content->raise();
}

QWidget* frmMain::buildInformationPage(QTabWidget* container) {
    auto* page = new QWidget(container);
    const ControlTable table = informationPageControls();
    Label9_ = makeLabel(page, table, "Label9");
    Label10_ = makeLabel(page, table, "Label10");
    Label11_ = makeLabel(page, table, "Label11");
    Command1_ = placeControl(new QPushButton(page), table, "Command1");
    connect(Command1_, &QPushButton::clicked, this, [this] { controller_.openForum(); });
    return page;
}

QWidget* frmMain::buildSettingsPage(QTabWidget* container) {
    auto* page = new QWidget(container);
    const ControlTable table = settingsPageControls();
    Label12_ = makeLabel(page, table, "Label12");
    optLang_ = placeControl(new QComboBox(page), table, "optLang");
    optLang_->setEditable(false);
    Label12_->setBuddy(optLang_);
    Command2_ = placeControl(new QPushButton(page), table, "Command2");
    connect(Command2_, &QPushButton::clicked, this, [this] { controller_.save(); });
    return page;
}

void frmMain::buildPages() {
    static constexpr std::array<const char*, kPages> names{"x1", "x2", "x3", "x4"};
    for (int i = 0; i < kPages; ++i)
        pages_[static_cast<std::size_t>(i)] = makePageContainer(names[static_cast<std::size_t>(i)]);

    placePageContent(pages_[0], buildInformationPage(pages_[0]));
    cpuPage_ = new CpuPage(services_, this, pages_[1]);
    cpuPage_->setObjectName(QStringLiteral("CpuPage"));
    placePageContent(pages_[1], cpuPage_);
    MainTicker& ticker = controller_.ticker();
    memoryPage_ = blocks_ ? new MemoryPage(services_, ticker, *blocks_, this, pages_[2])
                          : new MemoryPage(services_, ticker, this, pages_[2]);
    memoryPage_->setObjectName(QStringLiteral("MemoryPage"));
    placePageContent(pages_[2], memoryPage_);
    placePageContent(pages_[3], buildSettingsPage(pages_[3]));
    ShowPage(0);
}

void frmMain::buildMenus() {
    for (const char* name : navigation::kMenus) {
        menus_.push_back(menuBar()->addMenu(QString()));
        menus_.back()->setObjectName(QLatin1String(name));
    }
    for (const navigation::MenuItem& item : navigation::kMenuItems) {
        QMenu* menu = menus_[static_cast<std::size_t>(item.menu)];
        if (item.command == navigation::Command::None) {
            menu->addSeparator()->setObjectName(QLatin1String(item.control));
            continue;
        }
        QAction* action = menu->addAction(QString());
        action->setObjectName(QLatin1String(item.control));
        menuItems_.push_back(action);
        connect(action, &QAction::triggered, this, [this, &item] { controller_.menuChosen(item); });
    }
}

} // namespace kelvora
