#pragma once

namespace kb {

// Picks the window system before the QApplication is made. The player's own
// QT_QPA_PLATFORM is kept.
void choosePlatform();

// Names, help assets and font every window of the program relies on; called
// once, right after the QApplication is made.
void setUpApplication();

} // namespace kb
