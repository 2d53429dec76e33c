// kvt-devsim: the simulated device on a pseudo-terminal.  Prints the terminal's path; point the
// tool at it with KVT_SERIAL_PORT=<path>.

#include "tools/devsim/DevSim.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

const char* kUsage = R"(Usage: kvt-devsim [options]
The simulated breath-alcohol device on a pseudo-terminal.  Prints the terminal's path on the
first line of its output; run the tool with KVT_SERIAL_PORT=<that path>.

  --state FILE        load the device state from FILE (see docs/devsim.md)
  --save FILE         write the device state to FILE when the program ends
  --print-state       print the state (default, or after --state) and exit
  --blocks LIST       blocks present besides the gas analyser: e.g. 1,3 or
                      interface,ethernet or none (default: all)
  --lenient           accept writes outside service mode
  --baud N            the line's rate (default 38400); the tool must set it;
                      both directions take 10 bits a byte: a request is
                      taken when its last byte has come; 0 switches this off
  --link PATH         also make PATH a symbolic link to the terminal
  --fault SPEC        damage matching answers: ADDR:CMD[:SUB]=KIND[*N]
                      (address decimal, bytes hexadecimal, * for any), e.g.
                      0:C3=badsum  3:D4:01=status*2  *:*=noanswer
                      kinds: noanswer badsum status short garbage slow late
  --fault-rate P      damage each answer with probability P (0..1)
  --seed N            seed of the random faults (default 1)
  --fault-kinds LIST  kinds used at random, comma-separated (default all)
  --slow-ms N         delay per byte of a slow answer (default 50)
  --late-ms N         delay of a late answer (default 10500, past the tool's
                      10 s); the device takes no request meanwhile
  -v, --verbose       log requests and answers to standard error
  -h, --help          this text
)";

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        out += buf;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

bool writeAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                pollfd pfd{fd, POLLOUT, 0};
                ::poll(&pfd, 1, 100);
                continue;
            }
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

speed_t speedCode(uint32_t baud) {
    switch (baud) {
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B38400;
    }
}

} // namespace

int main(int argc, char** argv) {
    devsim::DeviceSimulator sim;
    std::string saveFile, linkPath;
    bool printState = false, verbose = false;
    uint32_t baud = 38400, slowMs = 50, lateMs = 10500, seed = 1;
    double faultRate = 0;
    std::vector<devsim::FaultKind> faultKinds;

    auto need = [&](int& i) -> std::string {
        if (i + 1 >= argc) {
            std::cerr << "kvt-devsim: " << argv[i] << " needs a value\n";
            std::exit(2);
        }
        return argv[++i];
    };
    try {
        for (int i = 1; i < argc; ++i) {
            std::string a = argv[i];
            if (a == "-h" || a == "--help") {
                std::cout << kUsage;
                return 0;
            } else if (a == "--state") {
                std::string path = need(i);
                std::ifstream in(path);
                if (!in) {
                    std::cerr << "kvt-devsim: cannot read " << path << "\n";
                    return 1;
                }
                std::stringstream ss;
                ss << in.rdbuf();
                std::string error;
                if (!sim.LoadState(ss.str(), &error)) {
                    std::cerr << "kvt-devsim: " << path << ": " << error << "\n";
                    return 1;
                }
            } else if (a == "--save") {
                saveFile = need(i);
            } else if (a == "--print-state") {
                printState = true;
            } else if (a == "--blocks") {
                std::string error;
                if (!sim.LoadState("[device]\npresent = " + need(i), &error)) {
                    std::cerr << "kvt-devsim: --blocks: " << error << "\n";
                    return 2;
                }
            } else if (a == "--lenient") {
                sim.SetStrictServiceMode(false);
            } else if (a == "--baud") {
                baud = uint32_t(std::stoul(need(i)));
            } else if (a == "--link") {
                linkPath = need(i);
            } else if (a == "--fault") {
                std::string error;
                auto rule = devsim::ParseFaultRule(need(i), &error);
                if (!rule) {
                    std::cerr << "kvt-devsim: " << error << "\n";
                    return 2;
                }
                sim.AddFault(*rule);
            } else if (a == "--fault-rate") {
                faultRate = std::stod(need(i));
            } else if (a == "--seed") {
                seed = uint32_t(std::stoul(need(i)));
            } else if (a == "--fault-kinds") {
                std::stringstream list(need(i));
                std::string k;
                while (std::getline(list, k, ',')) {
                    auto kind = devsim::ParseFaultKind(k);
                    if (!kind) {
                        std::cerr << "kvt-devsim: unknown fault kind " << k << "\n";
                        return 2;
                    }
                    faultKinds.push_back(*kind);
                }
            } else if (a == "--slow-ms") {
                slowMs = uint32_t(std::stoul(need(i)));
            } else if (a == "--late-ms") {
                lateMs = uint32_t(std::stoul(need(i)));
            } else if (a == "-v" || a == "--verbose") {
                verbose = true;
            } else {
                std::cerr << "kvt-devsim: unknown option " << a << "\n" << kUsage;
                return 2;
            }
        }
    } catch (const std::exception&) {
        std::cerr << "kvt-devsim: bad number in the options\n";
        return 2;
    }
    if (faultRate > 0) sim.SetRandomFaults(faultRate, seed, faultKinds);
    if (printState) {
        std::cout << sim.DumpState();
        return 0;
    }

    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("kvt-devsim: pseudo-terminal");
        return 1;
    }
    std::string slavePath = ::ptsname(master);
    // Holding the other end open keeps the terminal (and its settings) alive between the tool's
    // operations, and spares us the hang-ups each time the tool closes it.
    int slave = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::perror("kvt-devsim: open terminal");
        return 1;
    }
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600); // like an adapter just plugged in: the tool has to set the rate
    ::cfsetospeed(&t, B9600);
    ::tcsetattr(slave, TCSANOW, &t);

    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(slavePath.c_str(), linkPath.c_str()) != 0) std::perror("kvt-devsim: --link");
    }
    std::cout << slavePath << std::endl;
    std::cerr << "kvt-devsim: serving " << slavePath << " at " << baud
              << " baud; KVT_SERIAL_PORT=" << slavePath << "\n";

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);

    using Clock = std::chrono::steady_clock;
    // Ten bits a byte (start, 8 data, stop) in both directions of the one line.
    const auto byteTime = std::chrono::nanoseconds(baud ? 10'000'000'000LL / baud : 0);
    const speed_t wanted = speedCode(baud);
    // When the line is next free: a request's bytes cannot arrive while an answer is on it.
    Clock::time_point line = Clock::now();
    auto sleepUntil = [](Clock::time_point t) {
        while (!stopRequested && Clock::now() < t)
            std::this_thread::sleep_until(std::min(t, Clock::now() + std::chrono::milliseconds(50)));
    };
    uint8_t buf[512];
    while (!stopRequested) {
        pollfd p{master, POLLIN, 0};
        int rc = ::poll(&p, 1, 100);
        if (rc == 0 && sim.HasPartialInput()) {
            // A pause inside a frame ends it, as on the device's own line: what came so far is
            // dropped instead of swallowing the next request.
            if (verbose) std::cerr << "pause inside a frame: partial input dropped\n";
            sim.ResetInput();
        }
        if (rc <= 0) continue;
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        if (baud) {
            // Bytes sent at another rate or framing arrive as noise: the device does not answer.
            termios now{};
            ::tcgetattr(slave, &now);
            if (::cfgetospeed(&now) != wanted || (now.c_cflag & CSIZE) != CS8 || (now.c_cflag & PARENB)) {
                if (verbose)
                    std::cerr << "line settings differ from " << baud << " 8N1: " << n << " bytes ignored\n";
                continue;
            }
        }
        // The tool's write reaches us at once through the terminal; on the line each byte takes
        // its time, so the device sees a request only when its last byte has come.
        Clock::time_point t = std::max(line, Clock::now());
        for (ssize_t i = 0; i < n && !stopRequested; ++i) {
            t += byteTime;
            const size_t logFrom = sim.Log().size();
            auto replies = sim.Feed(buf + i, 1);
            if (verbose) {
                for (size_t k = logFrom; k < sim.Log().size(); ++k)
                    std::cerr << "-> [" << int(sim.Log()[k].address) << "] " << hex(sim.Log()[k].data)
                              << "\n";
            }
            for (const auto& r : replies) {
                if (verbose)
                    std::cerr << "<- " << hex(r.bytes)
                              << (r.slow   ? " (slow)"
                                  : r.late ? " (late)"
                                           : "")
                              << "\n";
                sleepUntil(t);
                if (r.late) {
                    t = Clock::now() + std::chrono::milliseconds(lateMs);
                    sleepUntil(t);
                }
                const auto step = r.slow ? std::chrono::nanoseconds(slowMs * 1'000'000LL) : byteTime;
                if (step.count() == 0) {
                    writeAll(master, r.bytes.data(), r.bytes.size());
                    continue;
                }
                t = std::max(t, Clock::now());
                if (!r.slow) {
                    // The answer is whole when its last byte's time on the line has passed; the
                    // tool needs all of it, so it is handed over then, in one piece (a wake-up for
                    // every byte would measure the scheduler, not the line).
                    t += step * std::ptrdiff_t(r.bytes.size());
                    sleepUntil(t);
                    writeAll(master, r.bytes.data(), r.bytes.size());
                    continue;
                }
                // A slow answer trickles in, one byte every --slow-ms.
                for (uint8_t b : r.bytes) {
                    t += step;
                    sleepUntil(t);
                    writeAll(master, &b, 1);
                }
            }
        }
        line = t;
    }

    if (!saveFile.empty()) {
        std::ofstream out(saveFile);
        out << sim.DumpState();
        if (!out) std::cerr << "kvt-devsim: cannot write " << saveFile << "\n";
    }
    if (!linkPath.empty()) ::unlink(linkPath.c_str());
    ::close(slave);
    ::close(master);
    return 0;
}
