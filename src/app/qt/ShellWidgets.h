#pragma once

#include <QAccessible>
#include <QFont>
#include <QImage>
#include <QLabel>

#include "frontend/qt/QtText.h"
#include "frontend/qt/WrapLabel.h"
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace kelvora {

// Makes the compiled-in pictures available; cheap to call again.
void loadArtwork();
// One of those pictures (PNG), decoded; a name ending "@2x.png" gives it a device pixel ratio of 2.
QImage readPicture(const QString& resource);

// A click is a left press and a left release over the same widget; both events stop at the widget.
class ClickTracker {
public:
    void press(QMouseEvent* event);
    // True when this release completes a click on `widget`.
    bool release(QMouseEvent* event, const QWidget* widget);

private:
    bool pressed_ = false;
};

// A picture placed at a fixed size: drawn at its natural size (cropped by the box) or stretched to fill it.
// Like every picture of the window it takes the mouse, so the window behind it sees no move or press.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum class Fit { Natural, Stretch };
    PictureBox(const QString& resource, Fit fit, const QString& accessibleName, QWidget* parent);

    // The picture drawn on this widget's screen: the twice-resolution one (resource name@2x.png) on a scaled screen.
    QPixmap picture() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QString resource_;
    Fit fit_;
    ClickTracker click_;
};

// A label that acts as a link: hand pointer, reports the mouse moving over it and a click (press and release on it).
// With the focus, Enter and Space act as a click; assistive tools see it in its role with a press action.
class LinkLabel : public WrapLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent);

    // Acts as a click does; an assistive tool's press arrives here after its call has returned.
    void activate();
    void setAccessibleRole(QAccessible::Role role) { role_ = role; }
    QAccessible::Role accessibleRole() const { return role_; }

signals:
    void clicked();
    void hovered();
    // The keyboard moved the focus here (Tab, Shift+Tab); the window shows its focus cue.
    void keyboardFocused();
    // The focus left; the window hides the cue.
    void focusLeft();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // A one-line caption is drawn as a plain label draws it: Qt places the text of a label that takes the focus a
    // pixel higher.
    void paintEvent(QPaintEvent* event) override;

private:
    ClickTracker click_;
    QAccessible::Role role_ = QAccessible::Link;
};

// A page container's tab, drawn as its caption on the tab colour with a border of the page's colour on three sides
// (padding 3 by 10 pixels), at the size its text needs.
class PageTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit PageTabBar(QWidget* parent);

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
};

// One of the main window's four page containers: a tab strip with one such tab over its page area.
class PageContainer : public QTabWidget {
    Q_OBJECT
public:
    explicit PageContainer(QWidget* parent);
};

// The area below a page's tab: the page colour inside a one-pixel border.
class PageArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The main window's client area: the bare background reports hovering and the start of a window drag.
class MainClientArea : public QWidget {
    Q_OBJECT
public:
    explicit MainClientArea(QWidget* parent);

    // True where no visible item (picture, label, page) covers the point.
    bool isBareBackground(const QPoint& pos) const;

signals:
    // The mouse moved over the bare background.
    void backgroundHovered();
    // The left button alone went down, or is held while moving, over the bare background: a move begins with the
    // pointer at `global` (screen coordinates).
    void dragRequested(QPoint global);
    // The pointer moved to `global` during that move, still with the left button alone.
    void dragMoved(QPoint global);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool dragging_ = false;
};

} // namespace kelvora
