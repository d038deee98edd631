#pragma once

#include <QString>
#include <functional>
#include <utility>

namespace linkwell {

class Notices;

// The text of the generic error box: the failure's text, with a full stop
// added when its last character sorts after ".".
QString ErrorBoxText(const QString& failureText);

// Runs one event handler. A failure that escapes it is shown in the generic
// error box and the program goes on; nothing ever crosses Qt's event loop.
void runGuarded(Notices& notices, const std::function<void()>& handler);

// A callable for QObject::connect that runs handler through runGuarded.
template <class Handler> auto guarded(Notices& notices, Handler handler)
{
    return [&notices, handler = std::move(handler)]() { runGuarded(notices, handler); };
}

} // namespace linkwell
