// The wizard's recipe, its write list and the step pages' rules, without a window.
#include "wizard/WizardRecipe.h"
#include "wizard/WizardSteps.h"

#include <gtest/gtest.h>

using namespace wizard;

namespace {

const QString kEncoder = QStringLiteral("编码器识别与设定");
const QString kStop = QStringLiteral("停机设定");

CDBDataParameter Record(const char *code, int address, int width = 16, int min = 0, int max = 65535, int def = 0)
{
    CDBDataParameter p;
    p.sNum = QString::fromLatin1(code);
    p.sName = p.sNum;
    p.dwAddress = address;
    p.dwWidth = width;
    p.iMin = min;
    p.iMax = max;
    p.iDefaultValue = def;
    return p;
}

QStringList Codes(const QList<CDBDataParameter> &list)
{
    QStringList out;
    for (const CDBDataParameter &p : list)
        out << p.sNum + "=" + QString::number(p.iCurValue);
    return out;
}

}

TEST(WizardRecipe, EntriesReplaceByCodeAndRenumberAfterRemoval)
{
    CWizardRecipe r;
    ASSERT_EQ(r.Groups().size(), 7u);
    r.AddEntry(kEncoder, "P9026", "17位", "11170");
    r.AddEntry(kEncoder, "P000B", "CCW", "1");
    r.AddEntry(kEncoder, "P9026", "24位", "19240");  // a known code replaces its texts
    const RecipeGroup *g = r.FindGroup(kEncoder);
    ASSERT_EQ(g->entries.size(), 2u);
    EXPECT_EQ(g->entries.at(0).strText, "24位");
    EXPECT_EQ(g->entries.at(0).strValue, "19240");
    r.AddEntry("no such group", "P0001", "x", "1");  // matches nothing, adds nothing
    r.RemoveEntries(kEncoder);
    r.AddEntry(kEncoder, "P000B", "CW", "0");
    EXPECT_EQ(g->entries.size(), 1u);
    EXPECT_EQ(g->entries.begin()->first, 0) << "numbering restarts";
}

TEST(WizardRecipe, GridRowsCaptionOnlyGroupsWithEntries)
{
    CWizardRecipe r;
    r.AddEntry(kEncoder, "P9026", "a", "1");
    r.AddEntry(kEncoder, "P000B", "b", "1");
    r.AddEntry(kStop, "P001B", "c", "0");
    std::map<int, QString> captions;
    const auto rows = r.GridRows(&captions);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].group, kStop);
    // Groups 1..3 are empty and start at row 2 like the stop group: none of them may caption it.
    EXPECT_EQ(captions, (std::map<int, QString>{{0, kEncoder}, {2, kStop}}));
    EXPECT_EQ(r.FindGroup(kStop)->nFirstRow, 2);
}

TEST(WizardRecipe, WriteListSkipsUnknownCodesStagesValuesAndRefusesBadOnes)
{
    CWizardRecipe r;
    r.AddEntry(kStop, "暂时无编号", "brake", "1");
    r.AddEntry(kStop, "P001B", "a", "3");
    r.AddEntry(kStop, "P001E", "b", "");        // empty: the default goes out
    r.AddEntry(kStop, "P9999", "c", "1");       // not in the project
    r.AddEntry(kStop, "P002F", "power", "abc"); // no number
    r.AddEntry(kStop, "P002E", "ohm", "70000"); // beyond width and range
    const QList<CDBDataParameter> table = {Record("P001B", 0x1B, 16, 0, 3), Record("P001E", 0x1E, 16, 0, 4, 2),
                                           Record("P002F", 0x2F, 16, 1, 65535), Record("P002E", 0x2E, 16, 1, 1000)};
    const RecipeWriteList list = r.BuildWriteList(table);
    EXPECT_EQ(Codes(list.records), QStringList({"P001B=3", "P001E=2"}));
    EXPECT_EQ(Codes(list.refused), QStringList({"P002F=0", "P002E=0"}));
    EXPECT_EQ(list.refusedValues, QStringList({"abc", "70000"}));
    EXPECT_EQ(table[0].iCurValue, 0) << "the project is not touched";
}

TEST(WizardRecipe, ValuesMustBeWholeNumbersWithinRangeAndWidth)
{
    struct Case
    {
        const char *text;
        int width, sign, min, max;
        bool ok;
        int value;
    } cases[] = {
        {"100", 16, 0, 1, 65535, true, 100},   {" 42 ", 16, 0, 0, 100, true, 42},
        {"65535", 16, 0, 1, 65535, true, 65535}, {"65536", 16, 0, 0, 70000, false, 0},
        {"-1", 16, 0, -5, 5, false, 0},        {"-1", 16, 1, -5, 5, true, -1},
        {"12abc", 16, 0, 0, 100, false, 0},    {"", 16, 0, 0, 100, false, 0},
        {"1.5", 16, 0, 0, 100, false, 0},      {"101", 16, 0, 0, 100, false, 0},
        {"70000", 32, 0, 0, 100000, true, 70000},
    };
    for (const Case &c : cases) {
        CDBDataParameter p = Record("P0001", 1, c.width, c.min, c.max);
        p.bSign = c.sign;
        std::int32_t v = 0;
        EXPECT_EQ(ParseRecipeValue(QString::fromLatin1(c.text), p, &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(WizardSteps, PageNavigation)
{
    // encoder: 0 -> 1 only with the 24-bit encoder
    EXPECT_EQ(EncoderNextStep(0, false), 2);
    EXPECT_EQ(EncoderNextStep(0, true), 1);
    EXPECT_EQ(EncoderPrevStep(2, false), 0);
    EXPECT_EQ(EncoderPrevStep(2, true), 1);
    EXPECT_EQ(EncoderNextStep(2, true), 2);
    // control mode: 0 -> the mode's source step, and back
    EXPECT_EQ(ControlModeStep(0, 1), 2);
    EXPECT_EQ(ControlModeStep(3, 2), 0);
    // command input: without "高级设定" 0 <-> 3
    EXPECT_EQ(CommandInputNextStep(0, false), 3);
    EXPECT_EQ(CommandInputPrevStep(3, false), 0);
    EXPECT_EQ(CommandInputNextStep(0, true), 1);
    EXPECT_EQ(CommandInputNextStep(6, true), 6);
    EXPECT_EQ(CommandInputPrevStep(0, true), 0);
    // signal page: "both" shows the hardware then the virtual panel
    EXPECT_EQ(SignalLastStep(2), 2);
    EXPECT_EQ(SignalPanel(2, 1), 'A');
    EXPECT_EQ(SignalPanel(2, 2), 'B');
    EXPECT_EQ(SignalPanel(1, 1), 'B');
    EXPECT_EQ(SignalLastStep(0), 1);
    // the frame: steps 0..5 go on after "应用", 6 stays
    EXPECT_EQ(NextStepAfterApply(5), 6);
    EXPECT_EQ(NextStepAfterApply(6), -1);
}

TEST(WizardSteps, PageEntries)
{
    using E = std::vector<StepEntry>;
    // 17-bit + CCW: exactly P9026 and P000B
    EXPECT_EQ(EncoderEntries({0, "17位绝对式编码器"}, {0, "m"}, {0, "ccw"}),
              (E{{"P9026", "17位绝对式编码器", "11170"}, {"P000B", "ccw", "1"}}));
    // 24-bit + rotary: P000C = 2
    EXPECT_EQ(EncoderEntries({2, "24"}, {2, "rot"}, {1, "cw"}),
              (E{{"P9026", "24", "19240"}, {"P000C", "rot", "2"}, {"P000B", "cw", "0"}}));
    // position mode: the placeholder
    EXPECT_EQ(ControlModeEntries("控制模式选择", 1, "0-脉冲指令", 0)[1].code, QStringLiteral("暂时无编号"));
    EXPECT_EQ(ControlModeEntries("控制模式选择", 0, "2-A+B", 2)[1], (StepEntry{"P0601", "2-A+B", "2"}));
    // stop page untouched: four "0"
    std::array<StopChoice, 4> stop;
    for (auto &c : stop)
        c = {"g", "0-自由停机, 保持自由运行状态"};
    const E s = StopEntries(false, "brake", stop);
    ASSERT_EQ(s.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s[size_t(i)].value, "0");
    EXPECT_EQ(StopEntries(true, "brake", stop)[0].code, QStringLiteral("暂时无编号"));
    // resistor unticked: nothing; ticked: as typed
    EXPECT_TRUE(ResistorEntries({}).empty());
    ResistorChoice rc{true, "mode", "2-使用外接制动电阻并且强迫风冷", "power", "abc", "ohm", "50"};
    const E r = ResistorEntries(rc);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[1], (StepEntry{"P0029", "mode", "2"}));
    EXPECT_EQ(r[2].value, "abc");
}

TEST(WizardSteps, LayoutArithmetic)
{
    const WizardLayout l = ComputeWizardLayout(QRect(0, 0, 1131, 700));
    // W = 1001, P = 600, G = 400 - 10 = 390
    EXPECT_EQ(l.stepButtons[6], QRect(0, 300, 130, 50));
    EXPECT_EQ(l.page, QRect(130, 0, 600, 700));
    EXPECT_EQ(l.grid, QRect(730, 0, 390, 645));
    EXPECT_EQ(l.save, QRect(730, 675, 80, 25));
    EXPECT_EQ(l.write, QRect(730 + 390 - 80, 675, 80, 25));
}
