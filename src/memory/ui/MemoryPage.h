#pragma once

#include <QWidget>

#include "app/AppServices.h"

namespace kelvora {

class MainTicker;

// The memory page's controls (inside page container x3) and the release they drive.
class MemoryPage : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` is the window whose painting a release suspends.
    MemoryPage(AppServices& services, MainTicker& ticker, QWidget* mainWindow, QWidget* parent = nullptr);
    ~MemoryPage() override;

    // Captions from the string table (Label13, OptionLevel, Label14, CheckOptionRAM, Command3).
    void applyTexts();
    // The page defaults of the main window's load, in their order (threshold, level, TimeCombo, colours, gauge).
    void setDefaults();
    // One refresh of the status line and the automatic checks.
    void RefreshMemoryPanel();
    // Frees every block a release holds (the main window's unload).
    void releaseBlocks();

private:
    AppServices& services_;
    MainTicker& ticker_;
    QWidget* mainWindow_;
};

} // namespace kelvora
