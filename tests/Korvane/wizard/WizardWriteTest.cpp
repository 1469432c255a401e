// "写入" against the simulated drive: what reaches the drive, in which order, what the result
// says, and that the project takes only values the drive acknowledged.
#include "WizardFixture.h"

#include "LangText.h"
#include "platform/LanguageConf.h"

namespace {

const char *const kResult = "写参数结果";

}

class WizardWriteFixture : public WizardFixture
{
protected:
    // A recipe of three parameters and one placeholder, as pages would leave it.
    void FillRecipe(CDlgSetupWizard &w)
    {
        w.AddRecipeEntry(QStringLiteral("停机设定"), QStringLiteral("暂时无编号"), "brake", "1");
        w.AddRecipeEntry(QStringLiteral("停机设定"), "P001B", "a", "2");
        w.AddRecipeEntry(QStringLiteral("停机设定"), "P001E", "b", "3");
        w.AddRecipeEntry(QStringLiteral("编码器识别与设定"), "P000B", "dir", "0");
    }
    QString ResultText()
    {
        EXPECT_TRUE(WaitFor([&] { return !Boxes(kResult).empty(); }));
        WaitFor([&] { return !m_wizard->IsWriting(); });
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return Boxes(kResult).empty() ? QString() : Boxes(kResult).front();
    }
    QString Line(const char *key, QStringList args)
    {
        return FillLangPlaces(LoadLangString(QString::fromLatin1(key)), args) + "\r\n";
    }
};

TEST_F(WizardWriteFixture, WritesTheRecipeInOrderAndUpdatesTheProject)
{
    CDlgSetupWizard &w = Wizard();
    FillRecipe(w);
    w.OnWriteRecipe();
    ASSERT_EQ(m_listed.size(), 1u);
    ASSERT_EQ(m_listed[0].size(), 3) << "the placeholder is never listed";
    EXPECT_EQ(ResultText(), Line("IDS_DlgParamUpload_5", {"3"}));
    // Recipe order: the encoder group comes before the stop group.
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x000B, 0}, {0x001B, 2}, {0x001E, 3}}));
    EXPECT_EQ(Project("P001B")->iCurValue, 2);
    EXPECT_EQ(Project("P000B")->iCurValue, 0);
}

TEST_F(WizardWriteFixture, ARefusedRegisterIsReportedAfterTenTriesAndTheRestIsWritten)
{
    CDlgSetupWizard &w = Wizard();
    FillRecipe(w);
    const int before = Project("P001B")->iCurValue;
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::ErrorReply;
    f.address = 0x001B;
    f.persistent = true;
    m_sim.InjectFault(f);
    w.OnWriteRecipe();
    const QString text = ResultText();
    const CDBDataParameter *p = Project("P001B");
    EXPECT_EQ(text, Line("IDS_DlgParamUpload_3", {"P001B", platform::TrText(p->sName)}) +
                        Line("IDS_DlgParamUpload_4", {"3", "1"}) + Line("IDS_DlgParamUpload_5", {"3"}));
    int tries = 0;
    for (const auto &[address, value] : Writes())
        tries += address == 0x001B;
    EXPECT_EQ(tries, 10);
    EXPECT_EQ(p->iCurValue, before) << "not acknowledged: the project keeps its value";
    EXPECT_EQ(Project("P001E")->iCurValue, 3);
}

TEST_F(WizardWriteFixture, BadValuesAndOddWidthsNeverReachTheDrive)
{
    CDlgSetupWizard &w = Wizard();
    w.AddRecipeEntry(QStringLiteral("制动电阻设定"), "P002F", "power", "abc");
    w.AddRecipeEntry(QStringLiteral("制动电阻设定"), "P002E", "ohm", "70000");
    w.AddRecipeEntry(QStringLiteral("停机设定"), "P001B", "a", "1");
    Project("P001B")->dwWidth = 24;
    w.OnWriteRecipe();
    const QString text = ResultText();
    EXPECT_TRUE(Writes().empty());
    EXPECT_TRUE(m_sim.Requests().empty()) << "a width-24 record sends no frame";
    EXPECT_TRUE(text.contains("P002F") && text.contains("abc")) << text.toStdString();
    EXPECT_TRUE(text.contains("70000"));
    EXPECT_TRUE(text.contains(Line("IDS_DlgParamUpload_4", {"3", "3"})));
}

TEST_F(WizardWriteFixture, CancelNotConnectedAndEmptyWriteNothing)
{
    CDlgSetupWizard &w = Wizard();
    FillRecipe(w);
    const int before = Project("P001B")->iCurValue;
    m_listAnswer = IDCANCEL;
    w.OnWriteRecipe();
    EXPECT_EQ(m_listed.size(), 1u);
    EXPECT_EQ(Project("P001B")->iCurValue, before);
    EXPECT_FALSE(w.IsWriting());

    // An empty recipe: an empty confirmation, then nothing.
    m_listAnswer = IDOK;
    CDlgSetupWizard &empty = Wizard();
    empty.OnWriteRecipe();
    ASSERT_EQ(m_listed.size(), 2u);
    EXPECT_TRUE(m_listed[1].isEmpty());
    WaitFor([&] { return !empty.IsWriting(); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(Boxes(kResult).empty());

    m_sys->m_bConnected = FALSE;
    FillRecipe(empty);
    empty.OnWriteRecipe();
    EXPECT_EQ(Boxes("参数写入"), std::vector<QString>{QString::fromUtf8("请连接串口！")});
    EXPECT_EQ(m_listed.size(), 2u);
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(WizardWriteFixture, AWordOrderChangeIsAskedAndNoSkipsIt)
{
    CDlgSetupWizard &w = Wizard();
    w.AddRecipeEntry(QStringLiteral("停机设定"), "P8006", "order", m_sys->m_bLowWordFirst ? "0" : "1");
    w.AddRecipeEntry(QStringLiteral("停机设定"), "P001B", "a", "1");
    m_ui->PushAnswer(IDNO);
    w.OnWriteRecipe();
    const QString text = ResultText();
    std::vector<QString> asked;
    for (const auto &c : m_ui->Calls())
        if (c.kind == platform::ScriptedUiServices::Kind::MessageBox && c.text == LoadLangString("IDS_DlgParamUpload_11"))
            asked.push_back(c.text);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x001B, 1}}));
    EXPECT_EQ(text, Line("IDS_DlgParamUpload_5", {"2"}));
}
