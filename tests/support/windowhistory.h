#pragma once

#include "ui/Unit1.h"
#include "ui/controls.h"

#include <QStringList>

namespace linkwell::testing {

// The communication history of a main window, one line each.
inline QStringList historyLines(const TForm1& form)
{
    QStringList out;
    for (const QByteArray& line : form.Memo3->lines())
        out << QString::fromLatin1(line);
    return out;
}

} // namespace linkwell::testing
