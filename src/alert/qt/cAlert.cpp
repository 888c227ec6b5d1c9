#include "alert/qt/cAlert.h"

#include "alert/qt/FrmNewAlert.h"
#include "frontend/qt/QtText.h"

namespace kelvora {

void cAlert::FlatStyle() {
    try {
        auto* popup = new frmNewAlert();
        popup->setTitle(uiText(Title));
        popup->setMessage(uiText(Message));
        popup->show();
    } catch (...) {
        // A popup that cannot be built is simply not shown.
    }
}

} // namespace kelvora
