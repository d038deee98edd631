// Start-up time: from process start to the main window's first paint, for
// Linkwell and for a bare Qt Widgets window, both on the same X server.
//   bench_startup [RUNS]
// Without a DISPLAY it starts itself again under xvfb-run.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// One start; the time in nanoseconds, or -1 when the program did not report.
long long startOnce(const QString& program)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("LINKWELL_STARTUP_T0"), QString::number(monotonicNs()));
    process.setProcessEnvironment(env);
    process.start(program, {});
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    const QByteArray out = process.readAllStandardOutput();
    const qsizetype at = out.indexOf("shown ");
    if (at < 0)
        return -1;
    return out.mid(at + 6).trimmed().toLongLong();
}

double medianMs(std::vector<long long> ns)
{
    std::sort(ns.begin(), ns.end());
    const size_t n = ns.size();
    const double mid = n % 2 ? double(ns[n / 2]) : (double(ns[n / 2 - 1]) + double(ns[n / 2])) / 2.0;
    return mid / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!getenv("DISPLAY") || !*getenv("DISPLAY")) {
        std::vector<char*> args{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                                const_cast<char*>("-screen 0 1024x768x24 -dpi 96")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
        std::perror("xvfb-run");
        return 1;
    }

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 41;
    const QString linkwell = QStringLiteral(LINKWELL_WINDOW);
    const QString bare = QStringLiteral(BARE_WINDOW);

    // One start of each first, to warm the caches; then the two alternate so
    // that both meet the same load of the machine.
    startOnce(bare);
    startOnce(linkwell);
    std::vector<long long> bareNs, linkwellNs;
    for (int i = 0; i < runs; ++i) {
        const long long b = startOnce(bare);
        const long long l = startOnce(linkwell);
        if (b < 0 || l < 0) {
            std::fprintf(stderr, "a start did not report its first paint\n");
            return 1;
        }
        bareNs.push_back(b);
        linkwellNs.push_back(l);
    }
    const double bareMs = medianMs(bareNs);
    const double linkwellMs = medianMs(linkwellNs);
    std::printf("runs: %d each\n", runs);
    std::printf("bare window, median to first paint: %.1f ms\n", bareMs);
    std::printf("Linkwell, median to first paint:    %.1f ms\n", linkwellMs);
    std::printf("ratio Linkwell / bare: %.2f (target at most 1.15)\n", linkwellMs / bareMs);
    return 0;
}
