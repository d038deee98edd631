// The serial port through termios and poll: no Qt, no thread, no signal, so
// any thread of any program may drive it.

#include "serialport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace gbp {

namespace {

// Lock files in the old UUCP way, as Qt's QSerialPort, minicom and the
// like keep them: "LCK.." and the device's name under /dev with '/' as '_',
// holding the owner's process id first. Without them we would not see a port
// that such a program holds, because TIOCEXCL does not stop root.
const std::array<const char*, 4> LockFolders{"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp"};

std::string lockName(const std::string& device)
{
    std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    std::replace(name.begin(), name.end(), '/', '_');
    return "LCK.." + name;
}

std::vector<std::string> lockFolders()
{
    std::vector<std::string> folders(LockFolders.begin(), LockFolders.end());
    const char* temporary = std::getenv("TMPDIR");
    folders.emplace_back(temporary && *temporary ? temporary : "/tmp");
    return folders;
}

// True when `path` names a lock whose owner still runs.
bool heldByLiveProcess(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return false;
    char text[64] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = '\0';
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    if (end == text || pid <= 0 || pid > INT_MAX)
        return false; // not a lock we can read: a leftover
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

class LockFile {
public:
    // Takes the lock for `device` under every name it goes by; false when a
    // live process holds one of them. No folder we may write to is no lock
    // at all, not a failure: the port itself is still opened exclusively.
    bool take(const std::vector<std::string>& devices)
    {
        for (const std::string& device : devices)
            for (const std::string& folder : lockFolders())
                if (heldByLiveProcess(folder + "/" + lockName(device)))
                    return false;
        for (const std::string& folder : lockFolders()) {
            if (::access(folder.c_str(), W_OK) != 0)
                continue;
            for (const std::string& device : devices)
                create(folder + "/" + lockName(device));
            break;
        }
        return true;
    }

    ~LockFile()
    {
        for (const std::string& path : paths_)
            ::unlink(path.c_str());
    }

private:
    void create(const std::string& path)
    {
        ::unlink(path.c_str()); // a leftover of a process that is gone
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        // The process id, the program and the host, one a line, as Qt writes
        // its own: Qt takes a lock whose program does not match the process
        // for a leftover.
        char program[PATH_MAX] = {};
        const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
        program[std::max<ssize_t>(length, 0)] = '\0';
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        char text[PATH_MAX + 320];
        const int size = std::snprintf(text, sizeof text, "%d\n%s\n%s\n", int(::getpid()), program, host);
        const bool written = size > 0 && size < int(sizeof text) && ::write(fd, text, std::size_t(size)) == size;
        ::close(fd);
        if (written)
            paths_.push_back(path);
        else
            ::unlink(path.c_str());
    }

    std::vector<std::string> paths_;
};

int msUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, INT_MAX));
}

class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort(int fd, std::unique_ptr<LockFile> lock) : fd_(fd), lock_(std::move(lock)) {}
    ~PosixSerialPort() override
    {
        ::tcflush(fd_, TCIOFLUSH);
        ::close(fd_);
    }

    bool write(const std::uint8_t* data, std::size_t size, Clock::time_point deadline) override
    {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n > 0) {
                done += std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return false;
            // The port's buffer is full: a slow line, or flow held back.
            pollfd out{fd_, POLLOUT, 0};
            const int ready = ::poll(&out, 1, msUntil(deadline));
            if (ready == 0 || (ready < 0 && errno != EINTR))
                return false;
            if (ready > 0 && (out.revents & (POLLERR | POLLHUP | POLLNVAL)))
                return false;
        }
        return true;
    }

    Wait read(std::vector<std::uint8_t>& out, Clock::time_point deadline) override
    {
        for (;;) {
            pollfd in{fd_, POLLIN, 0};
            const int ready = ::poll(&in, 1, msUntil(deadline));
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                return Wait::Failed;
            }
            if (ready == 0)
                return Wait::TimedOut;
            if (!(in.revents & POLLIN))
                return Wait::Failed; // hung up or in error, with nothing left to read
            const std::size_t before = out.size();
            bool broken = (in.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
            std::uint8_t buffer[1024];
            for (;;) {
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0) {
                    out.insert(out.end(), buffer, buffer + n);
                    continue;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                if (n == 0 || errno != EAGAIN)
                    broken = true; // a terminal that has hung up reads as EOF or EIO
                break;
            }
            if (out.size() > before)
                return Wait::Ready;
            if (broken)
                return Wait::Failed;
            if (Clock::now() >= deadline)
                return Wait::TimedOut;
        }
    }

    void discardInput() override
    {
        ::tcflush(fd_, TCIFLUSH);
        std::uint8_t buffer[1024];
        while (::read(fd_, buffer, sizeof buffer) > 0) {
        }
    }

private:
    int fd_;
    std::unique_ptr<LockFile> lock_;
};

} // namespace

std::unique_ptr<SerialPort> SerialPort::open(const std::string& device)
{
    // Every name the device goes by: the emulator's --link gives a symbolic
    // link, and another program may have locked the port under either name.
    std::vector<std::string> names{device};
    if (char* real = ::realpath(device.c_str(), nullptr)) {
        if (device != real)
            names.emplace_back(real);
        std::free(real);
    }
    auto lock = std::make_unique<LockFile>();
    if (!lock->take(names))
        return nullptr;

    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto fail = [fd] {
        ::close(fd);
        return nullptr;
    };
    // Two programs of ours on one port see each other here, whatever name
    // each used; TIOCEXCL keeps out those that do not look (root excepted).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail();
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return fail(); // not a terminal at all
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~tcflag_t(CSTOPB | CRTSCTS | PARENB | CSIZE);
    tio.c_cflag |= CS8;
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // With O_NONBLOCK this makes an empty read EAGAIN, so that 0 can only
    // mean a line that has hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B115200) != 0 || ::cfsetospeed(&tio, B115200) != 0 || ::tcsetattr(fd, TCSANOW, &tio) != 0)
        return fail();
    ::ioctl(fd, TIOCEXCL);
    ::tcflush(fd, TCIOFLUSH);
    return std::make_unique<PosixSerialPort>(fd, std::move(lock));
}

} // namespace gbp
