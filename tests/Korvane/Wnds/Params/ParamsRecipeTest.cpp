// The parameter page's recipe commands on the simulated drive: loads that apply, loads that
// change nothing, the one-key import's writes, and saves.
#include "ParamsFixture.h"

#include "PathHelpers.h"
#include "Wnds/Params/RecipeFile.h"

#include <QDir>
#include <QFile>

namespace {

class ParamsRecipeTest : public ParamsFixture
{
protected:
    QString RecipeDir() const { return m_tmp.filePath("recipes"); }
    QString Recipe(const char *name, const QByteArray &bytes) const
    {
        const QString path = RecipeDir() + "/" + QString::fromLatin1(name);
        WriteFile(path, bytes);
        return path;
    }
    void Command(UINT id) { m_page->OnRecipeCompareCommand(id); }
    QStringList Checked() const
    {
        QStringList codes;
        for (const CDBDataParameter &p : *CDlgParams::CheckedParams())
            codes << p.sNum;
        return codes;
    }
    QStringList Alerts() const
    {
        QStringList texts;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::DesktopAlert)
                texts << c.text;
        return texts;
    }
    QStringList BoxTexts() const
    {
        QStringList texts;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::MessageBox)
                texts << c.text;
        return texts;
    }
};

TEST_F(ParamsRecipeTest, ALoadPutsItsValuesInTheTableTheCheckedListAndTheRecipeList)
{
    CDlgParams &page = Page();
    const QString path = Recipe("r.txt", "DRV1\r\nP0608 1500\r\nP0107 2\r\nP7777 3\r\n");
    m_ui->PushFile(path);
    EXPECT_EQ(page.LoadRecipeFile(), 1);
    EXPECT_EQ(CellText("P0608", "IDS_ParaView_3"), QStringLiteral("1500"));
    EXPECT_EQ(CellText("P0107", "IDS_ParaView_3"), QString::fromUtf8("报警复位"));
    EXPECT_EQ(Record("P0608")->iCurValue, 1500);
    EXPECT_EQ(Checked(), (QStringList{"P0608", "P0107"}));
    ASSERT_EQ(m_sys->m_arrRecipeParameter.size(), 2);
    EXPECT_EQ(m_sys->m_strRecipePath, RecipeDir() + "/");
    BOOL ticked = FALSE;
    page.Grid()->GetRowCheck(&ticked, page.FindRowByCode("P0608"));
    EXPECT_TRUE(ticked);
    const auto calls = m_ui->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].file.initialDir, CSysParam::DefaultRecipePath());
    EXPECT_TRUE(calls[0].file.filter.contains("*.csv"));
}

TEST_F(ParamsRecipeTest, ARefusedLoadChangesNothing)
{
    CDlgParams &page = Page();
    m_ui->PushFile(Recipe("first.txt", "DRV1\r\nP0608 1500\r\n"));
    ASSERT_EQ(page.LoadRecipeFile(), 1);
    const struct {
        const char *name;
        QByteArray bytes;  // empty: the file does not exist; "cancel": the dialog is cancelled
        bool alert;
    } cases[] = {
        {"cancel", "", false},
        {"missing.txt", "", true},
        {"hex.txt", "DRV1\r\nP0609 100\r\nP0608 0x10\r\n", true},
        {"blank-value.txt", "DRV1\r\nP0609 100\r\nP0608 \r\n", true},
        {"fields.csv", "DRV1\r\nIDS_ParaView_1,IDS_ParaView_3\r\na,b\r\nP0609,100\r\nP0608\r\n", true},
        {"nothing-known.txt", "DRV1\r\nP7777 1\r\n", false},
    };
    for (const auto &c : cases) {
        m_ui->ClearCalls();
        if (QByteArray(c.name) == "cancel")
            m_ui->PushFile(std::nullopt);
        else if (c.bytes.isEmpty())
            m_ui->PushFile(RecipeDir() + "/" + c.name);
        else
            m_ui->PushFile(Recipe(c.name, c.bytes));
        EXPECT_EQ(page.LoadRecipeFile(), 0) << c.name;
        EXPECT_EQ(Alerts(), c.alert ? QStringList{QString::fromUtf8("读取失败!")} : QStringList{}) << c.name;
        EXPECT_EQ(CellText("P0608", "IDS_ParaView_3"), QStringLiteral("1500")) << c.name;
        EXPECT_EQ(Record("P0609")->iCurValue, 0) << c.name;
        EXPECT_EQ(Checked(), QStringList{"P0608"}) << c.name;
        ASSERT_EQ(m_sys->m_arrRecipeParameter.size(), 1) << c.name;
        EXPECT_EQ(m_sys->m_arrRecipeParameter[0].sNum, QStringLiteral("P0608"));
    }
}

TEST_F(ParamsRecipeTest, OneKeyImportWritesItsValuesButNotTheOutOfRangeOne)
{
    Page();
    m_sim.SetRegister(0x0608, 777);
    m_ui->PushFile(Recipe("one-key.txt", "DRV1\r\nP0609 321\r\nP0608 -20\r\n"));
    Command(CDlgParams::IDC_RECIPE_LOAD_WRITE);
    // The range message for P0608, then the list, then the result.
    ASSERT_TRUE(WaitForResult("写参数结果"));
    const QStringList boxes = BoxTexts();
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_TRUE(boxes[0].contains("P0608")) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains("-20"));
    EXPECT_EQ(m_sim.GetRegister(0x0609), 321);
    EXPECT_EQ(m_sim.GetRegister(0x0608), 777);
    for (const auto &[address, value] : Writes())
        EXPECT_NE(address, 0x0608);
    // The value loaded is shown all the same.
    EXPECT_EQ(CellText("P0608", "IDS_ParaView_3"), QStringLiteral("-20"));
}

TEST_F(ParamsRecipeTest, SaveWritesTheCheckedParametersAndSaysSoOnlyWhenComplete)
{
    CDlgParams &page = Page();
    // Nothing checked: refused before any dialog.
    page.SaveRecipeFile();
    EXPECT_EQ(BoxTexts(), QStringList{QString::fromUtf8("没有选择功能码,请重新选择!")});
    EXPECT_EQ(m_ui->Calls().size(), 1u);

    Record("P0609")->iCurValue = 250;
    page.UpdateCheckedList(*Record("P0609"), TRUE);
    Record("P0608")->iCurValue = 1500;
    page.UpdateCheckedList(*Record("P0608"), TRUE);
    m_ui->ClearCalls();
    const QString chosen = m_tmp.filePath("saved");  // no extension: ".txt" added
    m_ui->PushFile(chosen);
    page.SaveRecipeFile();
    EXPECT_EQ(BoxTexts(), QStringList{QString::fromUtf8("配方文件保存成功!")});
    EXPECT_EQ(ReadFile(chosen + ".txt"), QByteArray("DRV1\r\nP0608 1500\r\nP0609 250\r\n"));
    ASSERT_FALSE(m_ui->Calls().empty());
    EXPECT_TRUE(m_ui->Calls()[0].file.initialName.endsWith("[DRV1]"));

    m_ui->ClearCalls();
    m_ui->PushFile(m_tmp.filePath("no/such/folder/r.txt"));
    page.SaveRecipeFile();
    EXPECT_EQ(BoxTexts(), QStringList{QString::fromUtf8("配方文件保存失败!")});
}

TEST_F(ParamsRecipeTest, CsvSaveAndLoadOnThePageGiveBackTheValues)
{
    CDlgParams &page = Page();
    Record("P0107")->iCurValue = 2;
    page.UpdateCheckedList(*Record("P0107"), TRUE);
    Record("P0608")->iCurValue = 4321;
    page.UpdateCheckedList(*Record("P0608"), TRUE);
    page.RefreshTable();
    const QString path = m_tmp.filePath("page.csv");
    m_ui->PushFile(path);
    page.SaveRecipeFile();
    ASSERT_TRUE(QFile::exists(path));
    const QByteArray bytes = ReadFile(path);
    EXPECT_TRUE(bytes.contains(QByteArray::fromStdString(CStringToAnsi(QString::fromUtf8("报警复位")))));

    Record("P0107")->iCurValue = 0;
    Record("P0608")->iCurValue = 0;
    page.RefreshTable();
    m_ui->PushFile(path);
    ASSERT_EQ(page.LoadRecipeFile(), 1);
    EXPECT_EQ(Record("P0107")->iCurValue, 2);
    EXPECT_EQ(Record("P0608")->iCurValue, 4321);
    EXPECT_EQ(Record("P0608")->sName, QString::fromUtf8("软启动加速时间"));
}

}
