#pragma once

#include <QString>
#include <QWidget>
#include <QtGlobal>

namespace linkwell::testing {

// The child of window with this object name, as the window's description
// names its controls. A missing or differently typed control ends the test
// at once, so no check runs on a control that is not there.
template <class T = QWidget> T* control(const QWidget& window, const QString& objectName)
{
    T* found = window.findChild<T*>(objectName);
    if (!found)
        qFatal("%s has no %s named %s", qPrintable(window.objectName()), T::staticMetaObject.className(),
               qPrintable(objectName));
    return found;
}

} // namespace linkwell::testing
