#pragma once

#include <QWidget>

#include "app/AppServices.h"

namespace kelvora {

// The CPU page's controls (inside page container x2): priority choices and the process list.
class CpuPage : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` is the window whose painting a list rebuild suspends.
    CpuPage(AppServices& services, QWidget* mainWindow, QWidget* parent = nullptr);
    ~CpuPage() override;

    // Captions from the string table (Label15, OptionNonFocus, Label16, OptionFocus).
    void applyTexts();
    // The CPU page defaults of the main window's load: background normal, foreground high, tab stops, first list.
    void setDefaults();
    // The foreground check that GlobalTimer runs every twenty-first tick.
    void UpdateForegroundPriority();

private:
    AppServices& services_;
    QWidget* mainWindow_;
};

} // namespace kelvora
