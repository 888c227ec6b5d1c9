#include "memory/qt/MemoryWidgets.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <cmath>

#include "frontend/qt/Accessibility.h"

namespace kelvora {

namespace {

// The memory gauge as a progress bar whose value is the number of blocks a running release holds.
class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(GaugeFrame* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return QString::number(gauge()->filled());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return gauge()->filled(); }
    void setCurrentValue(const QVariant&) override {} // the release alone moves the bar
    QVariant maximumValue() const override { return gauge()->filled() > 0 ? gauge()->scale() : 0; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    GaugeFrame* gauge() const { return static_cast<GaugeFrame*>(widget()); }
};

QAccessibleInterface* createGaugeAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(GaugeFrame::staticMetaObject.className()))
        return new GaugeAccessible(static_cast<GaugeFrame*>(object));
    return nullptr;
}

} // namespace

GaugeFrame::GaugeFrame(QWidget* parent) : QFrame(parent), bar_(new QLabel(this)) {
    installAccessibleFactory();
    static const bool installed = (QAccessible::installFactory(&createGaugeAccessible), true);
    (void)installed;
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    bar_->setObjectName(QStringLiteral("GaugeLabel"));
    bar_->setAutoFillBackground(true);
    QPalette palette = bar_->palette();
    palette.setColor(QPalette::Window, kBarColour);
    palette.setColor(QPalette::WindowText, kBarColour);
    bar_->setPalette(palette);
    empty();
}

void GaugeFrame::setScale(std::int32_t units) {
    scale_ = units > 0 ? units : 1;
}

int GaugeFrame::toPixels(std::int64_t units) const {
    return static_cast<int>(std::lround(static_cast<double>(units) * contentsRect().height() / scale_));
}

void GaugeFrame::setBar(std::int32_t top, std::int32_t height) {
    const QRect inside = contentsRect();
    // The bar is drawn wider than the frame and clipped to its inside.
    const int upper = toPixels(top);
    const int lower = toPixels(std::int64_t{top} + height);
    bar_->setGeometry(inside.left(), inside.top() + upper, inside.width(), lower - upper);
    setFilled(height);
}

void GaugeFrame::empty() {
    const QRect inside = contentsRect();
    bar_->setGeometry(inside.left(), inside.top(), inside.width(), 0);
    setFilled(0);
}

void GaugeFrame::setFilled(std::int32_t units) {
    if (units == filled_)
        return;
    filled_ = units;
    // A screen reader follows the release on the gauge's value.
    QAccessibleValueChangeEvent change(this, filled_);
    QAccessible::updateAccessibility(&change);
}

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {}

void StatusStrip::setLine(const QString& line) {
    if (line == line_)
        return;
    line_ = line;
    setAccessibleName(line);
    update();
}

void StatusStrip::setForeColour(const QColor& colour) {
    colour_ = colour;
    update();
}

void StatusStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(colour_);
    const qreal margin = 50.0 / 15.0;
    painter.drawText(QRectF(margin, margin, width() - margin, height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line_);
}

PaintHold::PaintHold(QWidget* window, QObject* owner) : QObject(owner), window_(window) {
    if (window_)
        window_->installEventFilter(this);
}

void PaintHold::hold() {
    held_ = true;
}

void PaintHold::release() {
    held_ = false;
    if (swallowed_ && window_) {
        swallowed_ = false;
        // Qt posts one request per batch of dirty regions; the swallowed one is replaced so they get drawn.
        QCoreApplication::postEvent(window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
    }
}

bool PaintHold::eventFilter(QObject* watched, QEvent* event) {
    if (held_ && watched == window_ && event->type() == QEvent::UpdateRequest) {
        swallowed_ = true;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelvora
