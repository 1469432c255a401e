// The communication settings dialog against the simulated drive: reopening at another baud
// rate, a silent drive, and the causes of a device that does not open.
#include "CommFixture.h"

#include "DlgCommSetting.h"
#include "DlgSysSet.h"
#include "DlgViewSetPage.h"
#include "LangText.h"
#include "TX/SeriesPort.h"

#include <QComboBox>
#include <QDir>
#include <QPixmap>
#include <QPushButton>

#include <cerrno>

namespace {

class CommSettingTest : public CommFixture
{
protected:
    // A dialog listing the simulated drive and the given extra devices, made as a window.
    std::unique_ptr<CDlgCommSetting> Open(std::vector<platform::SerialDevice> extra = {})
    {
        auto dlg = std::make_unique<CDlgCommSetting>();
        dlg->m_fnListDevices = [extra] { return extra; };
        dlg->Create(nullptr);
        dlg->show();
        return dlg;
    }
    static void Choose(QComboBox *box, const QString &text)
    {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
    }
    void Connect(CDlgCommSetting &dlg)
    {
        dlg.OnOpenPort();
        EXPECT_TRUE(dlg.IsBusy());
        EXPECT_FALSE(dlg.m_btnOpen->isEnabled());
        ASSERT_TRUE(WaitFor([&] { return !dlg.IsBusy(); }, 3500));
    }
};

TEST_F(CommSettingTest, ListsTheConfiguredDeviceAndSelectsTheStoredSettings)
{
    auto dlg = Open({{QStringLiteral("/dev/serial/by-id/usb-x"), QStringLiteral("usb-x (ttyUSB0)")}});
    ASSERT_EQ(dlg->m_cmbPort->count(), 2);
    EXPECT_EQ(dlg->m_cmbPort->currentData().toString(), SimPath());
    EXPECT_EQ(dlg->m_cmbBaud->currentText(), QStringLiteral("57600"));
    EXPECT_EQ(dlg->m_cmbProtocol->currentText(), QStringLiteral("8-N-2"));
    EXPECT_EQ(dlg->m_cmbBaud->count(), 7);
    EXPECT_EQ(dlg->m_cmbProtocol->count(), 4);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("通信设置"));  // from the language file
}

TEST_F(CommSettingTest, ReopensThePortAtANewBaudRateAndTheLinkComesBack)
{
    auto dlg = Open();
    Choose(dlg->m_cmbBaud, QStringLiteral("115200"));
    Choose(dlg->m_cmbProtocol, QStringLiteral("8-E-1"));
    m_sim.SetBaud(115200);
    Connect(*dlg);

    EXPECT_TRUE(m_sys->m_SeriesPort.m_bOpen);
    EXPECT_EQ(m_sys->m_SeriesPort.m_nBaud, 115200);
    EXPECT_EQ(m_sys->m_SeriesPort.m_nParity, 2);
    EXPECT_EQ(m_sys->m_SeriesPort.m_nStopBits, 0);
    EXPECT_EQ(m_sys->m_nComBaud, 115200);
    EXPECT_EQ(m_sys->m_strProtocol, QStringLiteral("8-E-1"));
    EXPECT_EQ(m_sys->m_strDevicePath, SimPath());
    EXPECT_TRUE(m_sys->m_bConnected);
    EXPECT_TRUE(m_flags.m_bOnline);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, LoadLangString(QStringLiteral("IDS_DlgCommSetting_4")));
    EXPECT_FALSE(dlg->isVisible());  // closed with OK
}

TEST_F(CommSettingTest, SilentDriveGivesTheNoAnswerMessageAndKeepsThePortOpen)
{
    SimDrive::Fault silence;
    silence.persistent = true;
    m_sim.InjectFault(silence);
    // Nothing answers: the check's twenty handshakes need not wait the full reply window.
    m_sys->m_ModbusRTU.SetReplyTimeouts(30, 60);
    m_flags.m_bOnline = TRUE;
    auto dlg = Open();
    Connect(*dlg);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, LoadLangString(QStringLiteral("IDS_DlgCommSetting_7")));
    EXPECT_EQ(boxes[0].caption, LoadLangString(QStringLiteral("IDS_DlgCommSetting_8")));
    EXPECT_FALSE(m_flags.m_bOnline);
    EXPECT_FALSE(m_sys->m_bConnected);
    EXPECT_TRUE(m_sys->m_SeriesPort.m_bOpen);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->m_btnOpen->isEnabled());
}

TEST_F(CommSettingTest, DevicesThatDoNotOpenSayWhyAndKeepTheDialogOpen)
{
    // Another holder of the simulated drive's device.
    CSeriesPort holder;
    const QString missing = QStringLiteral("/dev/serial/by-id/no-such-adapter");
    const struct
    {
        QString device;
        bool hold;
        const char *key;
    } cases[] = {
        {missing, false, "IDS_DlgCommSetting_11"},
        {SimPath(), true, "IDS_DlgCommSetting_9"},
    };
    for (const auto &c : cases) {
        m_ui->ClearCalls();
        m_sys->ClosePort();
        m_sys->m_strDevicePath = SimPath();
        if (c.hold) {
            ASSERT_TRUE(holder.Open(c.device, 57600, 0, 2));
        }
        m_sys->m_bConnected = TRUE;
        m_flags.m_bOnline = TRUE;
        auto dlg = Open({{missing, missing}});
        Choose(dlg->m_cmbPort, c.device);
        Connect(*dlg);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.key;
        EXPECT_EQ(boxes[0].text, FillLangPlaces(LoadLangString(QString::fromLatin1(c.key)), {c.device})) << c.key;
        EXPECT_TRUE(boxes[0].text.contains(c.device)) << c.key;
        EXPECT_EQ(boxes[0].caption, LoadLangString(QStringLiteral("IDS_DlgCommSetting_10")));
        EXPECT_FALSE(m_sys->m_bConnected) << c.key;
        EXPECT_FALSE(m_flags.m_bOnline) << c.key;
        EXPECT_FALSE(m_sys->m_SeriesPort.m_bOpen) << c.key;
        EXPECT_TRUE(dlg->isVisible()) << c.key;
        holder.Close();
    }
}

TEST_F(CommSettingTest, EachOpenFailureHasItsCause)
{
    const struct
    {
        DWORD error;
        int err;
        const char *key;
    } cases[] = {
        {CSeriesPort::kOpenNotFound, ENOENT, "IDS_DlgCommSetting_11"},
        {CSeriesPort::kOpenInUse, EBUSY, "IDS_DlgCommSetting_9"},
        {CSeriesPort::kOpenInUse, EWOULDBLOCK, "IDS_DlgCommSetting_9"},
        {CSeriesPort::kOpenInUse, EACCES, "IDS_DlgCommSetting_12"},
        {CSeriesPort::kOpenInUse, EPERM, "IDS_DlgCommSetting_12"},
        {CSeriesPort::kOpenSetupFailed, 0, "IDS_DlgCommSetting_13"},
        {CSeriesPort::kOpenOtherError, EIO, "IDS_DlgCommSetting_14"},
    };
    for (const auto &c : cases) {
        CDlgCommSetting::Outcome o;
        o.openError = c.error;
        o.openErrno = c.err;
        o.device = QStringLiteral("/dev/ttyUSB3");
        const auto [text, caption] = CDlgCommSetting::OpenFailureMessage(o);
        EXPECT_TRUE(text.startsWith(FillLangPlaces(LoadLangString(QString::fromLatin1(c.key)), {o.device})))
            << c.key << " " << text.toStdString();
    }
}

}

namespace {

// Pictures of the communication dialog listing the simulated drive's device and of the
// settings sheet, for a look by eye: written when KORVANE_SCREENSHOTS names a folder, never
// into whatever folder the suite was started from.
TEST_F(CommSettingTest, PicturesOfTheDialogAndTheSettingsSheet)
{
    const QString folder = qEnvironmentVariable("KORVANE_SCREENSHOTS");
    const auto picture = [&](QWidget &w, const char *name) {
        const QPixmap shot = w.grab();
        EXPECT_FALSE(shot.isNull()) << name;
        if (!folder.isEmpty()) {
            EXPECT_TRUE(shot.save(QDir(folder).absoluteFilePath(QString::fromLatin1(name)))) << name;
        }
    };
    auto dlg = std::make_unique<CDlgCommSetting>();
    dlg->Create(nullptr);
    dlg->show();
    QApplication::processEvents();
    EXPECT_EQ(dlg->m_cmbPort->currentData().toString(), SimPath());
    picture(*dlg, "comm_dialog.png");

    CDlgSysSet sheet;
    sheet.m_pageView->m_clrFont = RGB(0, 0, 128);
    sheet.m_pageView->m_clrTable1 = RGB(230, 240, 255);
    sheet.m_pageView->m_clrTable2 = RGB(255, 255, 255);
    sheet.Create(nullptr);
    sheet.show();
    QApplication::processEvents();
    picture(sheet, "settings_sheet.png");
}

}
