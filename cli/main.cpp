// linkwell-cli: the favourites without the window.
#include "cli/commands.h"
#include "phone/gbpphonelibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("linkwell-cli"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);

    linkwell::cli::CliNotices::AnswerReader answers;
    if (isatty(STDIN_FILENO)) {
        answers = [&err, &in](const QString& question) -> std::optional<QString> {
            err << question << " [y/N] " << Qt::flush;
            QString line;
            if (!in.readLineInto(&line))
                return std::nullopt;
            return line;
        };
    }

    // "-o -": the image's bytes go to the same descriptor as `out`, which is
    // flushed first, unbuffered so nothing waits behind a later text line.
    QFile rawOut;
    rawOut.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    linkwell::cli::CliContext context{out, err, answers, [] { return std::make_shared<linkwell::GbpPhoneLibrary>(); }, &rawOut};
    const int status = linkwell::cli::runCli(app.arguments(), context);
    out.flush();
    err.flush();
    return status;
}
