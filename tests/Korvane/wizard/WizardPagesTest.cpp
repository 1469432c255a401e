// The wizard's step pages in their frame, offscreen: what "应用" stores, where it leads, and
// the overview grid's groups.
#include "WizardFixture.h"

#include "wizard/DlgSetUpWizardChild7A.h"
#include "wizard/DlgSetUpWizardChild7B.h"
#include "wizard/DlgSetUpWizardChildFive.h"
#include "wizard/DlgSetUpWizardChildOne.h"
#include "wizard/DlgSetUpWizardChildSeven.h"
#include "wizard/DlgSetUpWizardChildSix.h"
#include "wizard/DlgSetUpWizardChildThree.h"
#include "wizard/DlgSetUpWizardChildTwo.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

QStringList Entries(const CDlgSetupWizard &w, int group)
{
    QStringList out;
    for (const auto &[n, e] : w.m_recipe.Groups()[size_t(group)].entries)
        out << e.strCode + "=" + e.strValue;
    return out;
}

}

TEST_F(WizardFixture, StepsFillTheRecipeAndMoveOn)
{
    CDlgSetupWizard &w = Wizard();
    ASSERT_NE(Current<CDlgSetUpWizardChildOne>(), nullptr);
    // Encoder: 24-bit walks through the absolute mode step.
    auto *one = Current<CDlgSetUpWizardChildOne>();
    one->m_radType[2]->setChecked(true);
    one->NextButton()->click();
    EXPECT_EQ(one->Step(), 1);
    one->m_radMode[2]->click();
    one->NextButton()->click();
    EXPECT_EQ(one->Step(), 2);
    EXPECT_FALSE(one->NextButton()->isVisibleTo(one));
    EXPECT_TRUE(one->ApplyButton()->isVisibleTo(one));
    one->ApplyButton()->click();
    EXPECT_EQ(Entries(w, 0), QStringList({"P9026=19240", "P000C=2", "P000B=1"}));
    EXPECT_EQ(w.m_nStep, 1);

    // Control mode "1-位置模式": the placeholder entry; "应用" on the position source step.
    auto *two = Current<CDlgSetUpWizardChildTwo>();
    ASSERT_NE(two, nullptr);
    two->m_cmbMode->setCurrentIndex(1);
    EXPECT_EQ(two->m_nImage, 308);
    two->NextButton()->click();
    EXPECT_EQ(two->Step(), 2);
    EXPECT_TRUE(two->ApplyButton()->isVisibleTo(two));
    two->ApplyButton()->click();
    EXPECT_EQ(Entries(w, 1), QStringList({"P000A=1", "暂时无编号=0"}));

    // Command input and divided output store nothing and move on.
    ASSERT_NE(Current<CDlgSetUpWizardChildThree>(), nullptr);
    auto *three = Current<CDlgSetUpWizardChildThree>();
    three->m_radManual->setChecked(true);
    three->NextButton()->click();
    EXPECT_EQ(three->Step(), 3);
    three->PrevButton()->click();
    EXPECT_EQ(three->Step(), 0);
    w.SwitchToPage(2);
    Current<CDlgSetUpWizardChildThree>()->ApplyButton()->click();
    EXPECT_EQ(w.m_nStep, 3);
    Current<CWizardStepPage>()->ApplyButton()->click();
    EXPECT_EQ(w.m_nStep, 4);
    EXPECT_TRUE(Entries(w, 2).isEmpty());
    EXPECT_TRUE(Entries(w, 3).isEmpty());

    // Stop settings untouched: four "0"; applied twice: still one set.
    Current<CDlgSetUpWizardChildFive>()->ApplyButton()->click();
    w.SwitchToPage(4);
    Current<CDlgSetUpWizardChildFive>()->ApplyButton()->click();
    EXPECT_EQ(Entries(w, 4), QStringList({"P001B=0", "P001E=0", "P001C=0", "P001D=0"}));
    EXPECT_EQ(w.m_nStep, 5);

    // Braking resistor: ticked fills the group; unticked empties it and still moves on.
    auto *six = Current<CDlgSetUpWizardChildSix>();
    six->m_chkExternal->click();
    EXPECT_TRUE(six->m_editPower->isEnabled());
    six->m_editPower->setText("200");
    six->m_editValue->setText("40");
    six->ApplyButton()->click();
    EXPECT_EQ(Entries(w, 5), QStringList({"暂时无编号=1", "P0029=1", "P002F=200", "P002E=40"}));
    w.SwitchToPage(5);
    Current<CDlgSetUpWizardChildSix>()->ApplyButton()->click();
    EXPECT_TRUE(Entries(w, 5).isEmpty());
    EXPECT_EQ(w.m_nStep, 6);

    // The signal page: "both" shows the hardware then the virtual panel; "应用" only tells.
    auto *seven = Current<CDlgSetUpWizardChildSeven>();
    seven->m_radChoice[2]->setChecked(true);
    seven->NextButton()->click();
    EXPECT_TRUE(seven->m_pPanelA->isVisibleTo(seven));
    EXPECT_FALSE(seven->m_pPanelB->isVisibleTo(seven));
    seven->NextButton()->click();
    EXPECT_TRUE(seven->m_pPanelB->isVisibleTo(seven));
    EXPECT_TRUE(seven->ApplyButton()->isVisibleTo(seven));
    EXPECT_EQ(seven->m_pPanelB->m_labels[9]->text(), "VDO1");
    m_ui->ClearCalls();
    seven->ApplyButton()->click();
    EXPECT_EQ(w.m_nStep, 6);
    EXPECT_EQ(m_ui->Calls().size(), 1u);
}

TEST_F(WizardFixture, OverviewGridGroupsRowsUnderTheirCaptions)
{
    CDlgSetupWizard &w = Wizard();
    Current<CWizardStepPage>()->ApplyButton()->click();  // encoder defaults
    w.SwitchToPage(4);
    Current<CWizardStepPage>()->ApplyButton()->click();  // stop defaults
    CColorGridCtrl *grid = w.m_pGrid;
    EXPECT_EQ(grid->GetRowCount(), 6);
    EXPECT_FALSE(grid->GetColumnVisible(3));
    std::vector<QString> captions;
    for (const auto &[row, caption] : grid->GetGroupCaptions())
        captions.push_back(caption);
    EXPECT_EQ(captions, (std::vector<QString>{QStringLiteral("编码器识别与设定"), QStringLiteral("停机设定")}));
}

TEST_F(WizardFixture, PagesFindTheirGroupWhateverTheirTitleSays)
{
    CDlgSetupWizard &w = Wizard();
    Current<CWizardStepPage>()->Title()->setText("Encoder identification");
    Current<CWizardStepPage>()->ApplyButton()->click();
    EXPECT_EQ(Entries(w, 0).size(), 2);
}
