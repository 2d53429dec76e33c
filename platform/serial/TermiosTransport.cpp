// The termios back end of the adapter calls, and the sysfs search for FTDI adapters.

#include "platform/serial/SerialTransport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct BaudEntry {
    uint32_t rate;
    speed_t code;
};

const BaudEntry kBauds[] = {
    {300, B300},         {600, B600},         {1200, B1200},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},     {115200, B115200},
    {230400, B230400},   {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
    {1000000, B1000000}, {1500000, B1500000}, {2000000, B2000000}, {3000000, B3000000},
};

// Milliseconds left until the deadline, -1 for "wait without limit" (poll's convention).
int remainingMs(bool limited, Clock::time_point deadline) {
    if (!limited) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(std::min<long long>(left, 60000)) : 0;
}

class TTermiosTransport : public TSerialTransport {
public:
    explicit TTermiosTransport(int fd) : fd_(fd) {}
    ~TTermiosTransport() override {
        // The exclusive flag outlives our descriptor when someone else keeps the tty open
        // (a simulator holding its pseudo-terminal), so clear it before letting go.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }

    FT_STATUS Read(uint8_t* buffer, uint32_t count, uint32_t* got) override {
        const bool limited = readMs_ != 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(readMs_);
        while (*got < count) {
            ssize_t n = ::read(fd_, buffer + *got, count - *got);
            if (n > 0) {
                *got += uint32_t(n);
                continue;
            }
            if (n == 0) return FT_IO_ERROR; // hang-up: the other end is gone
            if (errno == EINTR) continue;
            if (errno != EAGAIN) return FT_IO_ERROR;
            int wait = remainingMs(limited, deadline);
            if (wait == 0) break;
            pollfd p{fd_, POLLIN, 0};
            int rc = ::poll(&p, 1, wait);
            if (rc < 0 && errno != EINTR) return FT_IO_ERROR;
            if (rc > 0 && (p.revents & (POLLERR | POLLNVAL))) return FT_IO_ERROR;
        }
        return FT_OK;
    }

    FT_STATUS Write(const uint8_t* buffer, uint32_t count, uint32_t* written) override {
        const bool limited = writeMs_ != 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(writeMs_);
        while (*written < count) {
            ssize_t n = ::write(fd_, buffer + *written, count - *written);
            if (n > 0) {
                *written += uint32_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) return FT_IO_ERROR;
            int wait = remainingMs(limited, deadline);
            if (wait == 0) break;
            pollfd p{fd_, POLLOUT, 0};
            int rc = ::poll(&p, 1, wait);
            if (rc < 0 && errno != EINTR) return FT_IO_ERROR;
            if (rc > 0 && (p.revents & (POLLERR | POLLNVAL | POLLHUP))) return FT_IO_ERROR;
        }
        return FT_OK;
    }

    FT_STATUS SetBaudRate(uint32_t baudRate) override {
        auto it = std::find_if(std::begin(kBauds), std::end(kBauds),
                               [&](const BaudEntry& e) { return e.rate == baudRate; });
        if (it == std::end(kBauds)) return FT_INVALID_BAUD_RATE;
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return FT_IO_ERROR;
        if (::cfsetispeed(&t, it->code) != 0 || ::cfsetospeed(&t, it->code) != 0) return FT_INVALID_BAUD_RATE;
        return ::tcsetattr(fd_, TCSANOW, &t) == 0 ? FT_OK : FT_IO_ERROR;
    }

    FT_STATUS SetDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return FT_IO_ERROR;
        t.c_cflag &= ~tcflag_t(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
        t.c_cflag |= wordLength == FT_BITS_7 ? CS7 : CS8;
        if (stopBits == FT_STOP_BITS_2) t.c_cflag |= CSTOPB;
        switch (parity) {
        case FT_PARITY_ODD:
            t.c_cflag |= PARENB | PARODD;
            break;
        case FT_PARITY_EVEN:
            t.c_cflag |= PARENB;
            break;
        case FT_PARITY_MARK:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case FT_PARITY_SPACE:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
        }
        return ::tcsetattr(fd_, TCSANOW, &t) == 0 ? FT_OK : FT_IO_ERROR;
    }

    FT_STATUS SetTimeouts(uint32_t readMs, uint32_t writeMs) override {
        readMs_ = readMs;
        writeMs_ = writeMs;
        return FT_OK;
    }

    FT_STATUS GetQueueStatus(uint32_t* rxBytes) override {
        int n = 0;
        if (::ioctl(fd_, FIONREAD, &n) != 0) return FT_IO_ERROR;
        *rxBytes = uint32_t(std::max(n, 0));
        return FT_OK;
    }

    FT_STATUS Purge(uint32_t mask) override {
        const int which = (mask & FT_PURGE_RX) && (mask & FT_PURGE_TX) ? TCIOFLUSH
                          : (mask & FT_PURGE_RX)                       ? TCIFLUSH
                                                                       : TCOFLUSH;
        if (!(mask & (FT_PURGE_RX | FT_PURGE_TX))) return FT_OK;
        return ::tcflush(fd_, which) == 0 ? FT_OK : FT_IO_ERROR;
    }

    FT_STATUS WaitForReceive(uint32_t timeoutMs) override {
        pollfd p{fd_, POLLIN, 0};
        int rc = ::poll(&p, 1, int(std::min<uint32_t>(timeoutMs, 60000)));
        if (rc < 0) return errno == EINTR ? FT_OK : FT_IO_ERROR;
        // The other end hung up: nothing will come; the caller's time-out must not spin.
        if (rc > 0 && (p.revents & (POLLERR | POLLNVAL | POLLHUP)) && !(p.revents & POLLIN))
            return FT_IO_ERROR;
        return FT_OK;
    }

private:
    int fd_;
    uint32_t readMs_ = 0; // the driver's defaults: no time limit
    uint32_t writeMs_ = 0;
};

std::string groupOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (group* g = ::getgrgid(st.st_gid)) return g->gr_name;
    return std::to_string(st.st_gid);
}

// "ttyUSB10" → ("ttyUSB", 10), so that numbered ports sort by number.
std::pair<std::string, long> nameKey(const std::string& name) {
    size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1])))
        --i;
    long number = i < name.size() ? std::stol(name.substr(i, 9)) : -1;
    return {name.substr(0, i), number};
}

std::string readTrimmed(const fs::path& p) {
    std::ifstream in(p);
    std::string s;
    std::getline(in, s);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

} // namespace

std::vector<std::string> FindFtdiPorts(const std::string& sysfsRoot, const std::string& devDir) {
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(fs::path(sysfsRoot), ec);
    for (const auto& entry : fs::directory_iterator(fs::path(sysfsRoot) / "class" / "tty", ec)) {
        std::error_code e2;
        fs::path dev = fs::canonical(entry.path() / "device", e2);
        if (e2) continue; // virtual terminals and the like have no device
        // Walk up from the port to the USB device that carries the vendor id.
        for (fs::path p = dev; !p.empty() && p != root && p != p.parent_path(); p = p.parent_path()) {
            if (fs::exists(p / "idVendor", e2)) {
                if (readTrimmed(p / "idVendor") == "0403") names.push_back(entry.path().filename().string());
                break;
            }
        }
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return nameKey(a) < nameKey(b); });
    std::vector<std::string> paths;
    for (const auto& n : names)
        paths.push_back((fs::path(devDir) / n).string());
    return paths;
}

std::unique_ptr<TSerialTransport> OpenTermiosTransport(const std::string& path, FT_STATUS* status,
                                                       std::string* reason) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        switch (err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            *status = FT_DEVICE_NOT_FOUND;
            *reason = "Порт " + path + " не существует (подключён ли адаптер?)";
            break;
        case EACCES:
        case EPERM: {
            *status = FT_DEVICE_ACCESS_DENIED;
            std::string grp = groupOf(path);
            *reason = "Нет прав на открытие порта " + path + ": добавьте пользователя в группу «" +
                      (grp.empty() ? std::string("dialout") : grp) + "» и войдите в систему заново";
            break;
        }
        case EBUSY:
            *status = FT_DEVICE_NOT_OPENED;
            *reason = "Порт " + path + " занят другой программой";
            break;
        default:
            *status = FT_DEVICE_NOT_OPENED;
            *reason = "Порт " + path + " не удалось открыть: " + std::strerror(err);
        }
        return nullptr;
    }
    auto fail = [&](FT_STATUS s, std::string text) -> std::unique_ptr<TSerialTransport> {
        ::close(fd);
        *status = s;
        *reason = std::move(text);
        return nullptr;
    };
    if (!::isatty(fd)) return fail(FT_DEVICE_NOT_OPENED, path + " не является последовательным портом");
    // flock works for root as well, where the exclusive-open flag does not.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(FT_DEVICE_NOT_OPENED, "Порт " + path + " занят другой программой");
    ::ioctl(fd, TIOCEXCL);
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return fail(FT_DEVICE_NOT_OPENED, "Порт " + path + " не удалось настроить: " + std::strerror(errno));
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~tcflag_t(CRTSCTS | CSTOPB | PARENB | CSIZE);
    t.c_cflag |= CS8;
    t.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    // With VMIN 0 an empty non-blocking read returns 0, which could not be told from a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, B9600); // the adapter's power-on rate until the caller sets one
    ::cfsetospeed(&t, B9600);
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return fail(FT_DEVICE_NOT_OPENED, "Порт " + path + " не удалось настроить: " + std::strerror(errno));
    // Bytes left over from an earlier exchange would be taken for the next answer.
    ::tcflush(fd, TCIOFLUSH);
    *status = FT_OK;
    reason->clear();
    return std::make_unique<TTermiosTransport>(fd);
}
