#pragma once

#include <QDialog>
#include <QWidget>

#include "app/AppServices.h"

namespace kelvora {

// The update check on demand: progress bar, Cancel, one check, always a reported outcome. Closes itself.
class frmUpdate : public QDialog {
    Q_OBJECT
public:
    frmUpdate(AppServices& services, QWidget* owner);
    ~frmUpdate() override;

private:
    AppServices& services_;
};

// The silent check: never shown; checks once and closes itself, speaking only when a newer version exists.
class frmAutoUpd : public QWidget {
    Q_OBJECT
public:
    explicit frmAutoUpd(AppServices& services);
    ~frmAutoUpd() override;

private:
    AppServices& services_;
};

} // namespace kelvora
