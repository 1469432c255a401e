#include "DiagramLayouts.h"

#include "BCGPDiagramControlObject.h"
#include "platform/LanguageConf.h"

#include <QFontMetricsF>
#include <QString>

#include <algorithm>
#include <cmath>

using namespace diagram_colours;

namespace {

constexpr int L = kPortLeft;
constexpr int R = kPortRight;
constexpr int T = kPortTop;
constexpr int B = kPortBottom;

using K = LayoutItemKind;

// A point on one port of one item, moved by (dx, dy).
LayoutPoint P(int item, int port, int dx, int dy, int ex, int ey)
{
    return {{item, port, dx}, {item, port, dy}, {ex, ey}};
}
LayoutPoint P(int item, int port, int ex, int ey)
{
    return P(item, port, 0, 0, ex, ey);
}
// x from one port, y from another.
LayoutPoint PX(int xItem, int xPort, int dx, int yItem, int yPort, int dy, int ex, int ey)
{
    return {{xItem, xPort, dx}, {yItem, yPort, dy}, {ex, ey}};
}

LayoutItem Box(int id, const char *label, const char *unit, int l, int t, int r, int b,
               unsigned style = kStyleNone)
{
    return {K::Box, id, label, unit, l, t, r, b, style};
}
LayoutItem Block(const char *text, int l, int t, int r, int b, unsigned style = kStyleNone)
{
    return {K::Block, 0, text, nullptr, l, t, r, b, style};
}
LayoutItem Sign(const char *text, int l, int t, int r, int b)
{
    return {K::Junction, 0, text, nullptr, l, t, r, b, kStyleOutlineWhite};
}
LayoutItem Meet(int l, int t, int r, int b)
{
    return {K::Junction, 0, "", nullptr, l, t, r, b, kStyleNone};
}
LayoutItem Branch(int l, int t, int r, int b)
{
    return {K::Branch, 0, "", nullptr, l, t, r, b, kStyleNone};
}

constexpr unsigned W = kStyleOutlineWhite;

DiagramLayout MakePositionControl()
{
    DiagramLayout d;
    d.boxWidth = 120;
    d.items = {
        Block("位置指令", 5, 185, 55, 225, W),
        Block("位置指令滤波器", 65, 210, 165, 250),
        Box(1107, " P0329\n 低频振动频率", "Hz", 55, 290, 175, 370),
        Box(1108, " P032A\n 减振陷波频率比", nullptr, 55, 375, 175, 455),
        Box(1109, " P032B\n 减振陷波宽度", nullptr, 55, 460, 175, 540),
        Box(1110, " P0320\n 平滑滤波时间", "ms", 55, 105, 175, 185),
        Box(1111, " P0321\n FIR滤波时间", "ms", 55, 20, 175, 100),
        Branch(190, 225, 200, 235),
        Sign("+", 173, 208, 188, 223),
        Sign("-", 173, 235, 188, 250),
        Box(1112, " P0203\n 位置环增益", "rad/s", 220, 190, 340, 270),
        Block("速度限制", 365, 210, 445, 250, kStyleFillSmoke),
        Box(1113, " P0610\n 最大速度", "rpm", 345, 290, 465, 370),
        Box(1114, " P0612\n 正转速度限制", "rpm", 345, 375, 465, 455),
        Box(1115, " P0614\n 反转速度限制", "rpm", 345, 460, 465, 540),
        Meet(497, 225, 507, 235),
        Sign("+", 480, 208, 495, 223),
        Sign("-", 480, 235, 495, 250),
        Box(1116, " P0205\n 速度积分时间", "ms", 527, 190, 647, 270),
        Box(1117, " P021F\n PDFF增益", "%", 527, 105, 647, 185),
        Branch(667, 225, 677, 235),
        Sign("+", 650, 208, 665, 223),
        Sign("+", 650, 235, 665, 250),
        Sign("-", 682, 235, 697, 250),
        Box(1118, " P0204\n 速度环增益", "Hz", 697, 190, 817, 270),
        Block("转矩滤波器", 857, 210, 937, 250),
        Box(1119, " P0206\n 转矩滤波时间", "ms", 837, 105, 957, 185),
        Box(1120, " P0303-P030C\n 第1-4陷波器频率", "Hz", 837, 290, 957, 370),
        Box(1121, " P0304-P030D\n 第1-4陷波器宽度", nullptr, 837, 375, 957, 455, kStyleMarginRight5),
        Box(1122, " P0305-P030E\n 第1-4陷波器深度", "%", 837, 460, 957, 540),
        Block("转矩限制", 1050, 210, 1130, 250),
        Box(1123, " P070F\n 转矩限制方式选择", "rpm", 1030, 105, 1150, 185),
        Box(1124, " P0711\n 正向内部转矩限制", "%", 963, 290, 1083, 370),
        Box(1125, " P0712\n 反向内部转矩限制", "%", 963, 375, 1083, 455),
        Box(1126, " P0713\n 正向外部转矩限制", "%", 1088, 290, 1208, 370),
        Box(1127, " P0714\n 反向外部转矩", "%", 1088, 375, 1208, 455),
        Block("转矩指令", 1130, 200, 1210, 220, W),
        Block("速度反馈", 697, 510, 817, 530, W),
        Block("位置反馈", 220, 510, 340, 530, W),
    };
    d.connectors = {
        {P(2, L, -60, 0, 5, 230), {}, P(2, L, 65, 230)},
        {P(2, T, 115, 210), {}, P(6, B, 115, 185)},
        {P(2, B, 115, 250), {}, P(3, T, 115, 290)},
        {P(2, R, 165, 230), {}, P(8, L, 190, 230)},
        {P(8, R, 200, 230), {}, P(11, L, 220, 230)},
        {P(11, R, 340, 230), {}, P(12, L, 365, 230)},
        {P(12, B, 405, 250), {}, P(13, T, 405, 290)},
        {P(12, R, 445, 230), {}, P(16, L, 497, 230)},
        {P(12, R, 20, 0, 465, 230), {PX(12, R, 20, 20, L, 0, 465, 145)}, P(20, L, 527, 145)},
        {P(20, R, 647, 145), {PX(21, T, 0, 20, R, 0, 672, 145)}, P(21, T, 672, 225)},
        {P(16, R, 507, 230), {}, P(19, L, 527, 230)},
        {P(19, R, 647, 230), {}, P(21, L, 667, 230)},
        {P(21, R, 677, 230), {}, P(25, L, 697, 230)},
        {P(25, R, 817, 230), {}, P(26, L, 857, 230)},
        {P(26, T, 897, 210), {}, P(27, B, 897, 185)},
        {P(26, B, 897, 250), {}, P(28, T, 897, 290)},
        {P(26, R, 937, 230), {}, P(31, L, 1050, 230)},
        {P(31, R, 1130, 230), {}, P(31, R, 70, 0, 1200, 230)},
        {P(31, T, 1090, 210), {}, P(32, B, 1090, 185)},
        {P(31, B, 1090, 250), {P(31, B, 0, 20, 1090, 270), PX(33, T, 0, 31, B, 20, 1023, 270)}, P(33, T, 1023, 290)},
        {P(31, B, 1090, 250), {P(31, B, 0, 20, 1090, 270), PX(35, T, 0, 31, B, 20, 1148, 270)}, P(35, T, 1148, 290)},
        {P(31, B, 70, 300, 1160, 550), {PX(21, B, 0, 31, B, 300, 672, 550)}, P(21, B, 672, 235)},
        {P(31, B, 70, 300, 1160, 550), {PX(16, B, 0, 31, B, 300, 502, 550)}, P(16, B, 502, 235)},
        {P(31, B, 70, 300, 1160, 550), {PX(8, B, 0, 31, B, 300, 195, 550)}, P(8, B, 195, 235)},
    };
    return d;
}

DiagramLayout MakeModelPositionControl()
{
    DiagramLayout d;
    d.boxWidth = 120;
    // The model gain box runs from the position gain box to the left edge of sign 25.
    const int modelRight = 190 + (633 - 190 + 120);
    d.items = {
        Block("位置\n指令", 5, 185, 40, 220, W),
        Block("位置指令滤波器", 45, 210, 145, 250),
        Box(1107, " P0329\n 低频振动频率", "Hz", 35, 290, 155, 370),
        Box(1108, " P032A\n 减振陷波频率比", nullptr, 35, 375, 155, 455),
        Box(1109, " P032B\n 减振陷波宽度", nullptr, 35, 460, 155, 540),
        Box(1110, " P0320\n 平滑滤波时间", "ms", 35, 105, 155, 185),
        Box(1111, " P0321\n FIR滤波时间", "ms", 35, 20, 155, 100),
        Branch(165, 225, 175, 235),
        Sign("+", 148, 208, 163, 223),
        Sign("-", 148, 235, 163, 250),
        Box(1112, " P0203\n 位置环增益", "rad/s", 190, 190, 310, 270),
        Branch(330, 225, 340, 235),
        Sign("+", 313, 208, 328, 223),
        Sign("+", 313, 235, 328, 250),
        Block("速度限制", 360, 210, 440, 250, kStyleFillSmoke),
        Box(1113, " P0610\n 最大速度", "rpm", 340, 290, 460, 370),
        Box(1114, " P0612\n 正转速度限制", "rpm", 340, 375, 460, 455),
        Box(1115, " P0614\n 反转速度限制", "rpm", 340, 460, 460, 540),
        Meet(480, 225, 490, 235),
        Sign("+", 463, 208, 478, 223),
        Sign("-", 463, 235, 478, 250),
        Box(1116, " P0205\n 速度积分时间", "ms", 510, 190, 630, 270),
        Box(1117, " P021F\n PDFF增益", "%", 510, 105, 630, 185),
        Branch(650, 225, 660, 235),
        Sign("+", 633, 208, 648, 223),
        Sign("+", 633, 235, 648, 250),
        Sign("-", 665, 235, 680, 250),
        Box(1118, " P0204\n 速度环增益", "Hz", 680, 190, 800, 270),
        Branch(820, 225, 830, 235),
        Sign("+", 803, 208, 818, 223),
        Sign("+", 803, 235, 818, 250),
        Block("转矩滤波器", 860, 210, 940, 250),
        Box(1119, " P0206\n 转矩滤波时间", "ms", 840, 105, 960, 185),
        Box(1120, " P0303-P030C\n 第1-4陷波器频率", "Hz", 840, 290, 960, 370),
        Box(1121, " P0304-P030D\n 第1-4陷波器宽度", nullptr, 840, 375, 960, 455, kStyleMarginRight5),
        Box(1122, " P0305-P030E\n 第1-4陷波器深度", "%", 840, 460, 960, 540),
        Block("转矩限制", 1053, 210, 1133, 250),
        Box(1123, " P070F\n 转矩限制方式选择", "rpm", 1033, 105, 1153, 185),
        Box(1124, " P0711\n 正向内部转矩限制", "%", 966, 290, 1086, 370),
        Box(1125, " P0712\n 反向内部转矩限制", "%", 966, 375, 1086, 455),
        Box(1126, " P0713\n 正向外部转矩限制", "%", 1091, 290, 1211, 370),
        Box(1127, " P0714\n 反向外部转矩", "%", 1091, 375, 1211, 455),
        Block("转矩指令", 1138, 200, 1218, 220, W),
        Block("速度反馈", 680, 510, 800, 530, W),
        Block("位置反馈", 190, 510, 310, 530, W),
        Box(1128, " P0713\n 模型位置增益", "rad/s", 190, 20, modelRight, 100),
    };
    d.connectors = {
        {P(2, L, -40, 0, 5, 230), {}, P(2, L, 45, 230)},
        {P(2, T, 95, 210), {}, P(6, B, 95, 185)},
        {P(2, B, 95, 250), {}, P(3, T, 95, 290)},
        {P(2, R, 145, 230), {}, P(8, L, 165, 230)},
        {P(8, R, 175, 230), {}, P(11, L, 190, 230)},
        {P(11, R, 310, 230), {}, PX(15, L, 0, 11, R, 0, 360, 230)},
        {P(15, B, 400, 250), {}, P(16, T, 400, 290)},
        {P(15, R, 440, 230), {}, PX(19, L, 0, 15, R, 0, 480, 230)},
        {P(15, R, 20, 0, 460, 230), {PX(15, R, 20, 23, L, 0, 460, 145)}, P(23, L, 510, 145)},
        {P(23, R, 630, 145), {PX(24, T, 0, 23, R, 0, 655, 145)}, P(24, T, 655, 225)},
        {P(19, R, 490, 230), {}, P(22, L, 510, 230)},
        {P(22, R, 630, 230), {}, P(24, L, 650, 230)},
        {P(24, R, 660, 230), {}, P(28, L, 680, 230)},
        {P(28, R, 800, 230), {}, P(29, L, 820, 230)},
        {P(29, R, 830, 230), {}, P(32, L, 860, 230)},
        {P(32, T, 900, 210), {}, P(33, B, 900, 185)},
        {P(32, B, 900, 250), {}, P(34, T, 900, 290)},
        {P(32, R, 940, 230), {}, P(37, L, 1053, 230)},
        {P(37, R, 1133, 230), {}, P(37, R, 70, 0, 1203, 230)},
        {P(37, T, 1093, 210), {}, P(38, B, 1093, 185)},
        {P(37, B, 1093, 250), {P(37, B, 0, 20, 1093, 270), PX(39, T, 0, 37, B, 20, 1026, 270)}, P(39, T, 1026, 290)},
        {P(37, B, 1093, 250), {P(37, B, 0, 20, 1093, 270), PX(41, T, 0, 37, B, 20, 1151, 270)}, P(41, T, 1151, 290)},
        {P(37, B, 70, 300, 1163, 550), {PX(24, B, 0, 37, B, 300, 655, 550)}, P(24, B, 655, 235)},
        {P(37, B, 70, 300, 1163, 550), {PX(19, B, 0, 37, B, 300, 485, 550)}, P(19, B, 485, 235)},
        {P(37, B, 70, 300, 1163, 550), {PX(8, B, 0, 37, B, 300, 170, 550)}, P(8, B, 170, 235)},
        {P(46, L, 70, 0, 260, 60), {PX(8, T, 0, 46, L, 0, 170, 60)}, P(8, T, 170, 225)},
        {PX(12, T, 0, 46, B, 0, 335, 100), {}, P(12, T, 335, 225)},
        {P(46, R, 753, 60), {PX(29, T, 0, 46, R, 0, 825, 60)}, P(29, T, 825, 225)},
    };
    return d;
}

DiagramLayout MakeSpeedLoop()
{
    DiagramLayout d;
    d.boxWidth = 130;
    d.items = {
        Box(1107, " P0608\n 软启动加速时间", "ms", 55, 210, 185, 290),
        Box(1108, " P0609\n 软启动减速时间", "ms", 55, 295, 185, 375),
        Box(1109, " P021F\n PDFF增益", "%", 280, 15, 410, 95),
        Box(1110, " P0205\n 速度积分时间", "ms", 280, 100, 410, 180),
        Box(1111, " P0204\n 速度环增益", "Hz", 521, 100, 651, 180),
        Box(1112, " P0206\n 转矩滤波时间", "ms", 612, 210, 742, 290),
        Box(1113, " P0303-P030C\n 第1-4陷波器频率", "Hz", 747, 210, 877, 290),
        Box(1114, " P0304-P030D\n 第1-4陷波器宽度", nullptr, 747, 295, 877, 375, kStyleMarginRight5),
        Box(1115, " P0305-P030E\n 第1-4陷波器深度", "%", 747, 380, 877, 460),
        Box(1116, " P070F\n 转矩限制方式选择", "rpm", 887, 210, 1017, 290),
        Box(1117, " P0711\n 正向内部转矩限制", "%", 1022, 210, 1152, 290),
        Box(1118, " P0712\n 反向内部转矩限制", "%", 1022, 295, 1152, 375),
        Box(1119, " P0713\n 正向外部转矩限制", "%", 1022, 380, 1152, 460),
        Box(1120, " P0714\n 负向外部转矩限制", "%", 1022, 465, 1152, 545),
        Block("速度指令", 15, 95, 95, 135, W),
        Block("软启动", 100, 120, 140, 160),
        Branch(210, 135, 220, 145),
        Branch(460, 135, 470, 145),
        Block("转矩滤波器", 694, 120, 794, 160),
        Block("转矩限制", 979, 120, 1059, 160),
        Block("转矩指令", 1090, 95, 1170, 135, W),
        Block("速度反馈", 610, 510, 740, 550, W),
        Sign("+", 192, 118, 207, 133),
        Sign("-", 192, 145, 207, 160),
        Sign("+", 440, 118, 455, 133),
        Sign("-", 473, 145, 488, 160),
        Sign("+", 440, 145, 455, 160),
    };
    d.connectors = {
        {P(16, L, -80, 0, 20, 140), {}, P(16, L, 100, 140)},
        {P(16, B, 120, 160), {}, P(1, T, 120, 210)},
        {P(16, R, 140, 140), {}, P(17, L, 210, 140)},
        {P(16, R, 20, 0, 160, 140), {PX(16, R, 20, 3, L, 0, 160, 55)}, P(3, L, 280, 55)},
        {P(3, R, 410, 55), {PX(18, T, 0, 3, R, 0, 465, 55)}, P(18, T, 465, 135)},
        {P(17, R, 220, 140), {}, P(4, L, 280, 140)},
        {P(4, R, 410, 140), {}, P(18, L, 460, 140)},
        {P(18, R, 470, 140), {}, P(5, L, 521, 140)},
        {P(5, R, 651, 140), {}, P(19, L, 694, 140)},
        {P(19, B, 744, 160), {P(19, B, 0, 20, 744, 180), PX(6, T, 0, 19, B, 20, 677, 180)}, P(6, T, 677, 210)},
        {P(19, B, 744, 160), {P(19, B, 0, 20, 744, 180), PX(7, T, 0, 19, B, 20, 812, 180)}, P(7, T, 812, 210)},
        {P(19, R, 794, 140), {}, P(20, L, 979, 140)},
        {P(20, R, 1059, 140), {}, P(20, R, 140, 0, 1199, 140)},
        {P(20, B, 1019, 160), {P(20, B, 0, 20, 1019, 180), PX(10, T, 0, 20, B, 20, 952, 180)}, P(10, T, 952, 210)},
        {P(20, B, 1019, 160), {P(20, B, 0, 20, 1019, 180), PX(11, T, 0, 20, B, 20, 1087, 180)}, P(11, T, 1087, 210)},
        {P(20, R, 140, 420, 1199, 560), {PX(17, B, 0, 20, R, 420, 215, 560)}, P(17, B, 215, 145)},
        {P(20, R, 140, 420, 1199, 560), {PX(18, B, 0, 20, R, 420, 465, 560)}, P(18, B, 465, 145)},
    };
    return d;
}

// A unit wider than its place ("0.01ms") takes the room up to the box's edge, and then moves
// into the edit's margin: a unit is never cut.
void FitUnit(CMyEditDiagramControlObject *box, int boxRight)
{
    const DiagramText *unit = box->GetTextData(1);
    if (!unit || box->TextRects().size() < 2)
        return;
    const double need = std::ceil(QFontMetricsF(unit->GetTextFormat().ToFont()).horizontalAdvance(unit->Text())) + 2.0;
    QRectF r = box->TextRects()[1];
    if (r.width() >= need)
        return;
    r.setRight(std::min<double>(boxRight - 3, r.left() + need));
    r.setLeft(std::min(r.left(), r.right() - need));
    box->SetTextRect(1, r);
    box->m_dblMarginRight = std::max(box->m_dblMarginRight, boxRight - r.left() + 5.0);
}

DiagramShape *MakeShape(const LayoutItem &it, int boxWidth, const BoxUnitLookup &unitOf)
{
    const QRectF rect(QPointF(it.left, it.top), QPointF(it.right, it.bottom));
    const bool whiteOutline = it.style & kStyleOutlineWhite;
    const QColor fill = it.style & kStyleFillSmoke ? kWhiteSmoke : kWhite;
    const QColor outline = whiteOutline ? kWhite : kGreen;
    switch (it.kind) {
    case K::Block:
    case K::Junction:
    case K::Branch: {
        const int kind = it.kind == K::Block ? DiagramShape::kBox
                         : it.kind == K::Junction ? DiagramShape::kEllipse
                                                  : DiagramShape::kRoundEnds;
        auto *s = new DiagramShape(rect, fill, outline, kind, kWhite);
        s->AddTextData(TrText(QString::fromUtf8(it.text)), kBlack);
        return s;
    }
    case K::Box: {
        auto *box = new CMyEditDiagramControlObject(rect, kWhiteSmoke, kGreen, kShadowGrey);
        box->AddTextData(TrText(QString::fromUtf8(it.text)), kBlack);
        if (it.unit) {
            const std::optional<QString> unit = unitOf ? unitOf(it.editId) : std::nullopt;
            box->AddTextData(unit ? *unit : QString::fromUtf8(it.unit), kBlack);
        }
        const QRect r(QPoint(it.left, it.top), QPoint(it.right, it.bottom));  // edges as given
        box->AddTextRect(QRectF(QPointF(r.left(), r.top() + 5), QPointF(r.left() + boxWidth, r.top() + 45)));
        if (it.unit)
            box->AddTextRect(QRectF(QPointF(it.right - 45, it.top + 50), QPointF(it.right - 15, it.top + 70)));
        const double right = it.style & kStyleMarginRight5 ? 5.0 : 50.0;
        SetParameterBoxFormat(box, QSizeF(30.0, 5.0), QSizeF(5.0, right));
        if (it.unit)
            FitUnit(box, it.right);
        return box;
    }
    }
    return nullptr;
}

double Coord(const std::vector<DiagramShape *> &shapes, const PortCoord &c, bool x)
{
    const QPointF port = shapes.at(static_cast<size_t>(c.item - 1))->UseConnectionPort(c.port);
    return (x ? port.x() : port.y()) + c.offset;
}

}

int DiagramLayout::BoxCount() const
{
    int n = 0;
    for (const LayoutItem &it : items)
        n += it.kind == LayoutItemKind::Box ? 1 : 0;
    return n;
}

const DiagramLayout &PositionControlLayout()
{
    static const DiagramLayout d = MakePositionControl();
    return d;
}

const DiagramLayout &ModelPositionControlLayout()
{
    static const DiagramLayout d = MakeModelPositionControl();
    return d;
}

const DiagramLayout &SpeedLoopLayout()
{
    static const DiagramLayout d = MakeSpeedLoop();
    return d;
}

QPointF DeriveLayoutPoint(const std::vector<DiagramShape *> &shapes, const LayoutPoint &pt)
{
    return QPointF(Coord(shapes, pt.x, true), Coord(shapes, pt.y, false));
}

void BuildLayoutDiagram(const DiagramLayout &layout, DiagramScene *scene, EditItemMap &map,
                        const BoxUnitLookup &unitOf)
{
    map.clear();
    std::vector<DiagramShape *> shapes;
    shapes.reserve(layout.items.size());
    for (const LayoutItem &it : layout.items) {
        DiagramShape *s = MakeShape(it, layout.boxWidth, unitOf);
        // A caption longer in this language than its shape goes on more lines.
        s->WrapTextData();
        shapes.push_back(s);
        if (it.kind == LayoutItemKind::Box)
            AddParameterBox(scene, map, static_cast<CBCGPDiagramControlObject *>(s), it.editId);
        else
            scene->AddItem(s, true);
    }
    QVector<QPointF> bends;
    for (const LayoutConnector &c : layout.connectors) {
        const QPointF start = DeriveLayoutPoint(shapes, c.start);
        Q_ASSERT(start == QPointF(c.start.expected));
        for (const LayoutPoint &b : c.bends) {
            bends.append(DeriveLayoutPoint(shapes, b));
            Q_ASSERT(bends.last() == QPointF(b.expected));
        }
        const QPointF end = DeriveLayoutPoint(shapes, c.end);
        Q_ASSERT(end == QPointF(c.end.expected));
        AddDiagramConnector(scene, start, end, bends);
    }
}
