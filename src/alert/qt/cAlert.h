#pragma once

#include <string>

namespace kelvora {

// Shows a notification popup; the popup needs nothing from this object once FlatStyle has returned.
class cAlert {
public:
    std::string Title;
    std::string Message;

    // A new popup on every call, shown without an owner and without waiting.
    void FlatStyle();
};

} // namespace kelvora
