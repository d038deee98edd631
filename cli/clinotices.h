#pragma once

#include "phone/notices.h"

#include <QString>
#include <QTextStream>
#include <functional>
#include <optional>

namespace linkwell::cli {

// The window's notices for a terminal: each message is a line on standard
// error naming what it is about, beeps are dropped, and a question is asked
// only where someone can answer it.
class CliNotices : public Notices {
public:
    // Reads the answer to a question; empty when nobody can answer (standard
    // input is not a terminal).
    using AnswerReader = std::function<std::optional<QString>(const QString& question)>;

    CliNotices(QTextStream& err, AnswerReader answers);
    ~CliNotices() override;
    CliNotices(const CliNotices&) = delete;
    CliNotices& operator=(const CliNotices&) = delete;

    // What the following messages are about, such as the file being read.
    void setSubject(const QString& subject);

    void beep() override {}
    void message(const QString& text) override;
    bool confirm(const QString& question) override;
    void errorBox(const QString& failureText) override;
    QString openFileName(const FileDialogRequest&) override { return {}; }
    QString saveFileName(const FileDialogRequest&) override { return {}; }

    // Whether a question could be asked at all.
    bool canAsk() const { return bool(answers_); }

private:
    void print(const QString& text);
    void flushDropped();

    QTextStream& err_;
    AnswerReader answers_;
    QString subject_;
    // A build's report says "No. of entries truncated to 100(=max)." once per
    // entry dropped, as the window shows it; a terminal gets it once, with how many.
    int dropped_ = 0;
};

} // namespace linkwell::cli
