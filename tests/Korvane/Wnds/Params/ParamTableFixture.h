#pragma once
// A small parameter table for the recipe and comparison tests: an enumerated parameter, a
// hexadecimal identity code, a signed one, one without a unit, and P0608 (0..10000).
#include "database/DBDataParameter.h"

#include <QList>

namespace paramtest {

inline CDBDataParameter Param(const char *code, int address, int cur, int def, int min, int max,
                              const char *name = "参数", const char *unit = "ms")
{
    CDBDataParameter p;
    p.sNum = QString::fromLatin1(code);
    p.sGroupNO = p.sNum.left(3);
    p.dwAddress = address;
    p.dwWidth = 16;
    p.iCurValue = cur;
    p.iDefaultValue = def;
    p.iMin = min;
    p.iMax = max;
    p.sName = QString::fromUtf8(name);
    p.sUnit = QString::fromUtf8(unit);
    p.nAxisID = 1;
    p.nDeviceID = 1;
    return p;
}

inline QList<CDBDataParameter> Table()
{
    QList<CDBDataParameter> t;
    CDBDataParameter mode = Param("P0001", 0x0001, 1, 0, 0, 2, "控制模式选择", "");
    mode.dwInput = 1;
    for (const auto &[v, d] : {std::pair{0, "位置模式"}, std::pair{1, "速度模式"}, std::pair{2, "转矩模式"}}) {
        CDBDataSelects s;
        s.iValue = v;
        s.sDescription = QString::fromUtf8(d);
        mode.m_arrSelects.push_back(s);
    }
    t.push_back(mode);
    t.push_back(Param("P0608", 0x0608, 1500, 0, 0, 10000, "软启动加速时间"));
    t.push_back(Param("P0902", 0x0902, -250, 0, -5000, 5000, "转矩指令", "0.1%"));
    t.push_back(Param("P0200", 0x0200, 40, 40, 1, 2000, "速度比例增益", ""));
    CDBDataParameter model = Param("P8970", 0x8970, int(0xA1B2C3D4u), 0x4452, INT32_MIN, INT32_MAX, "型号1", "");
    t.push_back(model);
    return t;
}

inline const CDBDataParameter *Find(const QList<CDBDataParameter> &list, const QString &code)
{
    for (const CDBDataParameter &p : list)
        if (p.sNum == code)
            return &p;
    return nullptr;
}

}
