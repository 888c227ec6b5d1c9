#pragma once

#include <functional>
#include <string>

namespace kelvora {

// Sets this program's own oom_score_adj through `file` (/proc/self/oom_score_adj), remembering the value it had
// before a raise until it is set back; false when the kernel refuses.
bool setOwnOomScoreAdjust(const std::string& file, int value);

// Runs `spawn` (which starts a child) while the program's oom_score_adj is what it was before a raise, so that a
// browser or helper started during a release is not first in line for the OOM killer for the rest of its life.
void spawnWithOrdinaryOomScore(const std::function<void()>& spawn);

} // namespace kelvora
