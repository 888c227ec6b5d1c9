#include "info/qt/FrmAbout.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "frontend/FixedTexts.h"
#include "frontend/qt/ControlPlacement.h"
#include "frontend/qt/QtText.h"
#include "info/AboutControls.h"
#include "info/LinkLauncher.h"
#include "info/Version.h"
#include "platform/Shell.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

const QColor kLinkColour = toQColor(palette::kLink);
const QColor kWorkspaceColour = toQColor(palette::kWorkspace);

QString displayAddress(const std::string& vendorUrl) {
    return QString::fromStdString(fixedtext::displayAddress(vendorUrl));
}

} // namespace

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
}

void ClickLabel::mouseMoveEvent(QMouseEvent* event) {
    emit hovered();
    QLabel::mouseMoveEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

FrmAbout::FrmAbout(AppServices& services, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      services_(services) {
    setObjectName(QStringLiteral("FrmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(windowFont());
    setFixedSize(kAboutClientWidth, kAboutClientHeight);
    Form_Load();
}

FrmAbout::~FrmAbout() = default;

QLabel* FrmAbout::addLabel(const char* name, const QString& text) {
    auto* label = placeControl(new QLabel(text, this), aboutControls(), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

ClickLabel* FrmAbout::addLink(const char* name, const QString& text) {
    auto* link = placeControl(new ClickLabel(this), aboutControls(), name);
    link->setTextFormat(Qt::PlainText);
    link->setText(text);
    link->setCursor(Qt::PointingHandCursor);
    link->setAutoFillBackground(true);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, kLinkColour);
    link->setPalette(palette);
    connect(link, &ClickLabel::hovered, this, [this, link] { underlineOnly(link); });
    return link;
}

void FrmAbout::Form_Load() {
    const StringTable& strings = services_.strings;
    auto text = [&strings](const char* name) { return controlCaption(strings, aboutControls(), name); };
    setWindowTitle(uiText(strings[kAboutTitleSlot]));

    auto* icon = placeControl(new QLabel(this), aboutControls(), "Image4");
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    addLabel("Label88", QStringLiteral("Kelvora 2008"));
    addLabel("Label86", text("Label86"));
    auto* version = placeControl(new ClickLabel(this), aboutControls(), "Label1");
    version->setTextFormat(Qt::PlainText);
    version->setAutoFillBackground(true);
    version->setText(QString::fromStdString(programVersionText()));
    connect(version, &ClickLabel::clicked, this, &QDialog::close);
    for (const char* name : {"Label84", "Label81", "Label79", "Label5", "Label6", "Label7", "Label8", "Label9"})
        addLabel(name, text(name));
    addLabel("Label78", QStringLiteral("Talvek"));
    addLabel("Label4", QString::fromStdString(services_.shell.GetComputerName()));

    links_ = {addLink("Label14", displayAddress(services_.vendorUrl)), addLink("Label15", text("Label15")),
              addLink("Label16", text("Label16")), addLink("Label17", text("Label17"))};
    auto launcher = [this](void (LinkLauncher::*open)()) {
        return [this, open] {
            LinkLauncher links(services_.registry, services_.shell, services_.files, services_.vendorUrl);
            (links.*open)();
        };
    };
    connect(links_[0], &ClickLabel::clicked, this, launcher(&LinkLauncher::OpenHomePage));
    connect(links_[1], &ClickLabel::clicked, this, launcher(&LinkLauncher::OpenSupportPage));
    connect(links_[2], &ClickLabel::clicked, this, launcher(&LinkLauncher::OpenForum));
    connect(links_[3], &ClickLabel::clicked, this, launcher(&LinkLauncher::OpenContactPage));

    auto* ok = placeControl(new QPushButton(QStringLiteral("&OK"), this), aboutControls(), "Command3");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);
}

// The last link hovered keeps its underline until the pointer reaches another link.
void FrmAbout::underlineOnly(ClickLabel* hoveredLink) {
    for (ClickLabel* link : links_) {
        QFont linkFont = link->font();
        linkFont.setUnderline(link == hoveredLink);
        link->setFont(linkFont);
    }
}

void FrmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int width = kAboutSeparatorRight - kAboutSeparatorLeft;
    for (int top : kAboutSeparatorTops) {
        painter.fillRect(kAboutSeparatorLeft, top, width, 2, kWorkspaceColour);
        painter.fillRect(kAboutSeparatorLeft, top + 1, width, 1, toQColor(palette::kWindow));
    }
}

} // namespace kelvora
