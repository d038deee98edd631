#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace linkwell::testing {

// linkwell-phonesim as a child process: started with the options given,
// its device path read off its first output line, stopped on destruction.
class PhonesimProcess {
public:
    explicit PhonesimProcess(QString program) : program_(std::move(program)) {}
    ~PhonesimProcess() { stop(); }
    PhonesimProcess(const PhonesimProcess&) = delete;
    PhonesimProcess& operator=(const PhonesimProcess&) = delete;

    // True once the emulator has printed its device path.
    bool start(const QStringList& arguments)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program_, arguments);
        if (!process_.waitForStarted(5000))
            return false;
        const QDeadlineTimer deadline(5000);
        QByteArray output;
        while (!output.contains('\n')) {
            if (deadline.hasExpired() || !process_.waitForReadyRead(int(deadline.remainingTime())))
                return false;
            output += process_.readAllStandardOutput();
        }
        device_ = QString::fromLocal8Bit(output.left(output.indexOf('\n')).trimmed());
        return !device_.isEmpty();
    }

    void stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

    const QString& device() const { return device_; }
    QProcess& process() { return process_; }

private:
    QString program_;
    QProcess process_;
    QString device_;
};

} // namespace linkwell::testing
