// Reads and writes a full 2000-byte favourites file through linkwell-phonesim
// paced at 115200 baud, and sets the median time beside the time the 2000
// bytes alone need on such a line.
//
//   bench_transfer [RUNS]     (default 25 of each)

#include "gbp/gbp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Baud = 115200;
constexpr int FileSize = 2000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void report(const char* what, const std::vector<double>& ms, double lineMs)
{
    const double m = median(ms);
    std::printf("%-6s median %7.1f ms  (min %6.1f, max %6.1f, %zu runs)  line rate %6.1f ms  efficiency %.2f\n", what, m,
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), ms.size(), lineMs, lineMs / m);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 25;

    QTemporaryDir folder;
    QByteArray image(FileSize, '\0');
    for (int i = 0; i < FileSize; ++i)
        image[i] = char(0x20 + (i * 13) % 95);
    const QString seed = folder.filePath(QStringLiteral("seed.bin"));
    {
        QFile file(seed);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != FileSize)
            return 1;
    }

    QProcess phone;
    phone.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    phone.start(QStringLiteral(PHONESIM_PATH), {QStringLiteral("--baud"), QString::number(Baud), QStringLiteral("--seed"), seed});
    QByteArray output;
    const QDeadlineTimer deadline(5000);
    while (!output.contains('\n') && phone.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
        output += phone.readAllStandardOutput();
    if (!output.contains('\n')) {
        std::fprintf(stderr, "bench_transfer: the emulator did not start\n");
        return 1;
    }
    qputenv("LINKWELL_COM1", output.left(output.indexOf('\n')).trimmed());

    if (InitGBPMode(1) != 0) {
        std::fprintf(stderr, "bench_transfer: InitGBPMode failed\n");
        return 1;
    }
    std::vector<double> reads;
    std::vector<double> writes;
    QByteArray buffer(FileSize, '\0');
    QElapsedTimer clock;
    for (int run = 0; run < runs; ++run) {
        clock.start();
        const std::int32_t read = ReadNVMFile(2, 1, buffer.data(), FileSize);
        reads.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.start();
        const std::int32_t written = WriteNVMFile(2, 1, image.constData(), FileSize);
        writes.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (read != FileSize || buffer != image || written != 0) {
            std::fprintf(stderr, "bench_transfer: transfer failed (read %d, write %d)\n", read, written);
            return 1;
        }
    }
    EndGBPMode();
    phone.terminate();
    phone.waitForFinished(3000);

    const double lineMs = FileSize * 10.0 * 1000.0 / Baud;
    std::printf("%d-byte favourites file, emulator paced at %d baud 8N1\n", FileSize, Baud);
    report("read", reads, lineMs);
    report("write", writes, lineMs);
    return 0;
}
