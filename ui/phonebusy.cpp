#include "phonebusy.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScopeGuard>

namespace linkwell {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return true;
    default: return false;
    }
}

} // namespace

PhoneBusy::PhoneBusy(Notices& notices) : lifted_(notices)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

PhoneBusy::~PhoneBusy()
{
    // Input that arrived while the command blocked the event loop is waiting
    // in the queues now; deliver it to the filter, which drops it.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
}

bool PhoneBusy::eventFilter(QObject* watched, QEvent* event)
{
    // A box the command shows (e.g. "Bad header") must still take its own
    // clicks; the windows behind it are blocked by its modality anyway.
    if (isUserInput(event->type()) && !QApplication::activeModalWidget())
        return true;
    return QObject::eventFilter(watched, event);
}

template <class F> auto PhoneBusy::LiftedNotices::lifted(F&& show)
{
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    const auto again = qScopeGuard([busy] {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    });
    return show();
}

void PhoneBusy::LiftedNotices::message(const QString& text)
{
    lifted([&] { inner_.message(text); });
}

bool PhoneBusy::LiftedNotices::confirm(const QString& question)
{
    return lifted([&] { return inner_.confirm(question); });
}

void PhoneBusy::LiftedNotices::errorBox(const QString& failureText)
{
    lifted([&] { inner_.errorBox(failureText); });
}

QString PhoneBusy::LiftedNotices::openFileName(const FileDialogRequest& request)
{
    return lifted([&] { return inner_.openFileName(request); });
}

QString PhoneBusy::LiftedNotices::saveFileName(const FileDialogRequest& request)
{
    return lifted([&] { return inner_.saveFileName(request); });
}

} // namespace linkwell
