#include "DlgSpeedLoop.h"

#include "Wnds/Controls/DiagramLayouts.h"

CDlgSpeedLoop::CDlgSpeedLoop()
    : CLoopDiagramPage(IDD, IDC_DIAGRAM, QRect(7, 7, 300, 168), new CRecvMsgSpeedLoopContainer,
                       "Wnds\\Controls\\DlgSpeedLoop", 1120)
{
    resize(MapDialogRect(QRect(0, 0, 314, 182)).size());
}

const std::map<int, std::vector<WORD>> &CDlgSpeedLoop::RegisterTable()
{
    // A notch box sets its quantity on all four notch filters, three registers apart.
    static const std::map<int, std::vector<WORD>> table = {
        {1107, {0x0608}}, {1108, {0x0609}}, {1109, {0x021F}}, {1110, {0x0205}},
        {1111, {0x0204}}, {1112, {0x0206}},
        {1113, {0x0303, 0x0306, 0x0309, 0x030C}},
        {1114, {0x0304, 0x0307, 0x030A, 0x030D}},
        {1115, {0x0305, 0x0308, 0x030B, 0x030E}},
        {1116, {0x070F}}, {1117, {0x0711}}, {1118, {0x0712}}, {1119, {0x0713}},
        {1120, {0x0714}},
    };
    return table;
}

std::vector<WORD> CDlgSpeedLoop::RegistersOf(int editId) const
{
    const auto it = RegisterTable().find(editId);
    return it == RegisterTable().end() ? std::vector<WORD>{} : it->second;
}

QRectF CDlgSpeedLoop::SelectorRect() const
{
    return QRectF(QPointF(695, 10), QPointF(995, 50));
}

QStringList CDlgSpeedLoop::SelectorEntries() const
{
    return {QStringLiteral("0-速度控制")};
}

bool CDlgSpeedLoop::BuildModeDiagram(int nMode)
{
    if (nMode != 0)
        return false;
    BuildSpeedLoopDiagram();
    return true;
}

void CDlgSpeedLoop::BuildSpeedLoopDiagram()
{
    BuildLayoutDiagram(SpeedLoopLayout(), Diagram(), m_mapEditItem, [this](int id) { return BoxUnit(id); });
}
