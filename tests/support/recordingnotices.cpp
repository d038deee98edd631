#include "recordingnotices.h"

namespace linkwell::testing {

void RecordingNotices::beep()
{
    log << QStringLiteral("beep");
}

void RecordingNotices::message(const QString& text)
{
    log << QStringLiteral("message: ") + text;
}

bool RecordingNotices::confirm(const QString& question)
{
    log << QStringLiteral("confirm: ") + question;
    if (confirmAnswers.isEmpty()) {
        unanswered << question;
        return false;
    }
    return confirmAnswers.takeFirst();
}

void RecordingNotices::errorBox(const QString& failureText)
{
    log << QStringLiteral("error: ") + failureText;
}

QString RecordingNotices::openFileName(const FileDialogRequest& request)
{
    log << QStringLiteral("open: ") + request.filter;
    dialogRequests << request;
    if (openAnswers.isEmpty()) {
        unanswered << QStringLiteral("open dialog");
        return {};
    }
    return openAnswers.takeFirst();
}

QString RecordingNotices::saveFileName(const FileDialogRequest& request)
{
    log << QStringLiteral("save: ") + request.filter;
    dialogRequests << request;
    if (saveAnswers.isEmpty()) {
        unanswered << QStringLiteral("save dialog");
        return {};
    }
    return saveAnswers.takeFirst();
}

QStringList RecordingNotices::messages() const
{
    QStringList out;
    const QString prefix = QStringLiteral("message: ");
    for (const QString& entry : log)
        if (entry.startsWith(prefix))
            out << entry.mid(prefix.size());
    return out;
}

void RecordingNotices::clear()
{
    log.clear();
    dialogRequests.clear();
    unanswered.clear();
}

} // namespace linkwell::testing
