#pragma once

class QWidget;

// Keeps a window that has no window behind it (the login prompt, a box while the main window is
// hidden) in the middle of its screen's free area. It is placed when shown, again once the
// desktop has put its frame around it, and whenever it grows meanwhile, so that it is centred
// with its final size; once the user has moved it, it stays where it was put. The window owns
// what this adds to it.
void KeepCentredOnScreen(QWidget& window);
