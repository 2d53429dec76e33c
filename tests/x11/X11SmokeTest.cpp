// The real program under a real X server: Xvfb, the simulated device on a pseudo-terminal, and
// setupkvt driven with X input (xdotool's XTest), as a user drives it.  It reads the whole device
// through the menu and looks at what the user would see: the summary box and the status bar, and
// at what the device was asked.  The windows are saved as PNG files under screenshots/.

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QSize>

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

fs::path BinDir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && ::access((fs::path(dir) / program).c_str(), X_OK) == 0) return true;
    return false;
}

// A child process with its standard output on a pipe (optional) and standard error in a file.
struct Child {
    pid_t pid = -1;
    int out = -1;

    void Start(std::vector<std::string> args, const std::vector<std::string>& env, const std::string& errFile,
               bool pipeOut, int keepFd = -1) {
        int p[2] = {-1, -1};
        if (pipeOut && ::pipe(p) != 0) return;
        pid = ::fork();
        if (pid == 0) {
            if (pipeOut) {
                ::dup2(p[1], 1);
                ::close(p[0]);
                ::close(p[1]);
            } else {
                int devnull = ::open("/dev/null", O_WRONLY);
                ::dup2(devnull, 1);
            }
            int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0) ::dup2(err, 2);
            for (int fd = 3; fd < 256; ++fd)
                if (fd != keepFd) ::close(fd);
            for (const std::string& e : env) {
                const size_t eq = e.find('=');
                if (eq == std::string::npos)
                    ::unsetenv(e.c_str());
                else
                    ::setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
            }
            std::vector<char*> argv;
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        if (pipeOut) {
            ::close(p[1]);
            out = p[0];
        }
    }
    // The next line of standard output, or "" after the time-out.
    std::string Line(std::chrono::milliseconds timeout) {
        std::string line;
        char c;
        pollfd p{out, POLLIN, 0};
        while (::poll(&p, 1, int(timeout.count())) > 0 && ::read(out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    void Stop() {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(50ms);
        if (::waitpid(pid, &status, WNOHANG) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        pid = -1;
        if (out >= 0) ::close(out);
        out = -1;
    }
    ~Child() { Stop(); }
};

// Runs a command and answers its standard output (trailing blanks removed); -1 status on failure.
std::string RunCommand(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buf[512];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int rc = ::pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back())))
        out.pop_back();
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

int Shift(uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

// An X window dump (xwd's format: a big-endian header, the window's name, the colour map, then
// the pixels) of a true-colour window, as an image.
QImage ReadXwd(const fs::path& path) {
    const std::string data = ReadFile(path);
    const auto* d = reinterpret_cast<const uint8_t*>(data.data());
    if (data.size() < 100) return {};
    auto field = [&](int i) { return Be32(d + 4 * i); };
    const uint32_t headerSize = field(0), width = field(4), height = field(5), byteOrder = field(7),
                   bitsPerPixel = field(11), bytesPerLine = field(12), red = field(14), green = field(15),
                   blue = field(16), colours = field(19);
    const size_t pixels = size_t(headerSize) + size_t(colours) * 12;
    if (field(1) != 7 || (bitsPerPixel != 32 && bitsPerPixel != 24) ||
        data.size() < pixels + size_t(bytesPerLine) * height)
        return {};
    QImage image(int(width), int(height), QImage::Format_RGB32);
    const int bytes = int(bitsPerPixel / 8);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = d + pixels + size_t(y) * bytesPerLine;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * bytes;
            uint32_t v = 0;
            for (int k = 0; k < bytes; ++k)
                v |= uint32_t(p[byteOrder == 0 ? k : bytes - 1 - k]) << (8 * k);
            image.setPixel(int(x), int(y),
                           qRgb(int((v & red) >> Shift(red)), int((v & green) >> Shift(green)),
                                int((v & blue) >> Shift(blue))));
        }
    }
    return image;
}

// Pixels darker than the panel's background in a rectangle: text drawn there.
int DarkPixels(const QImage& image, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100) ++n;
    return n;
}

class X11Smoke : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xwd"}) {
            if (OnPath(tool)) continue;
            // The set-up installs them; only outside it may the test be skipped.
            if (std::getenv("KVT_REQUIRE_X11")) FAIL() << tool << " is missing; run scripts/setup.sh";
            GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";
        }
        for (const char* program : {"setupkvt", "kvt-devsim"})
            if (!fs::exists(BinDir() / program)) GTEST_SKIP() << program << " is not built";
        work = fs::temp_directory_path() / ("kvt-x11-" + std::to_string(::getpid()));
        fs::create_directories(work);
        shots = BinDir().parent_path() / "screenshots";
        fs::create_directories(shots);

        // Xvfb tells the display it took through -displayfd.
        int p[2];
        ASSERT_EQ(::pipe(p), 0);
        xvfb.Start(
            {"Xvfb", "-displayfd", std::to_string(p[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
            {}, (work / "xvfb.log").string(), false, p[1]);
        ::close(p[1]);
        std::string number;
        char c;
        pollfd pf{p[0], POLLIN, 0};
        while (::poll(&pf, 1, 10000) > 0 && ::read(p[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(p[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start: " << ReadFile(work / "xvfb.log");
        display = ":" + number;
    }
    void TearDown() override {
        tool.Stop();
        devsim.Stop();
        xvfb.Stop();
        if (!work.empty()) fs::remove_all(work);
    }

    std::string X(const std::string& args, int* status = nullptr) {
        return RunCommand("DISPLAY=" + display + " " + args + " 2>/dev/null", status);
    }
    // The first window whose name is exactly Name, waiting for it up to Timeout.
    std::string FindWindow(const std::string& name, std::chrono::milliseconds timeout = 60s) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        do {
            std::string ids = X("xdotool search --onlyvisible --name '^" + name + "$'");
            if (!ids.empty()) return ids.substr(0, ids.find('\n'));
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < end);
        return {};
    }
    // Saves the window (by its own id: the root image shows other windows black under Xvfb).
    QImage Capture(const std::string& window, const std::string& name) {
        const fs::path xwd = work / (name + ".xwd");
        int status = 0;
        X("xwd -silent -id " + window + " -out " + xwd.string(), &status);
        QImage image = ReadXwd(xwd);
        if (!image.isNull()) image.save(QString::fromStdString((shots / (name + ".png")).string()));
        return image;
    }

    // Starts the simulator with Args and the tool on its terminal; answers the main window's id
    // once it has painted.
    std::string StartBoth(std::vector<std::string> args) {
        args.insert(args.begin(), {(BinDir() / "kvt-devsim").string(), "--verbose"});
        devsim.Start(args, {}, (work / "devsim.log").string(), true);
        const std::string port = devsim.Line(10s);
        if (port.rfind("/dev/", 0) != 0) return {};
        tool.Start({(BinDir() / "setupkvt").string()},
                   {"DISPLAY=" + display, "QT_QPA_PLATFORM", "KVT_SERIAL_PORT=" + port, "LANG=C.UTF-8"},
                   (work / "setupkvt.log").string(), false);
        const std::string main = FindWindow("Настройка КВИНТОРЕЛЬ 0.14");
        // Until the window has painted the server holds it black.
        for (int i = 0; !main.empty() && i < 100; ++i) {
            const QImage image = Capture(main, "x11-main-start");
            if (!image.isNull() && DarkPixels(image, image.rect()) < image.width() * image.height() / 2)
                break;
            std::this_thread::sleep_for(100ms);
        }
        return main;
    }
    // «Загрузить» opens the read menu under it; the second item is «Устройство».
    void ReadWholeDevice(const std::string& main) {
        X("xdotool mousemove --window " + main + " 823 38 click 1");
        std::this_thread::sleep_for(500ms);
        X("xdotool key Down Down Return");
    }
    // Closes a message box with its default button (no window manager runs: the box is given
    // the focus directly) and waits until it has gone.
    void CloseBox(const std::string& box, const std::string& name) {
        X("xdotool windowfocus --sync " + box);
        X("xdotool key Return");
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!X("xdotool search --onlyvisible --name '^" + name + "$'").empty() &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(100ms);
        std::this_thread::sleep_for(300ms);
    }

    const QRect panel0{4, 430, 140, 12}, panel1{156, 430, 300, 12};
    Child xvfb, devsim, tool;
    std::string display;
    fs::path work, shots;
};

} // namespace

TEST_F(X11Smoke, WholeDeviceReadThroughTheMenu) {
    const fs::path log = work / "devsim.log";
    const fs::path saved = work / "state.txt";
    const std::string main = StartBoth({"--save", saved.string()});
    ASSERT_FALSE(main.empty()) << "the main window did not show: " << ReadFile(work / "setupkvt.log")
                               << ReadFile(log);
    const QImage before = Capture(main, "x11-main-before");
    ASSERT_EQ(before.size(), QSize(881, 446));
    EXPECT_EQ(DarkPixels(before, panel0) + DarkPixels(before, panel1), 0) << "the status bar starts empty";

    ReadWholeDevice(main);
    const std::string box = FindWindow("Загрузка настроек");
    ASSERT_FALSE(box.empty()) << "no summary box: " << ReadFile(work / "setupkvt.log");
    const QImage summary = Capture(box, "x11-read-summary");
    EXPECT_GT(summary.width(), 150);
    EXPECT_GT(summary.height(), 80);
    CloseBox(box, "Загрузка настроек");

    // «Устройство» and «Настройки загружены» in the two panels.
    const QImage after = Capture(main, "x11-main-after-read");
    ASSERT_EQ(after.size(), QSize(881, 446));
    EXPECT_GT(DarkPixels(after, panel0), 20);
    EXPECT_GT(DarkPixels(after, panel1), 20);

    // The device was asked for every block and changed nothing.
    tool.Stop();
    devsim.Stop();
    const std::string fresh = RunCommand((BinDir() / "kvt-devsim").string() + " --print-state");
    std::string state = ReadFile(saved);
    while (!state.empty() && std::isspace(static_cast<unsigned char>(state.back())))
        state.pop_back();
    EXPECT_FALSE(state.empty());
    EXPECT_EQ(state, fresh) << "a read leaves the device as it was";
    const std::string requests = ReadFile(log);
    for (const char* read : {"-> [0] C3", "-> [1] C3", "-> [2] C3", "-> [3] C3", "-> [3] D4 00"})
        EXPECT_NE(requests.find(read), std::string::npos) << read << "\n" << requests;
    for (const char* write : {"D0 01", "-> [0] D3", "-> [1] D3", "-> [2] D3", "-> [3] D3"})
        EXPECT_EQ(requests.find(write), std::string::npos) << write;
}

// A silent device: while the tool waits its ten seconds the window keeps painting and the status
// bar says what is being read; the error box names the block; afterwards the status bar is as it
// was.
TEST_F(X11Smoke, WindowPaintsWhileTheDeviceIsSilent) {
    const std::string main = StartBoth({"--fault", "0:C3=noanswer*1"});
    ASSERT_FALSE(main.empty()) << "the main window did not show: " << ReadFile(work / "setupkvt.log");
    ReadWholeDevice(main);
    std::this_thread::sleep_for(2s);
    const QImage waiting = Capture(main, "x11-main-waiting");
    ASSERT_EQ(waiting.size(), QSize(881, 446));
    EXPECT_GT(DarkPixels(waiting, panel0), 20) << "«Блок газоанализатора»";
    EXPECT_GT(DarkPixels(waiting, panel1), 20) << "«Загрузка настроек…»";
    EXPECT_TRUE(X("xdotool search --onlyvisible --name '^Загрузка настроек$'").empty()) << "still waiting";

    const std::string box = FindWindow("Загрузка настроек", 30s);
    ASSERT_FALSE(box.empty()) << "no error box";
    Capture(box, "x11-read-timeout");
    CloseBox(box, "Загрузка настроек");
    const QImage after = Capture(main, "x11-main-after-timeout");
    EXPECT_EQ(DarkPixels(after, panel0) + DarkPixels(after, panel1), 0)
        << "a failed read leaves the status bar";
}
