#include "memory/ui/MemoryPage.h"

namespace kelvora {

MemoryPage::MemoryPage(AppServices& services, MainTicker& ticker, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent), services_(services), ticker_(ticker), mainWindow_(mainWindow) {}

MemoryPage::~MemoryPage() = default;

void MemoryPage::applyTexts() {}
void MemoryPage::setDefaults() {}
void MemoryPage::RefreshMemoryPanel() {}
void MemoryPage::releaseBlocks() {}

} // namespace kelvora
