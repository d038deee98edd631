#include "clinotices.h"

namespace linkwell::cli {

CliNotices::CliNotices(QTextStream& err, AnswerReader answers)
    : err_(err), answers_(std::move(answers))
{
}

void CliNotices::message(const QString& text)
{
    // The window's texts keep their own line breaks ("\r\n"); one line each here.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    err_ << "linkwell-cli: " << (subject_.isEmpty() ? QString() : subject_ + QLatin1String(": "))
         << line << Qt::endl;
}

bool CliNotices::confirm(const QString& question)
{
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
