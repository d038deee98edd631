#pragma once

class QIcon;
class QPixmap;

namespace linkwell {

// The window icon, built into the program as ":/linkwell.png".
QIcon programIcon();
// The banner of the main window, built in as ":/JMENO" (a bitmap).
QPixmap bannerImage();

} // namespace linkwell
