#pragma once

#include <QWidget>

namespace linkwell::testing {

// The child of window with this object name; a missing one ends the test.
template <class T = QWidget> T* control(const QWidget& window, const QString& objectName)
{
    T* found = window.findChild<T*>(objectName);
    if (!found)
        qFatal("No %s named %s", T::staticMetaObject.className(), qPrintable(objectName));
    return found;
}

} // namespace linkwell::testing
