// The DI/DO register map without a window: rows from a parameter table, labels, option texts,
// state and forced words, and the status reply checks.
#include "Wnds/DiDo/DiDoItem.h"

#include "TX/ModbusRTU.h"

#include <gtest/gtest.h>

namespace {

CDBDataParameter Param(const char *code, int value, int width = 16)
{
    CDBDataParameter p;
    p.sNum = QString::fromLatin1(code);
    p.sGroupNO = p.sNum.left(3);
    p.iCurValue = value;
    p.dwWidth = width;
    p.dwAddress = p.sNum.mid(1).toInt(nullptr, 16);
    for (int v = 0; v < 3; ++v) {
        CDBDataSelects s;
        s.iValue = v;
        s.sDescription = QString::fromLatin1("%1-%2").arg(p.sNum).arg(v);
        p.m_arrSelects.append(s);
    }
    return p;
}

// Every DI and DO code with value = line number.
QList<CDBDataParameter> FullTable()
{
    QList<CDBDataParameter> t;
    t.append(Param("P0100", 7));  // another P01 code: skipped
    for (int n = 0; n < kDiLineCount; ++n) {
        t.append(Param(QString::asprintf("P01%02X", 0x07 + 2 * n).toLatin1().constData(), n));
        t.append(Param(QString::asprintf("P01%02X", 0x08 + 2 * n).toLatin1().constData(), n % 2));
    }
    for (int n = 0; n < kDoLineCount; ++n) {
        t.append(Param(QString::asprintf("P01%02X", 0x28 + 2 * n).toLatin1().constData(), n));
        t.append(Param(QString::asprintf("P01%02X", 0x29 + 2 * n).toLatin1().constData(), 1));
    }
    t.append(Param("P0900", 5));
    return t;
}

TEST(DiDoItemTest, RowsFromTheTableStartAtTheTableValues)
{
    CDiDoLists lists;
    const QList<CDBDataParameter> table = FullTable();
    BuildDiDoRows(&table, lists);
    ASSERT_EQ(lists.regDi.size(), 18u);
    ASSERT_EQ(lists.regDo.size(), 10u);
    for (int n = 0; n < kDiLineCount; ++n) {
        EXPECT_EQ(lists.arrDi[std::size_t(n)].nModeValue, n);
        EXPECT_EQ(lists.arrDi[std::size_t(n)].nFunctionValue, n % 2);
    }
    EXPECT_EQ(lists.arrDo[4].nModeValue, 4);
    EXPECT_EQ(lists.arrDo[4].nFunctionValue, 1);
    EXPECT_EQ(lists.regDo[9].dwAddress, 0x0131u);
    EXPECT_EQ(lists.regDo[9].nLine, 4);
    EXPECT_EQ(lists.regDo[9].kind, DiDoKind::Function);
    EXPECT_EQ(DiDoOptionText(lists.arrDi[0].mapModeOptions, 2), "P0107-2");

    CDiDoLists none;
    BuildDiDoRows(nullptr, none);
    EXPECT_EQ(none.arrDi.size(), 9u);
    EXPECT_EQ(none.arrDi[0].nModeValue, -1);
    EXPECT_TRUE(none.regDi.empty());
}

TEST(DiDoItemTest, AMissingParameterLeavesAGapAndShiftsNothing)
{
    QList<CDBDataParameter> table = FullTable();
    table.erase(std::remove_if(table.begin(), table.end(), [](const CDBDataParameter &p) { return p.sNum == "P0113"; }),
                table.end());
    CDiDoLists lists;
    BuildDiDoRows(&table, lists);
    EXPECT_EQ(lists.arrDi[6].nModeValue, -1);
    EXPECT_EQ(lists.arrDi[6].nFunctionValue, 0);  // its function parameter is there
    EXPECT_EQ(lists.arrDi[7].nModeValue, 7);
    EXPECT_EQ(lists.arrDi[8].nModeValue, 8);
    ASSERT_EQ(lists.regDi.size(), 17u);
    // The element that follows the gap still names its own line.
    EXPECT_EQ(lists.regDi[12].dwAddress, 0x0114u);
    EXPECT_EQ(lists.regDi[12].nLine, 6);
    EXPECT_EQ(lists.regDi[13].nLine, 7);
}

TEST(DiDoItemTest, ConnectorLabelsByProduct)
{
    CDiDoLists lists;
    SetConnectorLabels(lists, 4);
    EXPECT_EQ(lists.arrDi[0].strName, "6(GDI1)");
    EXPECT_EQ(lists.arrDi[6].strName, QString(8, ' '));
    EXPECT_EQ(lists.arrDo[4].strName, QString(13, ' '));
    SetConnectorLabels(lists, 2);
    EXPECT_EQ(lists.arrDi[6].strName, "45(GDI7)");
    EXPECT_EQ(lists.arrDo[0].strName, "6/7(DO1+/-)");
    SetConnectorLabels(lists, 3);
    EXPECT_EQ(lists.arrDi[8].strName, "19(HDI2)");
    EXPECT_EQ(lists.arrDo[4].strName, "9/25(DO5+/-)");
}

TEST(DiDoItemTest, OptionTextsBothWays)
{
    const std::map<std::int32_t, QString> options = {{0, "a"}, {1, "b"}, {2, "b"}, {5, "z"}};
    EXPECT_EQ(DiDoOptionList(options), QStringList({"a", "b", "b", ""}));
    EXPECT_EQ(DiDoOptionText(options, 7), "");
    std::int32_t v = 42;
    EXPECT_TRUE(DiDoOptionValue(options, "b", &v));
    EXPECT_EQ(v, 1);
    v = 42;
    EXPECT_FALSE(DiDoOptionValue(options, "nope", &v));
    EXPECT_EQ(v, 42);
}

TEST(DiDoItemTest, StateAndForcedWords)
{
    std::vector<CDiDoItem> rows(9);
    ApplyStateWord(rows, 0x0105);
    EXPECT_EQ(rows[0].bState, 1);
    EXPECT_EQ(rows[1].bState, 0);
    EXPECT_EQ(rows[2].bState, 1);
    EXPECT_EQ(rows[8].bState, 1);
    EXPECT_TRUE(rows[3].bStateKnown);
    EXPECT_EQ(ForcedWord(rows), 0x0105);
    MarkStatesUnknown(rows);
    EXPECT_FALSE(rows[0].bStateKnown);
    EXPECT_EQ(rows[0].bState, 1);
    // Outputs: 1 = on for every line, DO2 included.
    std::vector<CDiDoItem> outputs(5);
    outputs[1].bState = 1;
    EXPECT_EQ(ForcedWord(outputs), 0x0002);
    EXPECT_EQ(ForceEnableWord(true, false), 1);
    EXPECT_EQ(ForceEnableWord(false, true), 2);
    EXPECT_EQ(ForceEnableWord(true, true), 3);
}

std::vector<BYTE> WithCrc(std::vector<BYTE> b)
{
    const WORD crc = CModbusRTU::CRC16(b.data(), b.size());
    b.push_back(BYTE(crc & 0xFF));
    b.push_back(BYTE(crc >> 8));
    return b;
}

TEST(DiDoItemTest, StatusRepliesAreCheckedAsTheCodecChecksItsOwn)
{
    struct Case
    {
        const char *name;
        std::vector<BYTE> reply;
        bool ok;
        int value;
        DWORD error;
    };
    std::vector<BYTE> stray = WithCrc({0xFA, 0x23, 0x02, 0x01, 0x05});
    stray.insert(stray.begin(), 0x00);
    std::vector<BYTE> badCrc = WithCrc({0xFA, 0x23, 0x02, 0x01, 0x05});
    badCrc[4] ^= 1;
    const std::vector<Case> cases = {
        {"plain 7 bytes", WithCrc({0xFA, 0x23, 0x02, 0x01, 0x05}), true, 0x0105, 0},
        {"one stray leading byte", stray, true, 0x0105, 0},
        {"nothing", {}, false, 0, 0x1002},
        {"bad CRC", badCrc, false, 0, 0x1002},
        {"other station", WithCrc({0x01, 0x23, 0x02, 0x01, 0x05}), false, 0, 0x1002},
        {"other function", WithCrc({0xFA, 0x26, 0x02, 0x01, 0x05}), false, 0, 0x1002},
        {"error with bit 7", WithCrc({0xFA, 0xA3, 0x02}), false, 0, 0x02},
        {"error with code word", WithCrc({0xFA, 0x23, 0x80, 0x01, 0x00, 0x04}), false, 0, 0x0004},
        {"wrong byte count", WithCrc({0xFA, 0x23, 0x04, 0x01, 0x05}), false, 0, 0x1002},
    };
    for (const Case &c : cases) {
        int value = -1;
        DWORD error = 0;
        EXPECT_EQ(ParseStatusReply(c.reply.data(), DWORD(c.reply.size()), 0xFA, &value, &error), c.ok) << c.name;
        if (c.ok)
            EXPECT_EQ(value, c.value) << c.name;
        else
            EXPECT_EQ(error, c.error) << c.name;
    }
}

}
