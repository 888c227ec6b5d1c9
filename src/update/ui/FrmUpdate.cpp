#include "update/ui/FrmUpdate.h"

namespace kelvora {

frmUpdate::frmUpdate(AppServices& services, QWidget* owner) : QDialog(owner), services_(services) {}
frmUpdate::~frmUpdate() = default;

frmAutoUpd::frmAutoUpd(AppServices& services) : QWidget(nullptr), services_(services) {}
frmAutoUpd::~frmAutoUpd() = default;

} // namespace kelvora
