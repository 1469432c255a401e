// The parameter page's comparison on the simulated drive: against the defaults, the drive and
// a recipe file, and the references it cannot get.
#include "ParamsFixture.h"

#include "Wnds/Params/DlgParamCompareSelect.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

class ParamCompareTest : public ParamsFixture
{
protected:
    // Presses the comparison button and answers the source dialog (choice -1: cancel).
    void StartCompare(int choice, const QString &file = QString())
    {
        QTimer::singleShot(0, [choice, file] {
            auto *dlg = qobject_cast<CDlgParamCompareSelect *>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            if (choice < 0) {
                dlg->m_btnCancel->click();
                return;
            }
            dlg->m_radio[choice]->click();
            dlg->m_editPath->setText(file);
            dlg->m_btnOk->click();
        });
        Button()->click();
    }
    QPushButton *Button() { return m_page->CommandButton(CDlgParams::IDC_COMPARE); }
    QStringList ShownCodes()
    {
        QStringList codes;
        CGridRowDataMap rows;
        m_page->Grid()->GetRowDataMap(rows);
        for (const auto &[key, row] : rows)
            codes << row.at("IDS_ParaView_1").m_strValue;
        return codes;
    }
    int RowCount() { return m_page->Grid()->GetGrid()->GetRowCount(); }
    void ExpectOff()
    {
        EXPECT_FALSE(m_page->m_bCompareMode);
        EXPECT_FALSE(Button()->isChecked());
        EXPECT_EQ(Button()->text(), QString::fromUtf8("参数比对"));
        EXPECT_TRUE(m_page->m_mapDriveValue.empty());
        EXPECT_TRUE(m_page->m_mapRecipeValue.empty());
        EXPECT_TRUE(m_page->CommandButton(CDlgParams::IDC_READ_ALL)->isEnabled());
    }
};

TEST_F(ParamCompareTest, DefaultsShowOnlyTheChangedRowsUntilSwitchedOff)
{
    CDlgParams &page = Page();
    const int all = RowCount();
    for (CDBDataParameter &p : *CDlgParams::ActiveParams())
        p.iCurValue = p.iDefaultValue;
    StartCompare(0);
    EXPECT_TRUE(page.m_bCompareMode);
    EXPECT_EQ(Button()->text(), QString::fromUtf8("结束参数比对"));
    EXPECT_FALSE(page.CommandButton(CDlgParams::IDC_RECIPE_LOAD)->isEnabled());
    EXPECT_TRUE(Button()->isEnabled());
    EXPECT_EQ(RowCount(), 0);

    Record("P0107")->iCurValue = 0;
    page.RunCompare();
    EXPECT_EQ(ShownCodes(), QStringList{"P0107"});
    EXPECT_EQ(CellText("P0107", "IDS_ParaView_9"), QString::fromUtf8("伺服使能"));  // default 1, as text

    Button()->click();
    ExpectOff();
    EXPECT_EQ(RowCount(), all);
}

TEST_F(ParamCompareTest, DriveShowsExactlyTheRegisterChangedInTheDrive)
{
    CDlgParams &page = Page();
    // The workspace holds what the drive holds, but for two registers changed in the drive.
    for (CDBDataParameter &p : *CDlgParams::ActiveParams()) {
        if (p.dwWidth == 32)
            p.iCurValue = std::int32_t(m_sim.GetRegister32(std::uint16_t(p.dwAddress)));
        else
            p.iCurValue = p.bSign ? std::int16_t(m_sim.GetRegister(std::uint16_t(p.dwAddress)))
                                  : m_sim.GetRegister(std::uint16_t(p.dwAddress));
    }
    // Registers that move by themselves are left out of the view.
    m_sim.SetRegister(0x0608, 2500);
    m_sim.SetRegister(0x0107, 3);
    StartCompare(1);
    ASSERT_TRUE(WaitFor([&] { return !page.IsTransferRunning() && !page.m_mapDriveValue.empty(); }));
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QStringList shown = ShownCodes();
    shown.removeIf([](const QString &c) { return c.startsWith("P09"); });
    EXPECT_EQ(shown, (QStringList{"P0107", "P0608"}));
    EXPECT_EQ(CellText("P0608", "IDS_ParaView_9"), QStringLiteral("2500"));
    EXPECT_EQ(CellText("P0107", "IDS_ParaView_9"), QString::fromUtf8("正向超程"));
}

TEST_F(ParamCompareTest, AReferenceThatCannotBeHadEndsTheComparisonWithAMessage)
{
    Page();
    const int all = RowCount();
    m_sys->m_bConnected = FALSE;
    StartCompare(1);
    ExpectOff();
    EXPECT_EQ(RowCount(), all);
    EXPECT_EQ(Boxes("参数读取"), std::vector<QString>{QString::fromUtf8("请连接串口！")});

    m_sys->m_bConnected = TRUE;
    m_ui->ClearCalls();
    StartCompare(2, m_tmp.filePath("missing.txt"));
    ExpectOff();
    EXPECT_EQ(RowCount(), all);
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].text, QString::fromUtf8("读取失败!"));
}

TEST_F(ParamCompareTest, RecipeFileShowsTheRowsWhoseFileValueDiffers)
{
    CDlgParams &page = Page();
    Record("P0608")->iCurValue = 90;
    Record("P0609")->iCurValue = 100;
    const QString txt = m_tmp.filePath("cmp.txt");
    WriteFile(txt, "DRV1\r\nP0608 100\r\nP0609 100\r\n");
    StartCompare(2, txt);
    EXPECT_EQ(ShownCodes(), QStringList{"P0608"});
    EXPECT_EQ(CellText("P0608", "IDS_ParaView_9"), QStringLiteral("100"));

    // The load's reader: a ".csv" recipe compares too.
    Button()->click();
    const QString csv = m_tmp.filePath("cmp.csv");
    WriteFile(csv, "DRV1\r\nIDS_ParaView_1,IDS_ParaView_3\r\nc,v\r\nP0609,7\r\n");
    StartCompare(2, csv);
    EXPECT_EQ(ShownCodes(), QStringList{"P0609"});
    EXPECT_EQ(page.m_mapRecipeValue.size(), 1u);
    EXPECT_EQ(page.m_strCompareFile, csv);
}

TEST_F(ParamCompareTest, CancelledSourceDialogLeavesTheButtonOff)
{
    Page();
    StartCompare(-1);
    ExpectOff();
}

}
