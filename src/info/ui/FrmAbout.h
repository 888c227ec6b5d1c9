#pragma once

#include <QDialog>

#include "app/AppServices.h"

namespace kelvora {

// The About window; modeless, owned by the main window.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    FrmAbout(AppServices& services, QWidget* owner);
    ~FrmAbout() override;

private:
    AppServices& services_;
};

} // namespace kelvora
