#pragma once

#include <cstdint>

namespace kb {

struct Settings {
    std::int16_t timeLimitSeconds = 0;
    std::int16_t autoSave = 0;
};

// Reads "設定.txt". An auto-save value outside 0..2 is an invalid-value error.
// A round length below 1 is kept as read: the window shows it, and スタート
// asks for a length from the list before a round can start.
Settings loadSettings();
// Rewrites "設定.txt" with both values; the old file stays whole if this fails.
void saveSettings(const Settings& settings);

} // namespace kb
