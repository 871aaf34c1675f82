#pragma once

class QIcon;

// A globe, the picture of "open in the browser"; the desktop theme's web browser where it has
// one.
QIcon BrowserPicture();
