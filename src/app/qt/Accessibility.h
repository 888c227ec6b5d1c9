#pragma once

class QWidget;

namespace kelvora {

class StringTable;

// Lets assistive tools press the link labels and read the memory gauge as a progress bar; cheap to call again.
void installAccessibleFactory();

// Names the controls under `root` that have no text of their own, as the shared name table says.
void applyAccessibleNames(QWidget* root, const StringTable& strings);

} // namespace kelvora
