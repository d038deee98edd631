#pragma once

#include "phone/notices.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace linkwell::testing {

// Logs every notice in order, as short lines a test can compare:
//   "beep", "message: TEXT", "confirm: TEXT", "error: TEXT",
//   "open: FILTER", "save: FILTER"
// and answers questions and file dialogs from queues the test fills. An
// unexpected question fails loudly instead of guessing an answer.
class RecordingNotices : public Notices {
public:
    void beep() override;
    void message(const QString& text) override;
    bool confirm(const QString& question) override;
    void errorBox(const QString& failureText) override;
    QString openFileName(const FileDialogRequest& request) override;
    QString saveFileName(const FileDialogRequest& request) override;

    // Answers, taken first in, first out.
    QList<bool> confirmAnswers;
    QStringList openAnswers;
    QStringList saveAnswers;

    QStringList log;
    QList<FileDialogRequest> dialogRequests;
    // Questions or dialogs that found no scripted answer.
    QStringList unanswered;

    // The log entries that are messages, without the "message: " prefix.
    QStringList messages() const;
    int count(const QString& entry) const { return int(log.count(entry)); }
    void clear();
};

} // namespace linkwell::testing
