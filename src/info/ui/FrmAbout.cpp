#include "info/ui/FrmAbout.h"

namespace kelvora {

FrmAbout::FrmAbout(AppServices& services, QWidget* owner) : QDialog(owner), services_(services) {}

FrmAbout::~FrmAbout() = default;

} // namespace kelvora
