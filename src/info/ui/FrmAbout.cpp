#include "info/ui/FrmAbout.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "app/ui/QtText.h"
#include "info/LinkLauncher.h"
#include "info/Version.h"
#include "platform/Shell.h"
#include "settings/StringTable.h"

namespace kelvora {
namespace {

constexpr int kLabelHeight = 17;
constexpr int kSeparatorLeft = 8;
constexpr int kSeparatorRight = 472;
constexpr int kSeparatorTops[] = {72, 216};
const QColor kLinkColour(160, 120, 205);
const QColor kWorkspaceColour(171, 171, 171);

// The vendor's address as people write it: without the scheme.
QString displayAddress(const std::string& vendorUrl) {
    QString address = QString::fromStdString(vendorUrl);
    for (const char* scheme : {"http://", "https://"}) {
        if (address.startsWith(QLatin1String(scheme)))
            return address.mid(static_cast<int>(qstrlen(scheme)));
    }
    return address;
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
    setFixedSize(480, 312);
    Form_Load();
}

FrmAbout::~FrmAbout() = default;

QLabel* FrmAbout::addLabel(const char* name, const QString& text, int left, int top, int width, int height) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(left, top, width, height);
    return label;
}

ClickLabel* FrmAbout::addLink(const char* name, const QString& text, int left, int top, int width) {
    auto* link = new ClickLabel(this);
    link->setObjectName(QString::fromLatin1(name));
    link->setTextFormat(Qt::PlainText);
    link->setText(text);
    link->setGeometry(left, top, width, kLabelHeight);
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
    auto text = [&strings](int slot) { return uiText(strings[slot]); };
    setWindowTitle(text(118));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image4"));
    icon->setGeometry(8, 8, 32, 32);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    addLabel("Label88", QStringLiteral("Kelvora 2008"), 48, 8, 201, kLabelHeight);
    addLabel("Label86", text(119), 48, 24, 49, kLabelHeight);
    auto* version = new ClickLabel(this);
    version->setObjectName(QStringLiteral("Label1"));
    version->setTextFormat(Qt::PlainText);
    version->setGeometry(96, 24, 89, kLabelHeight);
    version->setAutoFillBackground(true);
    version->setText(QString::fromStdString(programVersionText()));
    connect(version, &ClickLabel::clicked, this, &QDialog::close);
    addLabel("Label84", text(100), 8, 48, 465, kLabelHeight);

    addLabel("Label81", text(120), 8, 80, 105, kLabelHeight)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel("Label79", text(121), 16, 96, 97, kLabelHeight)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel("Label78", QStringLiteral("Talvek"), 120, 96, 121, kLabelHeight);
    addLabel("Label5", text(122), 8, 112, 105, kLabelHeight)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addLabel("Label4", QString::fromStdString(services_.shell.GetComputerName()), 120, 112, 137, kLabelHeight);

    QLabel* heading = addLabel("Label6", text(125), 272, 80, 193, kLabelHeight);
    QFont bold = font();
    bold.setBold(true);
    heading->setFont(bold);
    addLabel("Label7", text(126), 272, 96, 209, kLabelHeight);
    addLabel("Label8", text(127), 272, 136, 209, kLabelHeight);
    addLabel("Label9", text(128), 272, 176, 209, kLabelHeight);

    links_ = {addLink("Label14", displayAddress(services_.vendorUrl), 120, 80, 137),
              addLink("Label15", text(135), 272, 112, 97), addLink("Label16", text(135), 272, 152, 113),
              addLink("Label17", text(135), 272, 192, 105)};
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

    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command3"));
    ok->setGeometry(376, 280, 97, 25);
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
    for (int top : kSeparatorTops) {
        painter.fillRect(kSeparatorLeft, top, kSeparatorRight - kSeparatorLeft, 2, kWorkspaceColour);
        painter.fillRect(kSeparatorLeft, top + 1, kSeparatorRight - kSeparatorLeft, 1, Qt::white);
    }
}

} // namespace kelvora
