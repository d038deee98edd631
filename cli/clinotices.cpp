#include "clinotices.h"

#include "printable.h"

namespace linkwell::cli {

namespace {

const QString DroppedEntry = QStringLiteral("No. of entries truncated to 100(=max).");

} // namespace

CliNotices::CliNotices(QTextStream& err, AnswerReader answers) : err_(err), answers_(std::move(answers)) {}

CliNotices::~CliNotices()
{
    flushDropped();
}

void CliNotices::setSubject(const QString& subject)
{
    flushDropped();
    subject_ = subject;
}

void CliNotices::message(const QString& text)
{
    if (text == DroppedEntry) {
        ++dropped_;
        return;
    }
    flushDropped();
    print(text);
}

void CliNotices::print(const QString& text)
{
    // The window's texts keep their own line breaks ("\r\n"); one line each here.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    err_ << "linkwell-cli: " << printable((subject_.isEmpty() ? QString() : subject_ + QLatin1String(": ")) + line) << Qt::endl;
}

void CliNotices::flushDropped()
{
    if (dropped_ == 0)
        return;
    const int dropped = dropped_;
    dropped_ = 0;
    print(DroppedEntry + (dropped == 1 ? QStringLiteral(" (1 entry left out)") : QStringLiteral(" (%1 entries left out)").arg(dropped)));
}

bool CliNotices::confirm(const QString& question)
{
    flushDropped();
    if (!answers_)
        return false;
    const std::optional<QString> answer = answers_(question);
    if (!answer)
        return false;
    const QString a = answer->trimmed().toLower();
    return a == QLatin1String("y") || a == QLatin1String("yes");
}

void CliNotices::errorBox(const QString& failureText)
{
    message(failureText);
}

} // namespace linkwell::cli
