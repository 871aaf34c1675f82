#pragma once

class QPixmap;

// 16 x 16, painted in code: a globe, the picture of "open in the browser".
QPixmap BrowserPicture();
