#pragma once

#include <string>

namespace kelvora {

// What a process list rebuild needs from the CPU page.
class ProcessListView {
public:
    virtual ~ProcessListView() = default;

    // The rebuild draws once: painting of the main window is suspended meanwhile.
    virtual void suspendPainting() = 0;
    virtual void resumePainting() = 0;
    virtual void clearRows() = 0;
    virtual void addRow(const std::string& text) = 0;
    // Replaces the text of row `index` (0-based, below rowCount()).
    virtual void replaceRow(int index, const std::string& text) = 0;
    virtual int rowCount() const = 0;
    // The caption of the count line (ProcessesLabel).
    virtual void setCountText(const std::string& text) = 0;
};

} // namespace kelvora
