// A parameter box's text against its register's record, and the registers each box writes.
#include "Wnds/Controls/DiagramBoxWriter.h"
#include "Wnds/Controls/DlgPositionCtrl.h"
#include "Wnds/Controls/DlgSpeedLoop.h"
#include "database/DBDataParameter.h"

#include <gtest/gtest.h>

namespace {

TEST(BoxText, Table)
{
    struct Case { const char *text; BoxText verdict; long value; };
    // Range of the position loop gain, 1 to 2000.
    const Case cases[] = {
        {"", BoxText::Empty, 0},
        {"-", BoxText::NotANumber, 0},
        {"+", BoxText::NotANumber, 0},
        {"12ab", BoxText::NotANumber, 0},
        {" 5", BoxText::NotANumber, 0},
        {"5 ", BoxText::NotANumber, 0},
        {"1-", BoxText::NotANumber, 0},
        {"-5", BoxText::OutOfRange, 0},
        {"0", BoxText::OutOfRange, 0},
        {"70000", BoxText::OutOfRange, 0},
        {"2001", BoxText::OutOfRange, 0},
        {"99999999999999999999", BoxText::OutOfRange, 0},
        {"-99999999999999999999", BoxText::OutOfRange, 0},
        {"1", BoxText::Ok, 1},
        {"2000", BoxText::Ok, 2000},
        {"+120", BoxText::Ok, 120},
        {"000120", BoxText::Ok, 120},
    };
    for (const Case &c : cases) {
        long v = -1;
        EXPECT_EQ(ParseBoxText(QString::fromUtf8(c.text), 1, 2000, &v), c.verdict) << c.text;
        if (c.verdict == BoxText::Ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    long v = 0;
    EXPECT_EQ(ParseBoxText("-5", -10, 10, &v), BoxText::Ok);
    EXPECT_EQ(v, -5);
}

TEST(BoxText, RecordRangeStaysInsideItsRegister)
{
    CDBDataParameter r;
    r.iMin = -100000;
    r.iMax = 100000;
    long lo = 0, hi = 0;
    r.bSign = 0;
    RecordRange(r, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 65535);
    r.bSign = 1;
    RecordRange(r, &lo, &hi);
    EXPECT_EQ(lo, -32768);
    EXPECT_EQ(hi, 32767);
    r.iMin = 15;
    r.iMax = 51200;
    r.bSign = 0;
    RecordRange(r, &lo, &hi);
    EXPECT_EQ(lo, 15);
    EXPECT_EQ(hi, 51200);
}

TEST(RegisterTables, PositionAndSpeed)
{
    using Regs = std::vector<WORD>;
    const std::map<int, Regs> position = {
        {1107, {0x0329}}, {1108, {0x032A}}, {1109, {0x032B}}, {1110, {0x0320}}, {1111, {0x0321}},
        {1112, {0x0203}}, {1113, {0x0610}}, {1114, {0x0612}}, {1115, {0x0614}}, {1116, {0x0205}},
        {1117, {0x021F}}, {1118, {0x0204}}, {1119, {0x0206}}, {1120, {0x0303}}, {1121, {0x0304}},
        {1122, {0x0305}}, {1123, {0x070F}}, {1124, {0x0711}}, {1125, {0x0712}}, {1126, {0x0713}},
        {1127, {0x0714}}, {1128, {}},
    };
    EXPECT_EQ(CDlgPositionCtrl::RegisterTable(), position);
    const std::map<int, Regs> speed = {
        {1107, {0x0608}}, {1108, {0x0609}}, {1109, {0x021F}}, {1110, {0x0205}}, {1111, {0x0204}},
        {1112, {0x0206}}, {1113, {0x0303, 0x0306, 0x0309, 0x030C}}, {1114, {0x0304, 0x0307, 0x030A, 0x030D}},
        {1115, {0x0305, 0x0308, 0x030B, 0x030E}}, {1116, {0x070F}}, {1117, {0x0711}}, {1118, {0x0712}},
        {1119, {0x0713}}, {1120, {0x0714}},
    };
    EXPECT_EQ(CDlgSpeedLoop::RegisterTable(), speed);
}

}
