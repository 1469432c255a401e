// The device information page against the simulated drive: identity and versions, a version
// that cannot be read, and the manual.
#include "DrivePageFixture.h"

#include "Wnds/auxFunction/DlgDeviceInfo.h"

#include <QDir>
#include <QLineEdit>

namespace {

class DeviceInfoTest : public DrivePageFixture
{
protected:
    void DestroyPages() override { m_page.reset(); }
    CDlgDeviceInfo &Open()
    {
        m_page = std::make_unique<CDlgDeviceInfo>();
        m_page->Create(nullptr);
        return *m_page;
    }
    std::unique_ptr<CDlgDeviceInfo> m_page;
};

TEST_F(DeviceInfoTest, ConnectedShowsIdentityAndVersionsAndAFailedVersionAsDashes)
{
    m_sim.SetRegister(0x9105, 0x0203);
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    f.address = 0x9106;
    m_sim.InjectFault(f);
    CDlgDeviceInfo &page = Open();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && page.Edit(5)->text() == "0000"; }));
    const char *expected[] = {"DRV1", "12345600789abc", "0101", "0203", "----", "0000"};
    for (int i = 0; i < CDlgDeviceInfo::kFieldCount; ++i)
        EXPECT_EQ(page.Edit(i)->text(), QString::fromUtf8(expected[i])) << i;
    EXPECT_TRUE(m_ui->Calls().empty());
}

TEST_F(DeviceInfoTest, OfflineLeavesTheFieldsEmptyAndLooksForTheInitialModelsManual)
{
    GoOffline();
    CDlgDeviceInfo &page = Open();
    Pump();
    for (int i = 0; i < CDlgDeviceInfo::kFieldCount; ++i)
        EXPECT_TRUE(page.Edit(i)->text().isEmpty()) << i;
    EXPECT_TRUE(m_sim.Requests().empty());
    EXPECT_TRUE(CDlgDeviceInfo::ManualPath(page.FieldText(0)).endsWith("CommonRes/DeviceInfoRes/Vom 204718.pdf"));
    page.OpenDeviceManual();
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], QString::fromUtf8("文件名无效!"));
}

TEST_F(DeviceInfoTest, ManualOfTheConnectedModelOpensOrSaysNoViewer)
{
    CDlgDeviceInfo &page = Open();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }));
    const QString manual = m_tmp.filePath("CommonRes/DeviceInfoRes/DRV1.pdf");
    WriteFile(manual, "%PDF-1.4\n");
    page.OpenDeviceManual();
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].kind, platform::ScriptedUiServices::Kind::ShellOpen);
    EXPECT_EQ(QDir::cleanPath(m_ui->Calls()[0].text), QDir::cleanPath(manual));

    m_ui->ClearCalls();
    m_ui->SetShellOpenResult(false);
    page.OpenDeviceManual();
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], QString::fromUtf8("没有相关联的应用程序!"));
}

}
