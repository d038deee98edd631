#pragma once

#include <QStringList>

class QWidget;

namespace linkwell {

// A label, button or check box whose whole text must show, whatever the
// fonts of the desktop: the widest texts it will hold, and the room it may
// take. A left-anchored control may grow to the right up to `limit`, or up to
// the left edge of `neighbour`. A right-aligned label keeps its right edge and
// may grow to the left down to `limit`, or down to where the text of its left
// `neighbour` ends (so that one is fitted after it). Where the room cannot
// hold the text even so, the control's font is made smaller until it does.
struct TextFit {
    const char* name;
    QStringList texts; // empty: the control's own text
    int limit;
    const char* neighbour = nullptr;
};

// The numbers 0 to `last`, the texts a count label holds.
QStringList countTexts(int last);

// Fits the named children of window in order.
void fitTexts(QWidget* window, const QList<TextFit>& fits);

// The width the text of a label, button or check box has inside the control,
// for a control `width` pixels wide: what the style leaves after the frame,
// the margins and the indicator.
int textRoom(const QWidget* control, int width);

} // namespace linkwell
