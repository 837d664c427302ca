// GPS input: sentence parsing as tables, the logger reading a real pseudo-terminal pair fed by a GPS
// simulator, and $GPRMC datagrams on 127.0.0.1 naming exactly one recording file.
#include "RemoteRig.h"
#include "TempFolder.h"
#include "remote/GpsLogger.h"
#include "support/ByteFiles.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSignalInput.h"
#include "ui/Application.h"

#include <QProcess>
#include <QSerialPort>
#include <QTimer>

#include <filesystem>

namespace ondrix {
namespace {

const std::string kRmc = "$GPRMC,123519,A,4530.1234,N,00912.3456,E,022.4,084.4,230394,003.1,W*6A";

TEST(GpsSentences, LinesFieldsPortsAndSettings) {
    const std::string flood(100000, 'x');
    const struct {
        std::vector<std::string> feeds;
        std::vector<std::string> lines;
    } streams[] = {
        {{kRmc + "\r\n"}, {kRmc}},
        {{"a\nb\rc\r\n\r\n", "d"}, {"a", "b", "c"}},
        {{"$GP", "RMC\r", "\nx\n"}, {"$GPRMC", "x"}},
        {{flood, "\r\n" + kRmc + "\r\n"}, {kRmc}},
    };
    for (const auto& s : streams) {
        SCOPED_TRACE(s.feeds.front().substr(0, 20));
        NmeaLineReader reader;
        std::vector<std::string> lines;
        for (const std::string& feed : s.feeds) {
            for (std::size_t at = 0; at < feed.size(); at += 1000) {
                reader.Feed(std::string_view(feed).substr(at, 1000),
                            [&](const std::string& line) { lines.push_back(line); });
                EXPECT_LE(reader.Buffered(), NmeaLineReader::kMaxLine);
            }
        }
        EXPECT_EQ(lines, s.lines);
    }

    EXPECT_EQ(DecodeString(kRmc, 4, 6).latitude, "45 30.1234");
    EXPECT_EQ(DecodeString(kRmc, 4, 6).longitude, "009 12.3456");
    EXPECT_EQ(DecodeString("$GPRMC,1", 4, 6).latitude, "");
    EXPECT_EQ(UdpPositionText(kRmc, "_"), "4530.1234N_00912.3456E");
    EXPECT_EQ(UdpPositionText("$GPGGA,123519,4807.038,N,01131.000,E", "_"), "_");
    EXPECT_EQ(SerialPortName("1"), "/dev/ttyS0");
    EXPECT_EQ(SerialPortName("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(ParseSerialSettings("9600,e,7,2"), (SerialSettings{9600, 'E', 7, 2}));
    for (const char* bad : {"4800,X,8,1", "4800,N,8", "0,N,8,1", "4800,N,9,1", "4800,N,8,1,1"}) {
        EXPECT_FALSE(ParseSerialSettings(bad)) << bad;
    }
}

// A pseudo-terminal pair: the logger reads one end, the simulator writes the other at 4800 baud.
class GpsLoggerTest : public ::testing::Test {
protected:
    GpsLoggerTest() {
        EnsureApplication();
        socat.start("socat", {"pty,raw,echo=0,link=" + QString::fromStdString(device),
                              "pty,raw,echo=0,link=" + QString::fromStdString(folder.Path() + "sim")});
        EXPECT_TRUE(ProcessUntil([&] {
            return std::filesystem::exists(device) && std::filesystem::exists(folder.Path() + "sim");
        }));
        simulator.setPortName(QString::fromStdString(folder.Path() + "sim"));
        EXPECT_TRUE(simulator.open(QIODevice::WriteOnly));
        simulator.setBaudRate(4800);
        options.SetText("ComPort", device);
        options.SetText("LogName", log);
    }
    ~GpsLoggerTest() override {
        simulator.close();
        socat.kill();
        socat.waitForFinished();
    }
    // Writes while the logger reads, so a full terminal buffer never stalls the simulator.
    void Send(const std::string& text) {
        simulator.write(text.data(), static_cast<qint64>(text.size()));
        EXPECT_TRUE(ProcessUntil([&] { return simulator.bytesToWrite() == 0; }));
    }

    TempFolder folder;
    std::string device = folder.Path() + "gps";
    std::string log = folder.Path() + "gps.log";
    QProcess socat;
    QSerialPort simulator;
    SettingsModel settings;
    ControlModel& options = settings.Options2();
    ScriptedInteraction dialogs;
    GpsLogger logger{options, dialogs, folder.Path()};
};

TEST_F(GpsLoggerTest, ShowsAndLogsAcceptedLinesSurvivesAFloodAndStopsAfterOneShot) {
    options.Click("LogToFile");
    options.Click("StartGPS");
    ASSERT_TRUE(logger.Running());
    EXPECT_EQ(options.Text("GpsString"), "waiting for <$GPRMC> & LineFeed character");
    Send("$GPGGA,1,2\r\n" + kRmc + "\r\n$GPRMC,2\n");
    ASSERT_TRUE(ProcessUntil([&] { return logger.LastLine() == "$GPRMC,2"; }));
    EXPECT_EQ(ReadFile(log), kRmc + "\r\n$GPRMC,2\r\n");

    // A wrong baud rate: no line feed ever. The buffer stays capped and the next line is read.
    for (int k = 0; k < 100; ++k) {
        Send(std::string(1000, 'x'));
        EXPECT_LE(logger.Buffered(), NmeaLineReader::kMaxLine);
    }
    Send("\r\n" + kRmc + "\r\n");
    ASSERT_TRUE(ProcessUntil([&] { return logger.LastLine() == kRmc; }));
    EXPECT_EQ(options.Text("GpsString"), kRmc);
    EXPECT_EQ(logger.Position().latitude, "45 30.1234");
    options.Click("StopGPS");
    EXPECT_FALSE(logger.Running());

    options.Click("SingleShot");
    options.SetText("LeadChar", "$");
    options.Click("StartGPS");
    Send("$GPGSV,3\r\n$GPRMC,4\r\n");
    ASSERT_TRUE(ProcessUntil([&] { return !logger.Running(); }));
    EXPECT_EQ(logger.LastLine(), "$GPGSV,3");

    // Shot: one line in a message, not logged.
    options.Click("Command10");
    Send("$GPRMC,5\r\n");
    ASSERT_TRUE(ProcessUntil([&] { return !logger.Running(); }));
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(dialogs.messages[0].text, "$GPRMC,5");
    EXPECT_EQ(ReadFile(log), kRmc + "\r\n$GPRMC,2\r\n" + kRmc + "\r\n$GPGSV,3\r\n");

    options.SetText("ComPort", folder.Path() + "none");
    options.Click("StartGPS");
    EXPECT_FALSE(logger.Running());
    ASSERT_EQ(dialogs.messages.size(), 2U);
    EXPECT_TRUE(dialogs.messages[1].text.starts_with("Cannot open " + folder.Path() + "none: "))
        << dialogs.messages[1].text;
}

// Files of the folder made since the last call.
std::vector<std::string> NewWavFiles(const std::string& folder, std::vector<std::string>& seen) {
    std::vector<std::string> fresh;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".wav" && std::ranges::find(seen, name) == seen.end()) {
            fresh.push_back(name);
            seen.push_back(name);
        }
    }
    return fresh;
}

TEST(GpsPositionTest, ADatagramPositionNamesOneRecording) {
    Controller gps;
    TempFolder home;
    ScriptedInteraction dialogs;
    Application app({.home = home.Path(), .screenWidth = 1280, .interaction = &dialogs});
    ControlModel& form = app.Settings().Form1();
    ControlModel& options = app.Settings().Options0();
    ASSERT_TRUE(ChooseTestSignal(form));
    options.SetText("FileRecPathField", home.Path());
    const int port = FreePort();
    options.SetText("LocalPort1", std::to_string(port));
    options.Click("AddUDP");
    gps.Send(port, kRmc);
    ASSERT_TRUE(ProcessUntil([&] { return form.Text("UDPTXT") == "4530.1234N_00912.3456E"; }));
    EXPECT_EQ(options.Text("Text1"), kRmc);

    app.Menus().Trigger("RealTimeRecording");
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (app.Tasks().Running() && app.LastRunStatus().blocks >= 2) {
            form.Click("StartStop");
        }
    });
    stopper.start(10);
    std::vector<std::string> seen;
    std::vector<std::vector<std::string>> runs;
    for (int run = 0; run < 2; ++run) {
        form.Click("StartStop");
        ASSERT_TRUE(ProcessUntil([&] { return !app.Tasks().Running(); }));
        runs.push_back(NewWavFiles(home.Path(), seen));
    }
    ASSERT_EQ(runs[0].size(), 1U);
    ASSERT_EQ(runs[1].size(), 1U);
    EXPECT_NE(runs[0][0].find("_4530.1234N_00912.3456E"), std::string::npos) << runs[0][0];
    EXPECT_EQ(runs[1][0].find("4530"), std::string::npos) << runs[1][0];
    EXPECT_EQ(form.Text("UDPTXT"), "");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
}

} // namespace
} // namespace ondrix
