// The main window's items at their pixel places; created bottom first, so later items lie above earlier ones.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "app/MainWindowControls.h"
#include "app/ShellLogic.h"
#include "app/qt/ShellWidgets.h"
#include "app/qt/frmMain.h"
#include "frontend/qt/ControlPlacement.h"
#include "memory/qt/MemoryPage.h"
#include "process/qt/CpuPage.h"

namespace kelvora {

namespace {

const QColor kLinkColour(160, 120, 205);

// A plain-text label at its place in `table`; it draws wrapped lines as the system's labels do.
QLabel* makeLabel(QWidget* parent, ControlTable table, const char* name) {
    return placeControl(new WrapLabel(parent), table, name);
}

template <typename W> W* placeMain(W* widget, const char* name) {
    return placeControl(widget, mainWindowControls(), name);
}

// Only the tab and the page area are styled, so the controls on the pages keep their own fonts and looks.
const char* const kTabStyle = "QTabBar::tab { background: rgb(248, 248, 248); color: rgb(160, 120, 205);"
                              " border: 1px solid rgb(144, 144, 144); border-bottom: none; padding: 3px 10px; }";
const char* const kPageAreaStyle = "QWidget#pageArea { background: rgb(248, 248, 248);"
                                   " border: 1px solid rgb(144, 144, 144); }";

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
    blockPalette.setColor(QPalette::Window, QColor(224, 224, 224));
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
        connect(label, &LinkLabel::hovered, this, [this, i] { ShowHoverImage(i); });
        navLabels_[static_cast<std::size_t>(i)] = label;
    }
}

void frmMain::buildUpdateTile() {
    Image9_ = new PictureBox(QStringLiteral(":/images/updatetile.png"), PictureBox::Fit::Natural, QString(), client_);
    placeMain(Image9_, "Image9");
    Image9_->setCursor(Qt::PointingHandCursor);
    connect(Image9_, &PictureBox::clicked, this, &frmMain::showUpdate);

    Label22_ = new LinkLabel(client_);
    placeMain(Label22_, "Label22");
    QPalette linkPalette = Label22_->palette();
    linkPalette.setColor(QPalette::WindowText, kLinkColour);
    Label22_->setPalette(linkPalette);

    Label21_ = new LinkLabel(client_);
    placeMain(Label21_, "Label21");
}

void frmMain::buildFooter() {
    auto* line1 = placeMain(new QFrame(client_), "Line1");
    line1->setStyleSheet(QStringLiteral("background-color: rgb(176, 156, 214);"));
    // A drawn line, not an item: the window behind it still counts as bare background.
    line1->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* image10 = new PictureBox(QStringLiteral(":/images/footer.png"), PictureBox::Fit::Stretch, QString(), client_);
    placeMain(image10, "Image10");

    QLabel* label17 = makeLabel(client_, mainWindowControls(), "Label17");
    QPalette footerPalette = label17->palette();
    footerPalette.setColor(QPalette::WindowText, Qt::black);
    label17->setPalette(footerPalette);
    label17->setText(QString::fromUtf8("Copyright \u00a9 2008 Talvek. All rights reserved."));
}

QTabWidget* frmMain::makePageContainer(const char* name) {
    auto* container = new QTabWidget(client_);
    placeMain(container, name);
    // Document mode leaves out the style's own frame; the page area draws the border in its colour.
    container->setDocumentMode(true);
    container->tabBar()->setStyleSheet(QString::fromLatin1(kTabStyle));
    container->tabBar()->setFocusPolicy(Qt::NoFocus);
    container->tabBar()->setDrawBase(false);
    auto* pageArea = new QWidget(container);
    pageArea->setObjectName(QStringLiteral("pageArea"));
    pageArea->setAttribute(Qt::WA_StyledBackground);
    pageArea->setStyleSheet(QString::fromLatin1(kPageAreaStyle));
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
    connect(Command1_, &QPushButton::clicked, this, &frmMain::Command1_Click);
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
    connect(Command2_, &QPushButton::clicked, this, &frmMain::Command2_Click);
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
    memoryPage_ = blocks_ ? new MemoryPage(services_, ticker_, *blocks_, this, pages_[2])
                          : new MemoryPage(services_, ticker_, this, pages_[2]);
    memoryPage_->setObjectName(QStringLiteral("MemoryPage"));
    placePageContent(pages_[2], memoryPage_);
    placePageContent(pages_[3], buildSettingsPage(pages_[3]));
    ShowPage(0);
}

void frmMain::buildMenus() {
    prog1_ = menuBar()->addMenu(QString());
    prog1_->setObjectName(QStringLiteral("prog1"));
    za_ = prog1_->addAction(QString());
    za_->setObjectName(QStringLiteral("za"));
    connect(za_, &QAction::triggered, this, &frmMain::endProgram);

    pom1_ = menuBar()->addMenu(QString());
    pom1_->setObjectName(QStringLiteral("pom1"));
    read1_ = pom1_->addAction(QString());
    read1_->setObjectName(QStringLiteral("read1"));
    connect(read1_, &QAction::triggered, this, [this] { links_.OpenReadme(); });
    lic1_ = pom1_->addAction(QString());
    lic1_->setObjectName(QStringLiteral("lic1"));
    connect(lic1_, &QAction::triggered, this, [this] { links_.OpenLicenseDocument(); });
    pom1_->addSeparator()->setObjectName(QStringLiteral("s2"));
    spru_ = pom1_->addAction(QString());
    spru_->setObjectName(QStringLiteral("spru"));
    connect(spru_, &QAction::triggered, this, &frmMain::showUpdate);
    pom1_->addSeparator()->setObjectName(QStringLiteral("s3"));
    strw_ = pom1_->addAction(QString());
    strw_->setObjectName(QStringLiteral("strw"));
    connect(strw_, &QAction::triggered, this, [this] { links_.OpenHomePage(); });
    pom1_->addSeparator()->setObjectName(QStringLiteral("s4"));
    oprog_ = pom1_->addAction(QString());
    oprog_->setObjectName(QStringLiteral("oprog"));
    connect(oprog_, &QAction::triggered, this, &frmMain::showAbout);
}

} // namespace kelvora
