#include "DlgPositionCtrl.h"

#include "Wnds/Controls/DiagramLayouts.h"

#include <QLineEdit>

CDlgPositionCtrl::CDlgPositionCtrl()
    : CLoopDiagramPage(IDD, IDC_DIAGRAM, QRect(7, 7, 302, 168), new CRecvMsgPositionCtrlContainer,
                       "Wnds\\Controls\\DlgPositionCtrl", 1128)
{
    resize(MapDialogRect(QRect(0, 0, 316, 182)).size());
}

const std::map<int, std::vector<WORD>> &CDlgPositionCtrl::RegisterTable()
{
    static const std::map<int, std::vector<WORD>> table = {
        {1107, {0x0329}}, {1108, {0x032A}}, {1109, {0x032B}}, {1110, {0x0320}},
        {1111, {0x0321}}, {1112, {0x0203}}, {1113, {0x0610}}, {1114, {0x0612}},
        {1115, {0x0614}}, {1116, {0x0205}}, {1117, {0x021F}}, {1118, {0x0204}},
        {1119, {0x0206}}, {1120, {0x0303}}, {1121, {0x0304}}, {1122, {0x0305}},
        {1123, {0x070F}}, {1124, {0x0711}}, {1125, {0x0712}}, {1126, {0x0713}},
        {1127, {0x0714}}, {kModelGainEditId, {}},
    };
    return table;
}

std::vector<WORD> CDlgPositionCtrl::RegistersOf(int editId) const
{
    const auto it = RegisterTable().find(editId);
    return it == RegisterTable().end() ? std::vector<WORD>{} : it->second;
}

QRectF CDlgPositionCtrl::SelectorRect() const
{
    return QRectF(QPointF(870, 10), QPointF(1170, 50));
}

QStringList CDlgPositionCtrl::SelectorEntries() const
{
    return {QStringLiteral("0-位置控制"), QStringLiteral("1-模型位置控制")};
}

bool CDlgPositionCtrl::BuildModeDiagram(int nMode)
{
    if (nMode == 0)
        BuildPositionControlDiagram();
    else if (nMode == 1)
        BuildModelPositionControlDiagram();
    else
        return false;
    return true;
}

void CDlgPositionCtrl::BuildPositionControlDiagram()
{
    BuildLayoutDiagram(PositionControlLayout(), Diagram(), m_mapEditItem, [this](int id) { return BoxUnit(id); });
}

void CDlgPositionCtrl::BuildModelPositionControlDiagram()
{
    BuildLayoutDiagram(ModelPositionControlLayout(), Diagram(), m_mapEditItem, [this](int id) { return BoxUnit(id); });
}

void CDlgPositionCtrl::AfterBuild()
{
    if (QLineEdit *gain = BoxEdit(kModelGainEditId)) {
        gain->setReadOnly(true);
        // Greyed, so that it does not look like a box that takes a value.
        gain->setStyleSheet(QStringLiteral("QLineEdit { background: #ececec; }"));
    }
}
