#pragma once

#include <memory>

class QSettings;

// The user's settings file, ~/.config/Velmora/Velmora.conf (or under XDG_CONFIG_HOME): the
// window's state and the lock's settings. The data file holds none of it.
std::unique_ptr<QSettings> OpenUserSettings();

// When the program locks itself: after so many minutes without a key or a click (0: never),
// and, when chosen, as the window is minimised.
struct TLockSettings
{
    static constexpr int MaxIdleMinutes = 24 * 60;

    int IdleMinutes = 0;
    bool OnMinimize = false;

    // A missing or senseless value reads as its default.
    static TLockSettings Load();
    void Save() const;
};
