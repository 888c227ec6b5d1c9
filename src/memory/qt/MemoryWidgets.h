#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "frontend/qt/QtText.h"

namespace kelvora {

// GaugePic: a frame whose vertical scale is the block count; GaugeLabel, the bar inside it, fills from the bottom.
class GaugeFrame : public QFrame {
    Q_OBJECT
public:
    static inline const QColor kBarColour = toQColor(palette::kGauge);

    explicit GaugeFrame(QWidget* parent = nullptr);
    void setScale(std::int32_t units);
    // Top and height in scale units.
    void setBar(std::int32_t top, std::int32_t height);
    void empty();

    std::int32_t scale() const { return scale_; }
    // The filled part in scale units: the blocks a running release holds, 0 when the gauge is empty.
    std::int32_t filled() const { return filled_; }
    QLabel* bar() const { return bar_; }

private:
    int toPixels(std::int64_t units) const;
    void setFilled(std::int32_t units);

    QLabel* bar_;
    std::int32_t scale_ = 1;
    std::int32_t filled_ = 0;
};

// InfoPic: the status line, drawn bold in the link colour 50 twips from the left and top, and read by screen readers.
class StatusStrip : public QWidget {
    Q_OBJECT
public:
    explicit StatusStrip(QWidget* parent = nullptr);
    void setLine(const QString& line);
    void setForeColour(const QColor& colour);
    const QString& line() const { return line_; }
    const QColor& foreColour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString line_;
    QColor colour_ = toQColor(palette::kText);
};

// Holds a window's painting like LockWindowUpdate: what changes meanwhile stays dirty and is drawn once on release,
// without repainting the rest of the window (switching its updates off and on would repaint all of it).
class PaintHold : public QObject {
    Q_OBJECT
public:
    // Filters `window`'s events; lives as long as `owner`.
    PaintHold(QWidget* window, QObject* owner);
    void hold();
    void release();
    bool held() const { return held_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool held_ = false;
    bool swallowed_ = false;
};

} // namespace kelvora
