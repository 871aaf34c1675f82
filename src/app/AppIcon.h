#pragma once

#include <QIcon>

// The program's icon: a note page with a blue link ring. Used for the windows and the
// notification-area icon.
QIcon MainIcon();
