// The GPS receiver of the station with a pseudo-terminal as the receiver:
// the port, the GPS thread and the hand-over to the main thread.
#include "gps/gps_service.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

#include "app/worker_threads.h"
#include "config/settings.h"
#include "gps/nmea_test_util.h"
#include "gps/pseudo_terminal.h"
#include "platform/ui_ports.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::nmea;

class BoxRecorder : public MessageBoxes {
public:
    void showMessage(const std::string& text, const std::string& caption) override
    {
        boxes.push_back(caption + ": " + text);
    }
    std::vector<std::string> boxes;
};

// Counts WM_GPS_TEXT and wakes the test's "main thread".
class Poster : public WindowMessagePoster {
public:
    void postWindowMessage(unsigned message, WParam) override
    {
        if (message != WM_GPS_TEXT)
            return;
        std::lock_guard<std::mutex> lock(mutex);
        ++posts;
        changed.notify_all();
    }
    bool waitForPosts(int count, std::chrono::milliseconds limit)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, limit, [&] { return posts >= count; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    int posts = 0;
};

class GpsServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        settings.gpsPort = 7;
        settings.gpsSpeed = 4800;
        settings.comPortPaths[7] = pty.slavePath();
    }
    void TearDown() override { stopThread(); }

    void startThread() { thread.start(stop, [this] { gps.threadTurn(); }, kGpsThreadPeriod); }
    // The stop handshake of the station: 1 asks, the thread answers 0.
    bool stopThread()
    {
        if (!thread.started())
            return true;
        stop.store(1);
        const auto limit = Clock::now() + 10s;
        while (stop.load() != 0 && Clock::now() < limit)
            std::this_thread::sleep_for(5ms);
        if (stop.load() != 0) {
            thread.abandon();
            return false;
        }
        thread.join();
        return true;
    }

    // The main thread's side: waits for WM_GPS_TEXT until `done` holds,
    // taking each fix over as the station does.
    template <typename Done>
    bool takeOverUntil(Done done, std::chrono::seconds limit = 20s)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            poster.waitForPosts(++seen, 200ms);
            if (gps.link().takeOver(lastText, ownFix))
                taken.push_back(ownFix);
            if (done())
                return true;
        }
        return false;
    }

    test::PseudoTerminal pty;
    Settings settings;
    BoxRecorder boxes;
    Poster poster;
    GpsService gps{settings, boxes, &poster};
    std::atomic<int> stop{0};
    WorkerThread thread;
    int seen = 0;
    GpsFix ownFix{};
    std::vector<GpsFix> taken;
    std::string lastText;
};

TEST_F(GpsServiceTest, FixFromThePortBecomesTheOwnFix)
{
    gps.openGpsPort();
    ASSERT_TRUE(gps.portOpen());
    EXPECT_TRUE(boxes.boxes.empty());
    startThread();
    ASSERT_TRUE(pty.write(nmea("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
                          nmea("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W")));
    ASSERT_TRUE(takeOverUntil([&] { return ownFix.altitude == 545.4; })) << lastText;
    EXPECT_NEAR(ownFix.latitude, 48.1173, 1e-9);
    EXPECT_EQ(lastText,
              "UTC: 23.03.94 12:35:19 Lat: 48.117300 Lon: 11.516667 Alt: 545.4 Speed: 41.5 km/h Course: 84.4 "
              "Sats: 8  Hdop: 0.9 ");
}

TEST_F(GpsServiceTest, PortThatCannotBeOpenedTurnsTheGpsOff)
{
    struct Case {
        std::string path;
        int speed;
        const char* box;
    };
    const Case cases[] = {
        {"/nonexistent/ttyUSB9", 9600, "COM-port open error!"},
        {"/dev/null", 9600, "GetCommState error!"},
        {pty.slavePath(), 12345, "SetCommState error!"},
    };
    for (const Case& c : cases) {
        boxes.boxes.clear();
        settings.gpsPort = 7;
        settings.gpsSpeed = c.speed;
        settings.comPortPaths[7] = c.path;
        gps.openGpsPort();
        EXPECT_FALSE(gps.portOpen()) << c.path;
        EXPECT_EQ(settings.gpsPort, 0) << c.path;
        EXPECT_EQ(boxes.boxes, std::vector<std::string>{std::string("Corvane - GPS COM-port error: ") + c.box});
    }
    // A number without a device path behaves like a missing device.
    settings.gpsPort = 60;
    gps.openGpsPort();
    EXPECT_EQ(settings.gpsPort, 0);
}

TEST_F(GpsServiceTest, WithoutPortTheOffTextComesAboutOnceASecond)
{
    settings.gpsPort = 0;
    gps.setStatusTexts("GPS aus", "Keine Daten ");
    gps.openGpsPort();
    EXPECT_TRUE(boxes.boxes.empty());
    startThread();
    std::this_thread::sleep_for(2500ms);
    ASSERT_TRUE(stopThread());
    EXPECT_GE(poster.posts, 2);
    EXPECT_LE(poster.posts, 4);
    EXPECT_EQ(gps.link().text(), "GPS aus");
}

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST_F(GpsServiceTest, UnpluggedDeviceNeitherSpinsNorHoldsTheShutdown)
{
    gps.openGpsPort();
    ASSERT_TRUE(gps.portOpen());
    startThread();
    ASSERT_TRUE(pty.write(nmea("GPRMC,123519,V,,,,,,,230394,,,N")));
    std::this_thread::sleep_for(300ms);
    pty.releaseSlave();
    pty.closeMaster();  // every read now fails at once
    const double cpuBefore = processCpuSeconds();
    std::this_thread::sleep_for(1s);
    const double cpu = processCpuSeconds() - cpuBefore;
    EXPECT_LT(cpu, 0.5) << "the GPS thread spins on a dead device";
    const auto start = Clock::now();
    EXPECT_TRUE(stopThread());
    gps.closeGpsPort();
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_FALSE(gps.portOpen());
}

TEST_F(GpsServiceTest, ReopeningWhileTheThreadReadsIsSafe)
{
    startThread();
    for (int i = 0; i < 20; ++i) {
        gps.openGpsPort();
        ASSERT_TRUE(gps.portOpen());
        pty.write(nmea("GPRMC,123519,V,,,,,,,230394,,,N"));
        std::this_thread::sleep_for(10ms);
        gps.closeGpsPort();
    }
    EXPECT_TRUE(stopThread());
    EXPECT_TRUE(boxes.boxes.empty());
}

// Several minutes of a receiver that sends GGA before RMC at 1 Hz, with GN
// and GP talkers, other sentences, broken checksums, noise bytes and
// over-long lines between the sentences.
struct Recording {
    std::string bytes;
    std::set<int> badRmc, badGga;
    static double latitude(int second) { return 56.25 + second * 0.0001; }
    static double longitude(int second) { return 37.5 + second * 0.0002; }
    static double altitude(int second) { return 150.0 + second * 0.5; }
};

std::string minutesField(double degrees, int degreeDigits)
{
    const int whole = static_cast<int>(degrees);
    const double minutes = (degrees - whole) * 60.0;
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%07.4f", degreeDigits, whole, minutes);
    return text;
}

Recording makeRecording(int seconds)
{
    Recording r;
    std::srand(7);
    for (int i = 0; i < seconds; ++i) {
        const int t = 10 * 3600 + i;
        char time[32];
        std::snprintf(time, sizeof time, "%02d%02d%02d.00", t / 3600, t / 60 % 60, t % 60);
        const std::string talker = i % 3 == 0 ? "GP" : "GN";
        const std::string lat = minutesField(Recording::latitude(i), 2);
        const std::string lon = minutesField(Recording::longitude(i), 3);
        char alt[16];
        std::snprintf(alt, sizeof alt, "%.1f", Recording::altitude(i));
        std::string gga = nmea(talker + "GGA," + time + "," + lat + ",N," + lon + ",E,1,09,1.1," + alt + ",M,14.2,M,,");
        std::string rmc = nmea(talker + "RMC," + time + ",A," + lat + ",N," + lon + ",E,3.2,45.0,111226,,,A");
        if (i % 17 == 5) {
            rmc[rmc.size() - 3] ^= 0x01;  // a bit lost on the line
            r.badRmc.insert(i);
        }
        if (i % 19 == 7 && !r.badRmc.count(i)) {
            gga[gga.size() - 4] = gga[gga.size() - 4] == '0' ? '1' : '0';
            r.badGga.insert(i);
        }
        r.bytes += gga;
        r.bytes += nmea("GPGSA,A,3,04,05,09,12,,,,,,,,,2.5,1.1,2.2");
        if (i % 23 == 11) {
            std::string noise(40, '\0');
            for (char& c : noise) {
                const int v = std::rand() % 256;
                c = static_cast<char>(v == '$' ? '#' : v);
            }
            r.bytes += noise + "\r\n";
        }
        if (i % 31 == 3)
            r.bytes += "$GNRMC," + std::string(400, '7') + "\r\n";
        r.bytes += rmc;
    }
    return r;
}

TEST_F(GpsServiceTest, MinutesOfARealisticStreamGiveEveryIntactSecond)
{
    const int seconds = 180;
    const Recording rec = makeRecording(seconds);
    gps.openGpsPort();
    ASSERT_TRUE(gps.portOpen());
    startThread();
    // The last second comes on its own after a pause: the mailbox holds one
    // fix, and the main thread must have emptied it for the last one to fit.
    const std::size_t lastSecond = rec.bytes.rfind("GGA,") - 3;
    std::thread writer([&] {
        // About 50 times the receiver's own pace.
        const std::size_t chunk = 96;
        for (std::size_t at = 0; at < lastSecond; at += chunk) {
            pty.write(rec.bytes.substr(at, std::min(chunk, lastSecond - at)));
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(1s);
        pty.write(rec.bytes.substr(lastSecond));
    });
    // This receiver's RMC publishes the second before it, then its own: the
    // first fills the mailbox, so the own fix is the last second but one.
    const double lastTime = 10 * 3600 + seconds - 1;
    const bool reached = takeOverUntil([&] { return ownFix.timeOfDay >= lastTime - 1; }, 60s);
    writer.join();
    ASSERT_TRUE(reached) << lastText;
    ASSERT_TRUE(stopThread());
    EXPECT_EQ(gps.link().text().substr(0, 32), "UTC: 11.12.26 10:02:59 Lat: 56.2");

    std::set<int> seenSeconds;
    for (const GpsFix& f : taken) {
        const int i = static_cast<int>(std::lround(f.timeOfDay)) - 10 * 3600;
        ASSERT_TRUE(i >= 0 && i < seconds);
        EXPECT_FALSE(rec.badRmc.count(i)) << "a second whose RMC was broken: " << i;
        EXPECT_NEAR(f.latitude, Recording::latitude(i), 1e-6) << i;
        EXPECT_NEAR(f.longitude, Recording::longitude(i), 1e-6) << i;
        EXPECT_NEAR(f.speedKmh, 3.2 * 1.852, 1e-9);
        EXPECT_EQ(f.day, 11);
        if (rec.badGga.count(i))
            EXPECT_LT(f.altitude, -90000.0) << i;
        else if (rec.badRmc.count(i + 1))
            // Shown again at the RMC after the lost one, when its own GGA has
            // left the two slots: the altitude is then unknown.
            EXPECT_TRUE(f.altitude < -90000.0 || f.altitude == Recording::altitude(i)) << i;
        else
            EXPECT_DOUBLE_EQ(f.altitude, Recording::altitude(i)) << i;
        seenSeconds.insert(i);
    }
    // The main thread takes over whatever waits when it looks; with the
    // thread this far ahead it still sees most seconds.
    EXPECT_GT(seenSeconds.size(), static_cast<std::size_t>(seconds / 20));
}

TEST_F(GpsServiceTest, NmeaWrittenByGpsbabelGivesItsPositions)
{
    if (std::system("command -v gpsbabel >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "gpsbabel is not installed";
    const fs::path dir = fs::temp_directory_path() / ("veltrin-gpsbabel-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    struct Point {
        double lat, lon, ele;
    };
    const std::vector<Point> points = {
        {56.25, 37.5, 150.5}, {56.251, 37.502, 151.0}, {-33.875, -151.2125, -2.0}, {0.5, -0.25, 12.0}};
    {
        std::ofstream gpx(dir / "track.gpx");
        gpx << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
               "<trk><name>t</name><trkseg>\n";
        for (std::size_t i = 0; i < points.size(); ++i) {
            char line[256];
            std::snprintf(line, sizeof line,
                          "<trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.1f</ele><time>2026-12-11T10:00:%02zuZ</time>"
                          "<fix>3d</fix><sat>8</sat></trkpt>\n",
                          points[i].lat, points[i].lon, points[i].ele, i);
            gpx << line;
        }
        gpx << "</trkseg></trk></gpx>\n";
    }
    const std::string command = "gpsbabel -i gpx -f '" + (dir / "track.gpx").string() + "' -o nmea -F '" +
                                (dir / "out.nmea").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir / "out.nmea", std::ios::binary);
    std::stringstream nmeaText;
    nmeaText << in.rdbuf();
    fs::remove_all(dir);

    gps.openGpsPort();
    ASSERT_TRUE(gps.portOpen());
    startThread();
    // It writes RMC before GGA: each point is complete when the next RMC
    // comes, so the last point stays unpublished.
    std::vector<GpsFix> fixes;
    const std::string all = nmeaText.str();
    std::vector<std::size_t> rmcStarts;
    for (std::size_t p = all.find("$GPRMC"); p != std::string::npos; p = all.find("$GPRMC", p + 1))
        rmcStarts.push_back(p);
    ASSERT_EQ(rmcStarts.size(), points.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        // Up to the end of the next RMC, which completes point i.
        const std::size_t end = all.find('\n', rmcStarts[i + 1]) + 1;
        pty.write(all.substr(at, end - at));
        at = end;
        const double expectedTime = 10 * 3600 + static_cast<double>(i);
        ASSERT_TRUE(takeOverUntil([&] { return ownFix.timeOfDay == expectedTime; })) << lastText;
        fixes.push_back(ownFix);
    }
    ASSERT_EQ(fixes.size(), points.size() - 1);
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        EXPECT_NEAR(fixes[i].latitude, points[i].lat, 1e-5) << i;
        EXPECT_NEAR(fixes[i].longitude, points[i].lon, 1e-5) << i;
        EXPECT_NEAR(fixes[i].altitude, points[i].ele, 1e-6) << i;
        EXPECT_EQ(fixes[i].satellites, 8) << i;
        EXPECT_EQ(fixes[i].day, 11);
        EXPECT_EQ(fixes[i].month, 12);
        EXPECT_EQ(fixes[i].year, 26);
    }
}

}  // namespace
}  // namespace veltrin
