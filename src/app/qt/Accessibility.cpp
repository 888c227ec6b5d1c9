#include "app/qt/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QTabWidget>

#include "app/Navigation.h"
#include "app/qt/QtText.h"
#include "app/qt/ShellWidgets.h"
#include "memory/qt/MemoryWidgets.h"
#include "settings/StringTable.h"

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

QAccessibleInterface* createAccessible(const QString& className, QObject* object) {
    // Asked once per class up the object's inheritance; only the exact class is answered.
    if (className == QLatin1String(LinkLabel::staticMetaObject.className()))
        return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
    if (className == QLatin1String(GaugeFrame::staticMetaObject.className()))
        return new GaugeAccessible(static_cast<GaugeFrame*>(object));
    // The page containers: panels named by their page, showing only while their page is shown.
    if (className == QLatin1String(QTabWidget::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Pane);
    return nullptr;
}

QString captionOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return widget->accessibleName();
}

} // namespace

void installAccessibleFactory() {
    static const bool installed = (QAccessible::installFactory(&createAccessible), true);
    (void)installed;
}

void applyAccessibleNames(QWidget* root, const StringTable& strings) {
    for (const navigation::NameSource& source : navigation::kNameSources) {
        auto* control = root->findChild<QWidget*>(QLatin1String(source.control));
        if (!control)
            continue;
        QString caption;
        if (source.fromControl) {
            const auto* from = root->findChild<QWidget*>(QLatin1String(source.fromControl));
            caption = from ? captionOf(from) : QString();
        } else {
            caption = uiText(strings[source.slot]);
        }
        const QString name = QString::fromStdString(navigation::accessibleNameOf(caption.toStdString()));
        control->setAccessibleName(name);
        // A drop-down list's open list is read as part of it.
        if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->view()->setAccessibleName(name);
    }
}

} // namespace kelvora
