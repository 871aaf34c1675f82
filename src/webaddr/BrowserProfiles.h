#pragma once

#include <QString>

#include <vector>

class TBookmarkSink;

// A browser profile whose bookmarks can be read: Firefox keeps them in places.sqlite, the
// Chromium family in a JSON file named Bookmarks.
struct TBrowserProfile
{
    bool Firefox = false;
    QString Browser;   // "Firefox", "Chromium", "Google Chrome", ...
    QString Where;     // how it is installed when that is not plainly: "Flatpak", "Snap"
    QString Profile;   // the profile's name, "default-release", "Default", "Profile 1"
    QString Bookmarks; // the file the bookmarks are read from

    // "Firefox — default-release"
    QString Label() const;
};

// The profiles of the user's browsers under a home folder: Firefox's (its own installation,
// Flatpak and Snap) as its profiles.ini lists them, and the Chromium family's Default and
// "Profile N" folders that hold a bookmarks file or cannot be looked into.
std::vector<TBrowserProfile> FindBrowserProfiles(const QString& home);

// Hands a profile's bookmarks to a sink, the browser's own folders as roots. A file that is
// missing, unreadable, damaged, locked or of a shape not known here throws the plain error naming
// the file; the sink may have had a part by then. Firefox's database is copied to a temporary
// folder (the running browser holds it) and read there read-only.
void ReadBrowserBookmarks(const TBrowserProfile& profile, TBookmarkSink& sink);
