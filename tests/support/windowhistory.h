#pragma once

#include "control.h"
#include "ui/controls.h"

#include <QStringList>

namespace linkwell::testing {

// The communication history of a main window, one line each.
inline QStringList historyLines(const QWidget& form)
{
    QStringList out;
    for (const QByteArray& line : control<TextBox>(form, "Memo3")->lines())
        out << QString::fromLatin1(line);
    return out;
}

} // namespace linkwell::testing
