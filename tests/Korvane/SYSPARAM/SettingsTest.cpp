#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

using SettingsTest = SysParamFixture;

TEST_F(SettingsTest, MissingConfigGivesDefaults)
{
    CSysParam sys(m_dbPath);
    ASSERT_TRUE(sys.Init());
    EXPECT_EQ(sys.m_nComNum, 1);
    EXPECT_EQ(sys.m_nComBaud, 57600);
    EXPECT_EQ(sys.m_strProtocol, "8-N-2");
    EXPECT_EQ(CSysParam::ParityOfProtocol(sys.m_strProtocol), 0);
    EXPECT_EQ(CSysParam::StopBitsOfProtocol(sys.m_strProtocol), 2);
    EXPECT_EQ(sys.m_byStation.load(), 250);
    EXPECT_EQ(sys.m_strRecipePath, QDir::homePath());
    EXPECT_TRUE(QFileInfo(sys.m_strRecipePath).isDir()) << "the recipe folder is one that exists";
    EXPECT_EQ(sys.m_ProjectDatabase.m_nProductID, 1);
    EXPECT_EQ(sys.m_strLoginUser, "qorvi");
    EXPECT_EQ(sys.m_strLoginPsw, "qorvi");
    EXPECT_EQ(sys.m_nClose1s, 0);
    EXPECT_EQ(sys.m_bEngineer, FALSE);
    EXPECT_EQ(sys.GetDevicePath(), "/dev/ttyS0");
    EXPECT_EQ(sys.m_strConfigFile, ConfigIni());
    // The drive's default parameters are all within their ranges: no message.
    EXPECT_TRUE(m_ui->Calls().empty());
    EXPECT_NE(sys.FindActiveAxis(1), nullptr);
}

TEST_F(SettingsTest, SettingsSurviveSaveAndLoad)
{
    WriteFile(ConfigIni(), "[SerialPort]\nModAddr=5\n[StatusDataComb]\nKeep=this\n");
    {
        CSysParam sys(m_dbPath);
        ASSERT_TRUE(sys.Init());
        EXPECT_EQ(sys.m_byStation.load(), 250) << "ModAddr is never read back";
        sys.m_nComNum = 3;
        sys.m_nComBaud = 115200;
        sys.m_strProtocol = "8-E-1";
        sys.m_strRecipePath = "/home/user/recipes";
        sys.m_strLoginUser = "工程师";
        sys.m_strLoginPsw = "pw";
        sys.m_nClose1s = 1;
        sys.m_bEngineer = TRUE;
        sys.m_strDevicePath = "/dev/ttyUSB0";
    }  // the initialised instance saves on destruction
    IniFile ini(ConfigIni());
    EXPECT_EQ(ini.Read("SerialPort", "ModAddr"), "250");
    EXPECT_EQ(ini.Read("SerialPort", "ComNum"), "3");
    EXPECT_EQ(ini.Read("SerialPort", "DevicePath"), "/dev/ttyUSB0");
    EXPECT_EQ(ini.Read("StatusDataComb", "Keep"), "this");

    CSysParam again(m_dbPath);
    ASSERT_TRUE(again.Init());
    EXPECT_EQ(again.m_nComNum, 3);
    EXPECT_EQ(again.m_nComBaud, 115200);
    EXPECT_EQ(again.m_strProtocol, "8-E-1");
    EXPECT_EQ(again.m_strRecipePath, "/home/user/recipes");
    EXPECT_EQ(again.m_strLoginUser, "工程师");
    EXPECT_EQ(again.m_strLoginPsw, "pw");
    EXPECT_EQ(again.m_nClose1s, 1);
    EXPECT_EQ(again.m_bEngineer, TRUE);
    EXPECT_EQ(again.GetDevicePath(), "/dev/ttyUSB0");
}

// The keys reach a new config.ini section by section in the order they are written.
TEST_F(SettingsTest, SaveWritesItsKeysInOrder)
{
    {
        CSysParam sys(m_dbPath);
        ASSERT_TRUE(sys.Init());
        sys.SaveSettings();
    }
    QStringList order;
    for (const QByteArray &raw : ReadFile(ConfigIni()).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.isEmpty())
            order << line.section(u'=', 0, 0);
    }
    EXPECT_EQ(order, QStringList({"[SerialPort]", "ComNum", "ComBaud", "ModAddr", "Protocol", "[Path]", "RecipePath",
                                  "[UserManage]", "LoginUser", "LoginPsw", "[LastState]", "LastProductID",
                                  "bEngineer", "[Dialog]", "Close1s"}));
}

TEST_F(SettingsTest, UninitialisedInstanceWritesNothing)
{
    WriteFile(ConfigIni(), "[SerialPort]\nComBaud=9600\n");
    WriteFile(CustomXml(), "<CustomParam><GroupCount>0</GroupCount><ParamCount>0</ParamCount></CustomParam>");
    const QByteArray config = ReadFile(ConfigIni());
    const QByteArray groups = ReadFile(CustomXml());
    {
        CSysParam second(m_dbPath);
        EXPECT_FALSE(second.m_SeriesPort.m_bOpen);
        second.SaveSettings();
        second.SaveClose1s();
    }
    EXPECT_EQ(ReadFile(ConfigIni()), config);
    EXPECT_EQ(ReadFile(CustomXml()), groups);
}

TEST_F(SettingsTest, ProtocolTextSelectsParityAndStopBits)
{
    struct Case {
        const char *protocol;
        int parity;
        int stopBits;
    } cases[] = {
        {"8-N-2", 0, 2}, {"8-E-1", 2, 0}, {"8-O-1", 1, 0}, {"8-X-2", 0, 2},
        {"8-E-2", 2, 2}, {"8-N-1.5", 0, 0}, {"", 0, 2},    {"8-O", 1, 2},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CSysParam::ParityOfProtocol(c.protocol), c.parity) << c.protocol;
        EXPECT_EQ(CSysParam::StopBitsOfProtocol(c.protocol), c.stopBits) << c.protocol;
    }
}

TEST_F(SettingsTest, DevicePathPrecedence)
{
    CSysParam sys(m_dbPath);
    sys.m_nComNum = 3;
    EXPECT_EQ(sys.GetDevicePath(), "/dev/ttyS2");
    sys.m_strDevicePath = "/dev/ttyUSB1";
    EXPECT_EQ(sys.GetDevicePath(), "/dev/ttyUSB1");
    qputenv("KORVANE_DEVICE", "/tmp/sim-tty");
    EXPECT_EQ(sys.GetDevicePath(), "/tmp/sim-tty");
    qunsetenv("KORVANE_DEVICE");
}

TEST_F(SettingsTest, EnvironmentDeviceIsNotSavedToConfig)
{
    qputenv("KORVANE_DEVICE", "/tmp/sim-tty");
    {
        CSysParam sys(m_dbPath);
        ASSERT_TRUE(sys.Init());
    }
    qunsetenv("KORVANE_DEVICE");
    EXPECT_FALSE(IniFile(ConfigIni()).HasKey("SerialPort", "DevicePath"));
}

TEST_F(SettingsTest, MissingDefaultDatabaseStopsInitWithMessage)
{
    ASSERT_TRUE(QFile::remove(m_dbPath));
    CSysParam sys(m_dbPath);
    EXPECT_FALSE(sys.Init());
    const auto calls = m_ui->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, LoadLangString("IDS_SysParam_1"));
    EXPECT_EQ(calls[0].caption, LoadLangString("IDS_SysParam_2"));
}

TEST_F(SettingsTest, PortThatCannotOpenLeavesStartUpGoing)
{
    WriteFile(ConfigIni(), "[SerialPort]\nDevicePath=/dev/korvane-no-such-device\n");
    CSysParam sys(m_dbPath);
    EXPECT_TRUE(sys.Init());
    EXPECT_FALSE(sys.m_SeriesPort.m_bOpen);
    EXPECT_FALSE(sys.m_bConnected);
}

}
