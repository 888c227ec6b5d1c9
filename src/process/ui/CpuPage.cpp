#include "process/ui/CpuPage.h"

namespace kelvora {

CpuPage::CpuPage(AppServices& services, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent), services_(services), mainWindow_(mainWindow) {}

CpuPage::~CpuPage() = default;

void CpuPage::applyTexts() {}
void CpuPage::setDefaults() {}
void CpuPage::UpdateForegroundPriority() {}

} // namespace kelvora
