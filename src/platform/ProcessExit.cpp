#include "platform/ProcessExit.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

namespace kelvora {

namespace {

std::vector<ExitUndo*>& registered() {
    static std::vector<ExitUndo*> undos;
    return undos;
}

} // namespace

ExitUndo::ExitUndo(std::function<void()> undo) : undo_(std::move(undo)) {
    registered().push_back(this);
}

ExitUndo::~ExitUndo() {
    auto& undos = registered();
    undos.erase(std::remove(undos.begin(), undos.end(), this), undos.end());
}

void endProcessNow() {
    auto undos = registered();
    std::reverse(undos.begin(), undos.end());
    for (ExitUndo* undo : undos)
        undo->undo_();
    std::_Exit(0);
}

} // namespace kelvora
