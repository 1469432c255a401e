// The comparison source dialog: the remembered choice, the browse button, the refused OK.
#include "UserCtrlDefValue.h"
#include "Wnds/Params/DlgParamCompareSelect.h"
#include "platform/UiServices.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class DlgParamCompareSelectTest : public ::testing::Test
{
protected:
    void SetUp() override { CUserCtrlDefValueList::GetInstance()->RemoveAll(); }
    void TearDown() override { CUserCtrlDefValueList::GetInstance()->RemoveAll(); }

    // Runs the dialog modally; `act` plays the user once it shows.
    int Run(CDlgParamCompareSelect &dlg, const std::function<void(CDlgParamCompareSelect &)> &act)
    {
        QTimer::singleShot(0, &dlg, [&dlg, act] { act(dlg); });
        return dlg.DoModal();
    }
    std::vector<platform::ScriptedUiServices::Call> Alerts() const
    {
        std::vector<platform::ScriptedUiServices::Call> out;
        for (const auto &c : m_ui->Calls())
            if (c.kind == platform::ScriptedUiServices::Kind::DesktopAlert)
                out.push_back(c);
        return out;
    }

    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_scope{m_ui};
};

TEST_F(DlgParamCompareSelectTest, FirstRunOffersTheDefaultsWithoutBrowsing)
{
    CDlgParamCompareSelect dlg;
    bool checked = false, browse = true;
    EXPECT_EQ(Run(dlg, [&](CDlgParamCompareSelect &d) {
                  checked = d.m_radio[0]->isChecked();
                  browse = d.m_btnBrowse->isEnabled();
                  d.m_btnOk->click();
              }),
              IDOK);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(browse);
    EXPECT_EQ(dlg.m_nChoice, 0);
}

TEST_F(DlgParamCompareSelectTest, CancelRemembersTheChoiceButNeverThePath)
{
    {
        CDlgParamCompareSelect dlg;
        m_ui->PushFile(QStringLiteral("/tmp/a.txt"));
        EXPECT_EQ(Run(dlg, [](CDlgParamCompareSelect &d) {
                      d.m_radio[2]->click();
                      d.m_btnBrowse->click();
                      d.m_btnCancel->click();
                  }),
                  IDCANCEL);
        EXPECT_EQ(dlg.m_strFilePath, QStringLiteral("/tmp/a.txt"));
        const auto calls = m_ui->Calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_TRUE(calls[0].file.filter.contains(QStringLiteral("*.txt;*.usr;*.rcp")));
        EXPECT_FALSE(calls[0].file.save);
    }
    CDlgParamCompareSelect again;
    bool checked = false, browse = false;
    QString path = QStringLiteral("x");
    Run(again, [&](CDlgParamCompareSelect &d) {
        checked = d.m_radio[2]->isChecked();
        browse = d.m_btnBrowse->isEnabled();
        path = d.m_editPath->text();
        d.m_btnCancel->click();
    });
    EXPECT_TRUE(checked);
    EXPECT_TRUE(browse);
    EXPECT_TRUE(path.isEmpty());
}

TEST_F(DlgParamCompareSelectTest, RecipeChoiceWithoutAFileIsRefusedWithAnAlert)
{
    CDlgParamCompareSelect dlg;
    bool stayed = false;
    EXPECT_EQ(Run(dlg, [&](CDlgParamCompareSelect &d) {
                  d.m_radio[2]->click();
                  d.m_btnOk->click();
                  stayed = d.isVisible();
                  d.m_editPath->setText(QStringLiteral("/typed/by/hand.txt"));
                  d.m_btnOk->click();
              }),
              IDOK);
    EXPECT_TRUE(stayed);
    const auto alerts = Alerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].alert.seconds, 1);
    EXPECT_EQ(alerts[0].text, QStringLiteral("请选择一个配方文件"));
    EXPECT_EQ(dlg.m_nChoice, 2);
    EXPECT_EQ(dlg.m_strFilePath, QStringLiteral("/typed/by/hand.txt"));
}

TEST_F(DlgParamCompareSelectTest, ARememberedValueOutsideTheChoicesIsTheDefaults)
{
    for (const char *stored : {"7", "-1", "abc"}) {
        CUserCtrlDefValueList::GetInstance()->SetValue(CDlgParamCompareSelect::IDD, CDlgParamCompareSelect::IDC_RADIO_DEFAULT,
                                                       kCtrlKindButton, QString::fromLatin1(stored));
        CDlgParamCompareSelect dlg;
        bool checked = false;
        Run(dlg, [&](CDlgParamCompareSelect &d) {
            checked = d.m_radio[0]->isChecked();
            d.m_btnOk->click();
        });
        EXPECT_TRUE(checked) << stored;
        EXPECT_EQ(dlg.m_nChoice, 0) << stored;
        EXPECT_EQ(CUserCtrlDefValueList::GetInstance()->GetValue(CDlgParamCompareSelect::IDD,
                                                                 CDlgParamCompareSelect::IDC_RADIO_DEFAULT, kCtrlKindButton),
                  QStringLiteral("0"));
    }
}

}
