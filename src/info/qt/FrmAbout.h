#pragma once

#include <QDialog>
#include <QLabel>
#include <array>

#include "frontend/AppServices.h"

namespace kelvora {

// A label that reports the pointer moving over it and a click on it.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent);

signals:
    void hovered();
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The About window; modeless, owned by the main window, destroyed when closed.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    FrmAbout(AppServices& services, QWidget* owner);
    ~FrmAbout() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text);
    ClickLabel* addLink(const char* name, const QString& text);
    void Form_Load();
    void underlineOnly(ClickLabel* hoveredLink);

    AppServices& services_;
    std::array<ClickLabel*, 4> links_{};
};

} // namespace kelvora
