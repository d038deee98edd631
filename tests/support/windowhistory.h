#pragma once

#include "ui/mainwindow.h"
#include "ui/controls.h"

#include <QStringList>

namespace linkwell::testing {

// The communication history of a main window, one line each.
inline QStringList historyLines(const MainWindow& form)
{
    QStringList out;
    for (const QByteArray& line : form.Memo3->lines())
        out << QString::fromLatin1(line);
    return out;
}

} // namespace linkwell::testing
