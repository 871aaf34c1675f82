#pragma once

class QIcon;

// The picture sets of the group trees: three 16 x 16 pictures each, index 0 for the root, 1 for a
// group and 2 for the selected group.
enum class TTreePictures
{
    Folders,  // closed folder, closed folder, open folder: the note tree and the choose-group tree
    WebPages, // a globe, a web page, the web page lit up: the main window's address tree
};

inline constexpr int TreeImageSide = 16;

// One picture of a set; index is 0, 1 or 2. The folders are the desktop theme's where it has
// them.
QIcon TreePicture(TTreePictures pictures, int index);

// The icon of the root (picture 0 whether selected or not) and of a group (picture 1, and 2
// while selected).
QIcon TreeRootIcon(TTreePictures pictures);
QIcon TreeGroupIcon(TTreePictures pictures);
