#pragma once

#include <QFont>
#include <QLabel>

#include "app/ui/QtText.h"
#include "app/ui/WrapLabel.h"
#include <QPixmap>
#include <QWidget>

namespace kelvora {

// Makes the compiled-in pictures available; cheap to call again.
void loadArtwork();

// A picture placed at a fixed size: drawn at its natural size (cropped by the box) or stretched to fill it.
// Like every picture of the window it takes the mouse, so the window behind it sees no move or press.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum class Fit { Natural, Stretch };
    PictureBox(const QString& resource, Fit fit, const QString& accessibleName, QWidget* parent);

    // The picture drawn on this widget's screen: the twice-resolution one (resource name@2x.png) on a scaled screen.
    const QPixmap& picture() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPixmap pixmap_;
    QPixmap pixmap2x_;
    Fit fit_;
    bool pressed_ = false;
};

// A label that acts as a link: hand pointer, reports the mouse moving over it and a click (press and release on it).
class LinkLabel : public WrapLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent);

signals:
    void clicked();
    void hovered();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
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
    // The left button alone is held while moving over the bare background.
    void dragRequested();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace kelvora
