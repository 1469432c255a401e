// The new-project wizard on the default database: the pages, the device list and its numbers,
// the checks of "完成" in their order, and the project the frame creates from its record.
#include "Korvane/SYSPARAM/SysParamFixture.h"

#include "DlgNew.h"
#include "SYSPARAM/SysParam.h"
#include "grid/DlgBCGGrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

class DlgNewTest : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        ASSERT_TRUE(m_sys->Init());
        m_sys->m_strDevicePath = QStringLiteral("/dev/pts/77");
        SetSysParam(m_sys.get());
        m_ui->ClearCalls();
    }
    void TearDown() override
    {
        SetSysParam(nullptr);
        m_sys.reset();
        SysParamFixture::TearDown();
    }
    // Runs the wizard; `act` plays the user on it.
    int Run(CDlgNew &dlg, const std::function<void(CDlgNew &)> &act)
    {
        dlg.m_fnListDevices = [] {
            return std::vector<platform::SerialDevice>{{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("usb (ttyUSB0)")}};
        };
        QTimer::singleShot(0, &dlg, [&dlg, act] {
            act(dlg);
            if (dlg.isVisible())
                dlg.EndDialog(IDCANCEL);
        });
        return dlg.DoModal();
    }
    static void Add(CDlgNew &d, const char *station)
    {
        d.m_editStation->setText(QString::fromLatin1(station));
        d.m_btnAdd->click();
    }
    static std::vector<int> Ids(const CDlgNew &d)
    {
        std::vector<int> ids;
        for (const CDBDataDeviceList &dev : d.m_record.info.m_arrDeviceList)
            ids.push_back(dev.nDeviceID);
        return ids;
    }
    static QStringList RowIds(const CDlgNew &d)
    {
        QStringList ids;
        for (const auto &[key, row] : d.m_mapDeviceRows)
            ids << row.at(QStringLiteral("XML_NEW_DLG_SECOND_DEVICE_ID")).m_strValue;
        return ids;
    }
    QStringList BoxTexts() const
    {
        QStringList texts;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox)
                texts << c.text;
        return texts;
    }

    std::unique_ptr<CSysParam> m_sys;
};

TEST_F(DlgNewTest, FirstPageOffersTheSettingsTheProductsAndThePorts)
{
    CDlgNew dlg;
    Run(dlg, [](CDlgNew &d) {
        EXPECT_EQ(d.m_nPage, 0);
        EXPECT_EQ(d.m_listMode->currentRow(), 1);
        EXPECT_TRUE(d.m_btnPage->isVisible());
        EXPECT_FALSE(d.m_btnFinish->isVisible());
        EXPECT_FALSE(d.m_pDeviceGrid->isVisible());
        ASSERT_EQ(d.m_cmbComm[1]->count(), 2);  // the listed device, then the configured one
        EXPECT_EQ(d.m_cmbComm[1]->currentData().toString(), QStringLiteral("/dev/pts/77"));
        EXPECT_EQ(d.m_cmbComm[2]->currentText(), QStringLiteral("57600"));
        EXPECT_EQ(d.m_cmbComm[3]->currentText(), QStringLiteral("8"));
        EXPECT_EQ(d.m_cmbComm[4]->currentText(), QStringLiteral("N"));
        EXPECT_EQ(d.m_cmbComm[5]->currentText(), QStringLiteral("2"));
        ASSERT_EQ(d.m_arrProductModels.size(), 1u);
        EXPECT_EQ(d.m_arrProductModels[0], QStringLiteral("DRV1"));
        EXPECT_TRUE(d.m_editName->text().startsWith(QStringLiteral("NewProjects")));
        EXPECT_TRUE(d.m_editFolder->text().endsWith(QStringLiteral("/UserDir")));
        // The page-1 layout at 927 x 525.
        EXPECT_EQ(d.size(), QSize(927, 525));
        EXPECT_EQ(d.m_listMode->geometry(), QRect(0, 0, 163, 485));
        EXPECT_EQ(d.m_cmbComm[2]->geometry(), QRect(713 + 85, 55, 100, 25));
        EXPECT_EQ(d.m_btnPage->geometry(), QRect(927 / 2 - 105, 495, 100, 25));

        // Online is greyed and cannot be picked; were it current, it could not go on.
        ASSERT_NE(d.m_listMode->item(0), nullptr);
        EXPECT_FALSE(d.m_listMode->item(0)->flags() & Qt::ItemIsEnabled);
        EXPECT_FALSE(d.m_listMode->item(0)->flags() & Qt::ItemIsSelectable);
        EXPECT_TRUE(d.m_listMode->item(1)->flags() & Qt::ItemIsEnabled);
        d.m_listMode->setCurrentRow(0);
        EXPECT_EQ(d.m_nMode, 0);
        EXPECT_FALSE(d.m_btnPage->isVisible());
        d.m_listMode->setCurrentRow(1);
        EXPECT_TRUE(d.m_btnPage->isVisible());
    });
}

TEST_F(DlgNewTest, DemoInAMissingFolderBecomesItsProjectFile)
{
    CDlgNew dlg;
    const QString folder = m_tmp.filePath("P");
    EXPECT_EQ(Run(dlg,
                  [&](CDlgNew &d) {
                      d.m_btnPage->click();
                      EXPECT_EQ(d.m_nPage, 1);
                      EXPECT_TRUE(d.m_btnFinish->isVisible());
                      EXPECT_FALSE(d.m_listMode->isVisible());
                      EXPECT_EQ(d.m_cmbObjectType->currentText(), QStringLiteral("DRV1"));
                      EXPECT_EQ(d.m_btnAdd->geometry(), QRect(185, 184 - 17, 50, 25));  // h1 369, m 184
                      Add(d, "3");
                      d.m_editName->setText(QStringLiteral("Demo"));
                      d.m_editFolder->setText(folder);
                      d.m_btnFinish->click();
                  }),
              IDOK);
    EXPECT_TRUE(BoxTexts().isEmpty()) << BoxTexts().join('|').toStdString();
    const CNewProjectInfo &info = dlg.m_record.info;
    EXPECT_EQ(info.m_strFilePath, folder + QStringLiteral("/Demo.KVF"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(info.sProductModel, QStringLiteral("DRV1"));
    EXPECT_EQ(info.nBaud, 57600);
    EXPECT_EQ(info.sParity, QStringLiteral("N"));
    ASSERT_EQ(info.m_arrDeviceList.size(), 1);
    EXPECT_EQ(info.m_arrDeviceList[0].nDeviceID, 1);
    EXPECT_EQ(info.m_arrDeviceList[0].nStationNo, 3);
    EXPECT_EQ(info.m_arrDeviceList[0].nProductID, 1);
    EXPECT_EQ(info.m_arrDeviceList[0].sDeviceName, QStringLiteral("DRV1"));
    // What the frame then does with the record.
    ASSERT_TRUE(m_sys->m_ProjectDatabase.NewProject(info));
    EXPECT_TRUE(QFileInfo::exists(info.m_strFilePath));
}

TEST_F(DlgNewTest, DeviceNumbersStayUniqueThroughRemovals)
{
    CDlgNew dlg;
    Run(dlg, [&](CDlgNew &d) {
        d.m_btnPage->click();
        Add(d, "1");
        Add(d, "2");
        Add(d, "3");
        Add(d, "2");  // same station, type and version
        EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("重复数据")});
        EXPECT_EQ(Ids(d), (std::vector<int>{1, 2, 3}));
        ASSERT_TRUE(d.m_pDeviceGrid->SelectRow(1));
        d.m_btnRemove->click();
        EXPECT_EQ(Ids(d), (std::vector<int>{1, 3}));
        EXPECT_EQ(RowIds(d), (QStringList{"1", "3"}));
        Add(d, "4");
        EXPECT_EQ(Ids(d), (std::vector<int>{1, 3, 4}));
        EXPECT_EQ(RowIds(d), (QStringList{"1", "3", "4"}));
        EXPECT_EQ(d.m_pDeviceGrid->GetGrid()->GetRowCount(), 3);
        // "<<" takes out the selected number only, also when it is the last one added.
        ASSERT_TRUE(d.m_pDeviceGrid->SelectRow(2));
        d.m_btnRemove->click();
        EXPECT_EQ(Ids(d), (std::vector<int>{1, 3}));
        // Nothing typed: nothing added.
        d.m_editStation->clear();
        d.m_btnAdd->click();
        EXPECT_EQ(Ids(d).size(), 2u);
    });
}

TEST_F(DlgNewTest, FinishChecksDevicesFolderNameThenAsksBeforeOverwriting)
{
    const QString folder = m_tmp.filePath("Q");
    ASSERT_TRUE(QDir().mkpath(folder));
    WriteFile(folder + "/Old.KVF", "x");
    CDlgNew dlg;
    for (int answer : {IDOK, IDOK, IDOK, IDNO})
        m_ui->PushAnswer(answer);
    EXPECT_EQ(Run(dlg,
                  [&](CDlgNew &d) {
                      d.m_btnPage->click();
                      d.m_btnFinish->click();
                      Add(d, "1");
                      d.m_editFolder->clear();
                      d.m_btnFinish->click();
                      d.m_editFolder->setText(folder);
                      d.m_editName->clear();
                      d.m_btnFinish->click();
                      d.m_editName->setText(QStringLiteral("Old"));
                      d.m_btnFinish->click();  // No: stays
                      EXPECT_TRUE(d.isVisible());
                      d.m_btnFinish->click();  // the next answer is Yes
                  }),
              IDOK);
    EXPECT_EQ(BoxTexts(), (QStringList{QStringLiteral("请先添加设备对象！"), QStringLiteral("文件路径不能为空！"),
                                       QStringLiteral("文件名不能为空！"), QStringLiteral("文件已存在是否覆盖?"),
                                       QStringLiteral("文件已存在是否覆盖?")}));
    EXPECT_EQ(dlg.m_record.info.m_strFilePath, folder + QStringLiteral("/Old.KVF"));
}

}
