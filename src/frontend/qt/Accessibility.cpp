#include "frontend/qt/Accessibility.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

#include "frontend/AccessibleNames.h"
#include "frontend/qt/QtText.h"
#include "settings/StringTable.h"

namespace kelvora {

namespace {

QAccessibleInterface* createAccessible(const QString& className, QObject* object) {
    // Asked once per class up the object's inheritance; only the exact class is answered.
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
    for (const accessible::NameSource& source : accessible::kNameSources) {
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
        const QString name = QString::fromStdString(accessible::accessibleNameOf(caption.toStdString()));
        control->setAccessibleName(name);
        // A drop-down list's open list is read as part of it.
        if (auto* combo = qobject_cast<QComboBox*>(control))
            combo->view()->setAccessibleName(name);
    }
}

} // namespace kelvora
