// The register-bound parameter list and its in-place editor against the simulated drive.
#include "support/SimLinkFixture.h"

#include "controls/ListCtrlUsabilityJog.h"
#include "platform/ControlId.h"

#include <QTest>

namespace {

class UsabilityListTest : public SimLinkFixture
{
protected:
    void SetUp() override
    {
        SimLinkFixture::SetUp();
        list = std::make_unique<CListCtrlUsabilityJog>();
        list->InsertColumn(0, "name", 120);
        list->InsertColumn(1, "value", 80);
        list->InsertColumn(2, "range", 120);
        list->InsertColumn(3, "unit", 60);
        list->resize(500, 300);
        list->show();
        sim.SetRegister(0x0304, 100);
        sim.SetRegister(0x0305, 7);
        sim.SetRegister(0x0306, 0);
        sim.SetRegister(0x0307, 0);
        list->AddRow("notch", 1000, 0x0304, "Hz", 1, 50, 8000);
        list->AddRow("depth", 5, 0x0305, "", 1, -10, 100);
        list->AddRow("wide", 70000, 0x0306, "pulse", 2, 0, 1000000);
    }
    void TearDown() override
    {
        list.reset();
        SimLinkFixture::TearDown();
    }

    void DoubleClick(int row, int column)
    {
        const QRect r = list->visualRect(list->model()->index(row, column));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    // Opens row 0's editor, types the text and presses Enter; the list's answer is handled.
    CEditUsability *Commit(const QString &text, int row = 0)
    {
        DoubleClick(row, 1);
        CEditUsability *edit = list->GetEditor(row);
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
        return edit;
    }

    std::unique_ptr<CListCtrlUsabilityJog> list;
};

TEST_F(UsabilityListTest, RowsShowValueRangeAndUnitWithHiddenEditors)
{
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(0, 0), "notch");
    EXPECT_EQ(list->GetItemText(0, 1), "1000");
    EXPECT_EQ(list->GetItemText(0, 2), QString::fromUtf8("50 ～ 8000"));
    EXPECT_EQ(list->GetItemText(1, 2), QString::fromUtf8("-10 ～ 100"));
    EXPECT_EQ(list->GetItemText(2, 3), "pulse");
    for (int r = 0; r < 3; ++r) {
        ASSERT_NE(list->GetEditor(r), nullptr);
        EXPECT_EQ(platform::GetCtrlId(list->GetEditor(r)), 0x81E + r);
        EXPECT_FALSE(list->GetEditor(r)->isVisible());
    }
    EXPECT_EQ(list->GetEditor(2)->m_strValue, "70000");
}

TEST_F(UsabilityListTest, DoubleClickOpensOnlyTheValueColumnAndRecordsTheHit)
{
    DoubleClick(1, 0);
    EXPECT_EQ(list->m_nCurRow, 1);
    EXPECT_EQ(list->m_nCurCol, 0);
    EXPECT_FALSE(list->GetEditor(1)->isVisible());
    DoubleClick(1, 3);
    EXPECT_FALSE(list->GetEditor(1)->isVisible());

    DoubleClick(0, 1);
    CEditUsability *edit = list->GetEditor(0);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->text(), "1000");
    EXPECT_EQ(edit->selectedText(), "1000") << "opens fully selected";
    EXPECT_EQ(edit->geometry(), list->visualRect(list->model()->index(0, 1)));

    // Below the last row: nothing hit.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, list->viewport()->height() - 3));
    EXPECT_EQ(list->m_nCurRow, -1);
    EXPECT_EQ(list->m_nCurCol, -1);
}

// Each refused text: its message, nothing written, the old text back in the editor.
TEST_F(UsabilityListTest, CheckValueRefusesWithTheRightMessage)
{
    struct Case
    {
        const char *text;
        const char *message;  // key of the expected message; null: accepted
    };
    const Case cases[] = {
        {"", "IDS_MyListCtrl_3"},       {"1.5", "IDS_MyListCtrl_5"},   {"0.", "IDS_MyListCtrl_5"},
        {"abc", "IDS_EditUsability_5"}, {"00", "IDS_EditUsability_5"}, {"-0", "IDS_EditUsability_5"},
        {"12ab", "IDS_EditUsability_5"}, {" 60", "IDS_EditUsability_5"}, {"49", "IDS_MyListCtrl_1"},
        {"8001", "IDS_MyListCtrl_1"},   {"99999999999999", "IDS_MyListCtrl_1"},
        {"50", nullptr},                {"8000", nullptr},
    };
    CEditUsability edit(0x0304, 50, 8000, 1);
    for (const Case &c : cases) {
        ui->ClearCalls();
        const bool ok = edit.CheckValue(QString::fromLatin1(c.text));
        EXPECT_EQ(ok, c.message == nullptr) << c.text;
        if (!c.message) {
            EXPECT_TRUE(ui->Calls().empty()) << c.text;
            continue;
        }
        ASSERT_EQ(ui->Calls().size(), 1u) << c.text;
        EXPECT_EQ(ui->Calls()[0].text, FillLangPlaces(LoadLangString(c.message), {"50", "8000"})) << c.text;
    }
    // The range message names both bounds.
    ui->ClearCalls();
    edit.CheckValue("49");
    EXPECT_TRUE(ui->Calls()[0].text.contains("50") && ui->Calls()[0].text.contains("8000"));
    // "0" itself is a number.
    CEditUsability zero(0x0304, -5, 5, 1);
    EXPECT_TRUE(zero.CheckValue("0"));
    EXPECT_TRUE(zero.CheckValue("-5"));
}

TEST_F(UsabilityListTest, EnterWritesTheRegisterAndUpdatesTheCell)
{
    CEditUsability *edit = Commit("2500");
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0304, 2500}}));
    EXPECT_EQ(sim.GetRegister(0x0304), 2500);
    EXPECT_EQ(list->GetItemText(0, 1), "2500");
    EXPECT_EQ(edit->m_strValue, "2500");
    EXPECT_FALSE(edit->isVisible());
    EXPECT_TRUE(list->GetCheck(0));
    EXPECT_TRUE(ui->Calls().empty());
    // A signed row writes its two's complement.
    Commit("-7", 1);
    EXPECT_EQ(sim.GetRegister(0x0305), 0xFFF9);
}

TEST_F(UsabilityListTest, RefusedTextWritesNothingAndKeepsTheCell)
{
    CEditUsability *edit = Commit("12ab");
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(list->GetItemText(0, 1), "1000");
    EXPECT_EQ(edit->text(), "1000");
    ASSERT_EQ(ui->Calls().size(), 1u);
}

// A write the drive refuses on all five tries: the cell keeps the old value and the user is told.
TEST_F(UsabilityListTest, FailedWriteKeepsTheOldValueAndSaysSo)
{
    Fail(0x0304);
    CEditUsability *edit = Commit("2500");
    EXPECT_EQ(RequestsTo(0x26, 0x0304), 5u);
    EXPECT_EQ(list->GetItemText(0, 1), "1000");
    EXPECT_EQ(edit->m_strValue, "1000");
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].caption, LoadLangString("IDS_EditUsability_8"));
    EXPECT_TRUE(ui->Calls()[0].text.contains("0x0004")) << ui->Calls()[0].text.toStdString();
}

TEST_F(UsabilityListTest, EscapeEndsNothingAndLeavingAbandonsTheText)
{
    DoubleClick(0, 1);
    CEditUsability *edit = list->GetEditor(0);
    edit->setText("3000");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->text(), "3000");
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(edit, &out);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(edit->text(), "1000");
    EXPECT_TRUE(Writes().empty());
}

TEST_F(UsabilityListTest, ThirtyTwoBitRowWritesTwoWordsInTheLinkOrder)
{
    for (BOOL lowFirst : {FALSE, TRUE}) {
        sys.m_bLowWordFirst = lowFirst;
        sim.SetRegister(0x8006, lowFirst ? 1 : 0);
        sim.ClearRequests();
        Commit("70001", 2);
        const auto reqs = sim.Requests();
        ASSERT_FALSE(reqs.empty());
        const auto &b = reqs.back().bytes;
        ASSERT_EQ(b[1], 0x20);
        const int first = (b[7] << 8) | b[8], second = (b[9] << 8) | b[10];
        EXPECT_EQ(lowFirst ? first : second, 70001 & 0xFFFF) << lowFirst;
        EXPECT_EQ(lowFirst ? second : first, 70001 >> 16) << lowFirst;
        EXPECT_EQ(sim.GetRegister32(0x0306), 70001u);
    }
}

TEST_F(UsabilityListTest, ReadAllStopsAtTheFirstFailingRow)
{
    sim.SetRegister32(0x0306, 123456);
    sim.SetRegister(0x0305, 0xFFFE);
    EXPECT_TRUE(list->ReadAll());
    EXPECT_EQ(list->GetItemText(0, 1), "100");
    EXPECT_EQ(list->GetItemText(1, 1), "-2") << "a signed row reads its sign";
    EXPECT_EQ(list->GetItemText(2, 1), "123456");

    sim.SetRegister(0x0304, 200);
    sim.SetRegister32(0x0306, 9);
    Fail(0x0305);
    sim.ClearRequests();
    EXPECT_FALSE(list->ReadAll());
    EXPECT_EQ(list->GetItemText(0, 1), "200");
    EXPECT_EQ(list->GetItemText(1, 1), "-2");
    EXPECT_EQ(list->GetItemText(2, 1), "123456") << "later rows are not read";
    EXPECT_EQ(RequestsTo(0x23, 0x0305), 1u) << "one try";
    EXPECT_EQ(RequestsTo(0x23, 0x0306), 0u);
}

TEST_F(UsabilityListTest, WriteAllWritesInOrderAndStopsAtTheFirstFailure)
{
    EXPECT_TRUE(list->WriteAll());
    EXPECT_EQ(sim.GetRegister(0x0304), 1000);
    EXPECT_EQ(sim.GetRegister(0x0305), 5);
    EXPECT_EQ(sim.GetRegister32(0x0306), 70000u);

    Fail(0x0305);
    sim.ClearRequests();
    EXPECT_FALSE(list->WriteAll());
    EXPECT_EQ(RequestsTo(0x26, 0x0305), 1u);
    EXPECT_EQ(RequestsTo(0x20, 0x0306), 0u);
    EXPECT_TRUE(ui->Calls().empty());

    CListCtrlUsabilityJog empty;
    EXPECT_TRUE(empty.ReadAll());
    EXPECT_TRUE(empty.WriteAll());
}

}  // namespace
