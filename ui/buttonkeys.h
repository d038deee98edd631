#pragma once

class QWidget;

namespace linkwell {

// Enter on a focused push button presses it, as Space already does: the
// desktop the program comes from works that way, and Qt does it only for a
// dialog's default buttons. Enter in a text box stays a line break.
void pressButtonsOnEnter(QWidget* window);

} // namespace linkwell
