#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "app/qt/ShellActions.h"
#include "frontend/AppServices.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeMemoryInfo.h"
#include "platform/fake/FakeProcesses.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeShell.h"
#include "settings/StringTable.h"
#include "support/FakePlatform.h"

namespace kelvora::apptest {

using FakePlatform = test::FakePlatform;

// Records message boxes and ending the program instead of blocking or exiting.
class RecordingActions : public ShellActions {
public:
    void errorBox(QWidget*, const QString& text) override { errors << text; }
    void informationBox(QWidget*, const QString& text) override {
        informations << text;
        if (whileInformationShown)
            whileInformationShown();
    }
    void endProgramNow() override { ++ends; }

    QStringList errors;
    QStringList informations;
    std::function<void()> whileInformationShown;
    int ends = 0;
};

// Delivers a mouse event where the window system would: to the topmost widget under `pos` of `area`.
inline void sendMouse(QWidget* area, QEvent::Type type, const QPoint& pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QWidget* target = area->childAt(pos);
    if (target == nullptr)
        target = area;
    const QPointF local = target->mapFrom(area, QPointF(pos));
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void moveOver(QWidget* area, const QPoint& pos, Qt::MouseButtons buttons = Qt::NoButton) {
    sendMouse(area, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

inline void clickAt(QWidget* area, const QPoint& pos) {
    sendMouse(area, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(area, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

} // namespace kelvora::apptest
