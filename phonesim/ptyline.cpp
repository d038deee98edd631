#include "ptyline.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace phonesim {

namespace {

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

PtyLine::~PtyLine()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

bool PtyLine::open(QString* error)
{
    auto fail = [error](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("grantpt/unlockpt");
    const char* name = ::ptsname(master_);
    if (!name)
        return fail("ptsname");
    path_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return fail("open slave");
    // Raw from the start: no echo, no line editing, no CR/LF translation,
    // even before a program opens the port and sets it up itself.
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    return true;
}

bool PtyLine::writeAll(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd out{master_, POLLOUT, 0};
        ::poll(&out, 1, 100);
    }
    return true;
}

void PtyLine::serve(const std::function<QByteArray(const QByteArray&)>& phone, int baud, const std::atomic<bool>& stop)
{
    // 8N1: ten bit times a byte.
    const std::int64_t byteNs = baud > 0 ? 10'000'000'000LL / baud : 0;
    std::deque<Timed> inbound;
    std::deque<Timed> outbound;
    std::int64_t inboundFree = 0;
    std::int64_t outboundFree = 0;
    char buffer[4096];

    while (!stop.load()) {
        std::int64_t now = nowNs();
        QByteArray arrived;
        while (!inbound.empty() && inbound.front().due <= now) {
            arrived += inbound.front().byte;
            inbound.pop_front();
        }
        if (!arrived.isEmpty()) {
            const QByteArray answer = phone(arrived);
            for (char byte : answer) {
                outboundFree = std::max(outboundFree, now) + byteNs;
                outbound.push_back({outboundFree, byte});
            }
        }
        QByteArray leaving;
        while (!outbound.empty() && outbound.front().due <= now) {
            leaving += outbound.front().byte;
            outbound.pop_front();
        }
        if (!leaving.isEmpty() && !writeAll(leaving))
            return;

        std::int64_t next = now + 100'000'000; // look at the stop flag now and then
        if (!inbound.empty())
            next = std::min(next, inbound.front().due);
        if (!outbound.empty())
            next = std::min(next, outbound.front().due);
        const std::int64_t waitNs = std::max<std::int64_t>(0, next - now);
        timespec timeout{time_t(waitNs / 1'000'000'000), long(waitNs % 1'000'000'000)};
        pollfd in{master_, POLLIN, 0};
        const int ready = ::ppoll(&in, 1, &timeout, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (ready == 0)
            continue;
        if (!(in.revents & POLLIN)) {
            if (in.revents & (POLLHUP | POLLERR))
                ::usleep(1000); // no reader yet: do not spin
            continue;
        }
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        now = nowNs();
        for (ssize_t i = 0; i < n; ++i) {
            inboundFree = std::max(inboundFree, now) + byteNs;
            inbound.push_back({inboundFree, buffer[i]});
        }
    }
}

} // namespace phonesim
