#pragma once

#include <optional>

#include "frontend/AppServices.h"
#include "process/PriorityOptimizer.h"
#include "process/ProcessListView.h"
#include "win32ui/Window.h"

namespace kelvora {

// The CPU page (inside page container x2) as a Win32 child window, over the priority optimizer.
class CpuPageWin : private ProcessListView {
public:
    explicit CpuPageWin(AppServices& services);
    ~CpuPageWin() override;

    bool create(HWND parent, const ControlSpec& container);
    win32::Window& window() { return window_; }
    // Both option pairs at their first choice, then the first list.
    void setDefaults();
    PriorityOptimizer& optimizer() { return optimizer_; }

private:
    // ProcessListView
    void suspendPainting() override;
    void resumePainting() override;
    void clearRows() override;
    void addRow(const std::string& text) override;
    void replaceRow(int index, const std::string& text) override;
    int rowCount() const override;
    void setCountText(const std::string& text) override;

    AppServices& services_;
    win32::Window window_;
    PriorityOptimizer optimizer_;
    std::optional<win32::OptionGroup> nonFocus_;
    std::optional<win32::OptionGroup> focus_;
    win32::ColumnList* list_ = nullptr;
    win32::Label* count_ = nullptr;
};

} // namespace kelvora
