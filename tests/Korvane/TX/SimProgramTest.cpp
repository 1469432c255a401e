#include "LinkTestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <thread>

namespace {

bool WaitForFile(const QString &path)
{
    for (int i = 0; i < 200; ++i) {
        if (QFileInfo::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}

TEST(SimProgram, ServesTheDriveBehindAStableLinkUntilStopped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath("sim-tty");
    QProcess sim;
    sim.start(KORVANE_SIM_EXE, {"--link", link, "--baud", "9600"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString printed = QString::fromUtf8(sim.readLine()).trimmed();
    EXPECT_TRUE(printed.startsWith("/dev/pts/")) << printed.toStdString();
    ASSERT_TRUE(WaitForFile(link));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), printed);

    {
        CSeriesPort port;
        ASSERT_TRUE(port.Open(link.toStdString(), 9600, 0, 2)) << port.m_dwLastError;
        CModbusRTU rtu;
        int value = 0;
        EXPECT_TRUE(rtu.ReadRegister(0x9104, &port, 0xFA, &value));
        EXPECT_EQ(value, 0x0101);
        // 137 bytes at 9600 baud take about 157 ms on the line.
        const auto start = std::chrono::steady_clock::now();
        BYTE block[128];
        EXPECT_TRUE(rtu.ReadBlock(0, &port, 0xFA, block)) << std::hex << rtu.m_dwLastError;
        const double ms = MillisSince(start);
        EXPECT_GE(ms, 140);
        EXPECT_LT(ms, 10 * 157);
    }

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(SimProgram, RefusesUnknownArguments)
{
    for (const QStringList &args : {QStringList{"--bogus"}, QStringList{"--baud", "fast"}, QStringList{"--link"},
                                    QStringList{"--late", "300"}, QStringList{"--late", "300-100"},
                                    QStringList{"--late", "0-300/x"}}) {
        QProcess sim;
        sim.start(KORVANE_SIM_EXE, args);
        ASSERT_TRUE(sim.waitForFinished(5000));
        EXPECT_EQ(sim.exitCode(), 2) << args.join(' ').toStdString();
    }
}

TEST(SimProgram, AnswersLateWhenAsked)
{
    QProcess sim;
    sim.start(KORVANE_SIM_EXE, {"--late", "150-150"});
    ASSERT_TRUE(sim.waitForStarted(5000));
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const QString printed = QString::fromUtf8(sim.readLine()).trimmed();
    {
        CSeriesPort port;
        ASSERT_TRUE(port.Open(printed.toStdString(), 57600, 0, 2)) << port.m_dwLastError;
        CModbusRTU rtu;
        rtu.SetReplyTimeouts(1000, 1000);
        int value = 0;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(rtu.ReadRegister(0x9104, &port, 0xFA, &value));
        EXPECT_GE(MillisSince(start), 150);
        EXPECT_EQ(value, 0x0101);
    }
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
}
