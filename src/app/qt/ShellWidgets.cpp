#include "app/qt/ShellWidgets.h"

#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>

#include "app/Navigation.h"
#include "app/ShellLogic.h"
#include "frontend/qt/Accessibility.h"

// The pictures are compiled into the static window library, whose resource registration the linker would drop.
static void registerArtwork() {
    Q_INIT_RESOURCE(resources);
}

namespace kelvora {

namespace {

// A link label as a link or page tab, named by its text, with a press action that clicks it.
class LinkLabelAccessible : public QAccessibleWidget {
public:
    explicit LinkLabelAccessible(LinkLabel* label) : QAccessibleWidget(label) {}

    QAccessible::Role role() const override { return label()->accessibleRole(); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override { return QStringList(pressAction()) + QAccessibleWidget::actionNames(); }

    QStringList keyBindingsForAction(const QString& action) const override {
        if (action == pressAction())
            return {QStringLiteral("Return"), QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // Queued, so the tool's call is answered before the click runs (which may open a window or end the program).
        QPointer<LinkLabel> target = label();
        QMetaObject::invokeMethod(
            target,
            [target] {
                if (target)
                    target->activate();
            },
            Qt::QueuedConnection);
    }

private:
    LinkLabel* label() const { return static_cast<LinkLabel*>(widget()); }
};

QAccessibleInterface* createLinkAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(LinkLabel::staticMetaObject.className()))
        return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
    return nullptr;
}

} // namespace

void loadArtwork() {
    static const bool registered = (registerArtwork(), true);
    (void)registered;
}

QImage readPicture(const QString& resource) {
    QImageReader reader(resource, "png");
    // Without this the reader loads every image format plugin to ask each whether it knows the data.
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

PictureBox::PictureBox(const QString& resource, Fit fit, const QString& accessibleName, QWidget* parent)
    : QWidget(parent), resource_(resource), fit_(fit) {
    loadArtwork();
    setAccessibleName(accessibleName);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QPixmap PictureBox::picture() const {
    // Read at each paint and not kept: a picture is drawn again only when something over it changes, and the
    // decoded copy would cost several times the compressed one. QPixmap::load would keep it in the pixmap cache.
    if (devicePixelRatioF() > 1.0) {
        // The reader gives a picture named "@2x" a device pixel ratio of 2, so it paints at the same logical size.
        const QString twiceName = QString(resource_).replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
        QImage twice = readPicture(twiceName);
        if (!twice.isNull())
            return QPixmap::fromImage(std::move(twice));
    }
    return QPixmap::fromImage(readPicture(resource_));
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (fit_ == Fit::Stretch)
        painter.drawPixmap(rect(), picture());
    else
        painter.drawPixmap(0, 0, picture());
}

void ClickTracker::press(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

bool ClickTracker::release(QMouseEvent* event, const QWidget* widget) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && widget->rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    return click;
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    click_.press(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.release(event, this))
        emit clicked();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

LinkLabel::LinkLabel(QWidget* parent) : WrapLabel(parent) {
    installAccessibleFactory();
    static const bool installed = (QAccessible::installFactory(&createLinkAccessible), true);
    (void)installed;
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    if (wordWrap()) {
        WrapLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(), isEnabled(), text(),
                          foregroundRole());
}

void LinkLabel::activate() {
    emit clicked();
}

namespace {

navigation::Key navigationKey(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return navigation::Key::Enter;
    case Qt::Key_Space:
        return navigation::Key::Space;
    default:
        return navigation::Key::Other;
    }
}

bool byKeyboard(const QFocusEvent* event) {
    return event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
}

} // namespace

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    if (navigationKey(event) == navigation::Key::Other || (event->modifiers() & ~Qt::KeypadModifier) != 0) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    if (navigation::keyActivates(navigationKey(event), event->isAutoRepeat()))
        activate();
}

// QLabel's polish and focus handlers serve text selection: for a label that takes the focus they build a text editor
// (a document and its layout), which a link never uses.
bool LinkLabel::event(QEvent* event) {
    if (event->type() == QEvent::Polish) {
        // NOLINTNEXTLINE(bugprone-parent-virtual-call): past QLabel on purpose, as said above
        return QFrame::event(event);
    }
    return WrapLabel::event(event);
}

void LinkLabel::focusInEvent(QFocusEvent* event) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): past QLabel on purpose, as said above
    QFrame::focusInEvent(event);
    const auto reason = byKeyboard(event) ? navigation::FocusReason::Keyboard : navigation::FocusReason::Other;
    if (navigation::showsFocusCue(reason))
        emit keyboardFocused();
}

void LinkLabel::focusOutEvent(QFocusEvent* event) {
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): past QLabel on purpose, as said above
    QFrame::focusOutEvent(event);
    // An opened menu or another window takes the focus only for a while; the cue stays for its return.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        emit focusLeft();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    click_.press(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (click_.release(event, this))
        emit clicked();
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit hovered();
}

MainClientArea::MainClientArea(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

bool MainClientArea::isBareBackground(const QPoint& pos) const {
    return rect().contains(pos) && childAt(pos) == nullptr;
}

namespace {

HeldButtons heldButtons(Qt::MouseButtons buttons) {
    if (buttons == Qt::NoButton)
        return HeldButtons::None;
    return buttons == Qt::LeftButton ? HeldButtons::LeftOnly : HeldButtons::Other;
}

} // namespace

void MainClientArea::mouseMoveEvent(QMouseEvent* event) {
    const HeldButtons held = heldButtons(event->buttons());
    const QPoint global = event->globalPosition().toPoint();
    if (dragging_) {
        // Another button, or none, ends the move.
        event->accept();
        dragging_ = startsWindowDrag(held, true);
        if (dragging_)
            emit dragMoved(global);
        return;
    }
    // Moves over labels and pages arrive here too when those ignore them; only the bare background counts.
    if (!isBareBackground(event->position().toPoint()))
        return;
    event->accept();
    dragging_ = startsWindowDrag(held, true);
    if (dragging_)
        emit dragRequested(global);
    emit backgroundHovered();
}

void MainClientArea::mousePressEvent(QMouseEvent* event) {
    if (dragging_) {
        event->accept();
        dragging_ = false; // a second button went down
        return;
    }
    if (!isBareBackground(event->position().toPoint()))
        return;
    event->accept();
    dragging_ = startsWindowDrag(heldButtons(event->buttons()), true);
    if (dragging_)
        emit dragRequested(event->globalPosition().toPoint());
}

void MainClientArea::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

namespace {

constexpr int kTabBorder = 1;
constexpr int kTabPaddingX = 10;
constexpr int kTabPaddingY = 3;

} // namespace

PageTabBar::PageTabBar(QWidget* parent) : QTabBar(parent) {}

QSize PageTabBar::tabSizeHint(int index) const {
    const QFontMetrics metrics(font());
    // No border below: the tab opens onto its page.
    return {metrics.size(Qt::TextShowMnemonic, tabText(index)).width() + 2 * (kTabPaddingX + kTabBorder),
            metrics.height() + 2 * kTabPaddingY + kTabBorder};
}

void PageTabBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor border = toQColor(palette::kTabBorder);
    const int textHeight = QFontMetrics(font()).height();
    for (int i = 0; i < count(); ++i) {
        const QRect tab = tabRect(i);
        painter.fillRect(tab, toQColor(palette::kTabBackground));
        painter.fillRect(QRect(tab.left(), tab.top(), tab.width(), kTabBorder), border);
        painter.fillRect(QRect(tab.left(), tab.top(), kTabBorder, tab.height()), border);
        painter.fillRect(QRect(tab.right() + 1 - kTabBorder, tab.top(), kTabBorder, tab.height()), border);
        const QRect text(tab.left() + kTabBorder + kTabPaddingX, tab.top() + kTabBorder + kTabPaddingY,
                         tab.width() - 2 * (kTabBorder + kTabPaddingX), textHeight);
        painter.setPen(toQColor(palette::kTabText));
        painter.drawText(text, Qt::AlignCenter | Qt::TextShowMnemonic, tabText(i));
    }
}

PageContainer::PageContainer(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new PageTabBar(this));
}

void PageArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(palette::kPage));
    painter.setPen(toQColor(palette::kTabBorder));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace kelvora
