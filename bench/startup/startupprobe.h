#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace linkwell {

// The start-up benchmark's probe: when LINKWELL_STARTUP_T0 holds the launcher's
// CLOCK_MONOTONIC time in nanoseconds, the first paint of the window prints
// the nanoseconds since then and ends the program. Without it nothing happens.
class StartupProbe : public QObject {
public:
    explicit StartupProbe(long long startNs, QObject* parent) : QObject(parent), startNs_(startNs) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long long ns = now.tv_sec * 1000000000LL + now.tv_nsec;
            std::printf("shown %lld\n", ns - startNs_);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    long long startNs_;
    bool seen_ = false;
};

inline void watchFirstShow(QWidget& window)
{
    const char* t0 = std::getenv("LINKWELL_STARTUP_T0");
    if (!t0 || !*t0)
        return;
    window.installEventFilter(new StartupProbe(std::atoll(t0), &window));
}

} // namespace linkwell
