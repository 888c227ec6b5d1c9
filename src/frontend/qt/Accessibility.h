#pragma once

class QWidget;

namespace kelvora {

class StringTable;

// Lets assistive tools see the page containers as panels; cheap to call again. A window's own drawn widgets add
// their factories beside this one.
void installAccessibleFactory();

// Names the controls under `root` that have no text of their own, as the shared name table says.
void applyAccessibleNames(QWidget* root, const StringTable& strings);

} // namespace kelvora
