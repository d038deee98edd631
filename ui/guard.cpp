#include "guard.h"

#include "phone/notices.h"

#include <exception>

namespace linkwell {

QString ErrorBoxText(const QString& failureText)
{
    if (!failureText.isEmpty() && failureText.back() > QLatin1Char('.'))
        return failureText + QLatin1Char('.');
    return failureText;
}

void runGuarded(Notices& notices, const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& failure) {
        notices.errorBox(QString::fromLocal8Bit(failure.what()));
    } catch (...) {
        notices.errorBox(QStringLiteral("Unknown failure"));
    }
}

} // namespace linkwell
