// The main window's items at their pixel places; created bottom first, so later items lie above earlier ones.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "app/ShellLogic.h"
#include "app/ui/ShellWidgets.h"
#include "app/ui/frmMain.h"
#include "memory/ui/MemoryPage.h"
#include "process/ui/CpuPage.h"

namespace kelvora {

namespace {

constexpr QRect kPageRect{176, 72, 385, 257};
constexpr int kNavLeft = 32;
constexpr int kNavTop = 92;
constexpr int kBarLeft = 8;
constexpr int kBarTop = 88;
constexpr int kNavStep = 24;

const QColor kLinkColour(160, 120, 205);

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& place, Qt::Alignment alignment, bool wrap = false) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment);
    label->setWordWrap(wrap);
    return label;
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
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(0, 0, 876, 63);

    auto* image12 =
        new PictureBox(QStringLiteral(":/images/version.png"), PictureBox::Fit::Natural, QString(), client_);
    image12->setObjectName(QStringLiteral("Image12"));
    image12->setGeometry(464, 0, 106, 24);

    auto* label2 = new QLabel(client_);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(464, 0, 9, 24);
    label2->setAutoFillBackground(true);
    QPalette blockPalette = label2->palette();
    blockPalette.setColor(QPalette::Window, QColor(224, 224, 224));
    label2->setPalette(blockPalette);

    Label1_ = makeLabel(client_, "Label1", QRect(480, 5, 81, 17), Qt::AlignCenter);
    Label1_->setFont(windowFont(9));
}

void frmMain::buildNavigation() {
    auto* image2 =
        new PictureBox(QStringLiteral(":/images/navpanel.png"), PictureBox::Fit::Natural, QString(), client_);
    image2->setObjectName(QStringLiteral("Image2"));
    image2->setGeometry(8, 72, 162, 173);

    for (int i = 0; i < kHoverBars; ++i) {
        auto* bar =
            new PictureBox(QStringLiteral(":/images/hoverbar.png"), PictureBox::Fit::Natural, QString(), client_);
        bar->setObjectName(QStringLiteral("a%1").arg(i + 1));
        bar->setGeometry(kBarLeft, kBarTop + i * kNavStep, 162, 23);
        bar->hide();
        hoverBars_[static_cast<std::size_t>(i)] = bar;
    }
    for (int i = 0; i < kHoverBars; ++i) {
        auto* label = new LinkLabel(client_);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 3));
        label->setGeometry(kNavLeft, kNavTop + i * kNavStep, 129, 17);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        connect(label, &LinkLabel::hovered, this, [this, i] { ShowHoverImage(i); });
        navLabels_[static_cast<std::size_t>(i)] = label;
    }
}

void frmMain::buildUpdateTile() {
    Image9_ = new PictureBox(QStringLiteral(":/images/updatetile.png"), PictureBox::Fit::Natural, QString(), client_);
    Image9_->setObjectName(QStringLiteral("Image9"));
    Image9_->setGeometry(8, 256, 163, 75);
    Image9_->setCursor(Qt::PointingHandCursor);
    connect(Image9_, &PictureBox::clicked, this, &frmMain::showUpdate);

    Label22_ = new LinkLabel(client_);
    Label22_->setObjectName(QStringLiteral("Label22"));
    Label22_->setGeometry(72, 312, 89, 17);
    QFont bold = windowFont();
    bold.setBold(true);
    Label22_->setFont(bold);
    QPalette linkPalette = Label22_->palette();
    linkPalette.setColor(QPalette::WindowText, kLinkColour);
    Label22_->setPalette(linkPalette);

    Label21_ = new LinkLabel(client_);
    Label21_->setObjectName(QStringLiteral("Label21"));
    Label21_->setGeometry(72, 264, 97, 65);
    Label21_->setWordWrap(true);
    Label21_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmMain::buildFooter() {
    auto* line1 = new QFrame(client_);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setGeometry(0, 63, 712, 1);
    line1->setStyleSheet(QStringLiteral("background-color: rgb(176, 156, 214);"));
    // A drawn line, not an item: the window behind it still counts as bare background.
    line1->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto* image10 = new PictureBox(QStringLiteral(":/images/footer.png"), PictureBox::Fit::Stretch, QString(), client_);
    image10->setObjectName(QStringLiteral("Image10"));
    image10->setGeometry(0, 336, 721, 24);

    auto* label17 = makeLabel(client_, "Label17", QRect(191, 338, 364, 15), Qt::AlignRight | Qt::AlignVCenter);
    QPalette footerPalette = label17->palette();
    footerPalette.setColor(QPalette::WindowText, Qt::black);
    label17->setPalette(footerPalette);
    label17->setText(QString::fromUtf8("Copyright \u00a9 2008 Talvek. All rights reserved."));
}

QTabWidget* frmMain::makePageContainer(const char* name) {
    auto* container = new QTabWidget(client_);
    container->setObjectName(QString::fromLatin1(name));
    container->setGeometry(kPageRect);
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
    content->setGeometry(0, 0, kPageRect.width(), kPageRect.height());
    content->raise();
}

QWidget* frmMain::buildInformationPage(QTabWidget* container) {
    auto* page = new QWidget(container);
    Label9_ = makeLabel(page, "Label9", QRect(8, 32, 369, 49), Qt::AlignLeft | Qt::AlignTop, true);
    Label10_ = makeLabel(page, "Label10", QRect(8, 88, 369, 73), Qt::AlignLeft | Qt::AlignTop, true);
    Label11_ = makeLabel(page, "Label11", QRect(184, 200, 185, 17), Qt::AlignRight | Qt::AlignVCenter);
    Command1_ = new QPushButton(page);
    Command1_->setObjectName(QStringLiteral("Command1"));
    Command1_->setGeometry(280, 224, 89, 25);
    connect(Command1_, &QPushButton::clicked, this, &frmMain::Command1_Click);
    return page;
}

QWidget* frmMain::buildSettingsPage(QTabWidget* container) {
    auto* page = new QWidget(container);
    Label12_ = makeLabel(page, "Label12", QRect(8, 42, 97, 17), Qt::AlignRight | Qt::AlignVCenter);
    optLang_ = new QComboBox(page);
    optLang_->setObjectName(QStringLiteral("optLang"));
    optLang_->setGeometry(112, 40, 177, 23);
    optLang_->setEditable(false);
    Label12_->setBuddy(optLang_);
    Command2_ = new QPushButton(page);
    Command2_->setObjectName(QStringLiteral("Command2"));
    Command2_->setGeometry(296, 40, 81, 25);
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
    memoryPage_ = new MemoryPage(services_, ticker_, this, pages_[2]);
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
