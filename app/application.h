#pragma once

namespace kb {

// Picks the window system before the QApplication is made. The player's own
// QT_QPA_PLATFORM is kept.
void choosePlatform();

// Names, help assets and font every window of the program relies on; called
// once, right after the QApplication is made.
void setUpApplication();

// Qt's own texts, such as a text box's edit menu, a scroll bar's menu or the
// file dialog, in Japanese where Qt's translations are installed. Start-up
// shows none of them, so setUpApplication leaves the loading to the first
// context menu; translateQt loads them at once, before anything else shows one.
void translateQt();

} // namespace kb
