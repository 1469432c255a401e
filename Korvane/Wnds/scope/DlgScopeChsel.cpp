#include "Wnds/scope/DlgScopeChsel.h"

#include "Wnds/scope/ScopePanelLogic.h"
#include "Wnds/scope/ScopeSettings.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

const std::vector<DlgScopeChsel::Item> &DlgScopeChsel::Items()
{
    static const std::vector<Item> items = {
        {1134, 128, "位置指令增量(编码器单位)", 32}, {1135, 129, "位置反馈增量(编码器单位)", 32},
        {1136, 130, "位置随动偏差(编码器单位)", 32}, {1137, 131, "编码器单圈数据(编码器单位)", 32},
        {1138, 132, "位置反馈计数器(编码器单位)", 32}, {1139, 133, "位置反馈绝对值(编码器单位)", 32},
        {1140, 134, "输入脉冲计数(齿轮比之前)", 32}, {1141, 135, "输入脉冲计数(齿轮比之后)", 32},
        {1142, 136, "位置指令增量值(齿轮比之后)", 32}, {1143, 137, "位置指令随动误差(指令单位)", 32},
        {1144, 138, "外部编码器反馈显示", 32}, {1145, 139, "混合控制脉冲偏差", 32},
        {1146, 140, "FUNC测试1_1", 32}, {1147, 141, "FUNC测试2_1", 32},
        {1151, 142, "FUNC测试3_1", 32}, {1160, 143, "FUNC测试4_1", 32},
        {95, 144, "MTR测试1_1", 32}, {98, 145, "MTR测试2_1", 32},
        {1161, 146, "MTR测试3_1", 32}, {1162, 147, "MTR测试4_1", 32},
        {2321, 1, "DI", 16}, {2322, 2, "DO", 16},
        {1148, 160, "速度指令(r/min)", 16}, {1149, 161, "速度反馈(r/min)", 16},
        {1150, 162, "转矩指令(%)", 16}, {1159, 163, "Q轴电流反馈(%)", 16},
        {1152, 164, "D轴电流反馈(%)", 16}, {1153, 165, "U相电流(A)", 16},
        {1154, 166, "V相电流(A)", 16}, {1155, 167, "W相电流(A)", 16},
        {1156, 168, "母线电压(V)", 16}, {1157, 169, "平均负载率(%)", 16},
        {1158, 170, "模拟量输入AI1(mV)", 16}, {1167, 171, "模拟量输入AI2(mV)", 16},
        {1168, 172, "主循环程序运行时间", 16}, {1169, 173, "主中断程序运行时间", 16},
        {1170, 174, "软中断程序运行时间", 16}, {1171, 175, "主循环中程序调度时间", 16},
        {1172, 176, "主中断调度时间", 16}, {1173, 177, "软中断调度时间", 16},
        {1174, 178, "ECAT_IRQ执行时间", 16}, {1175, 179, "ECAT_IRQ调度周期", 16},
        {1176, 180, "ECAT_SYNC0执行时间", 16}, {1177, 181, "ECAT_SYNC0调度周期", 16},
        {1163, 182, "FUNC测试1_2", 16}, {1164, 183, "FUNC测试2_2", 16},
        {1165, 184, "FUNC测试3_2", 16}, {1166, 185, "FUNC测试4_2", 16},
        {96, 186, "MTR测试1_2", 16}, {99, 187, "MTR测试2_2", 16},
        {1178, 188, "MTR测试3_2", 16}, {1179, 189, "MTR测试4_2", 16},
    };
    return items;
}

DlgScopeChsel::DlgScopeChsel() : CDialogExMid(IDD, nullptr)
{
    m_strLangSection = QStringLiteral("DlgScopeChsel");
    setWindowTitle(QStringLiteral("通道内容选择"));
    resize(MapDialogRect(QRect(0, 0, 480, 363)).size());
    auto *g32 = new QGroupBox(QStringLiteral("32位数据"), this);
    // Three columns in both groups: room for the longest names of every language.
    g32->setGeometry(MapDialogRect(QRect(5, 5, 470, 125)));
    auto *g16 = new QGroupBox(QStringLiteral("16位数据"), this);
    g16->setGeometry(MapDialogRect(QRect(5, 133, 470, 190)));
    int n32 = 0, n16 = 0;
    for (const Item &it : Items()) {
        auto *box = new QCheckBox(QString::fromUtf8(it.text), this);
        platform::SetCtrlId(box, it.nId);
        if (it.nBits == 32) {
            box->setGeometry(MapDialogRect(QRect(12 + (n32 % 3) * 155, 16 + (n32 / 3) * 15, 150, 10)));
            ++n32;
        } else {
            box->setGeometry(MapDialogRect(QRect(12 + (n16 % 3) * 155, 145 + (n16 / 3) * 15, 150, 10)));
            ++n16;
        }
        m_boxes.push_back(box);
    }
    auto *budget = new QLabel(QStringLiteral("总容量：64"), this);
    budget->setGeometry(MapDialogRect(QRect(10, 333, 70, 12)));
    auto *sum = new QLabel(QStringLiteral("信号量总计："), this);
    sum->setGeometry(MapDialogRect(QRect(90, 333, 60, 12)));
    m_edit = new QLineEdit(this);
    platform::SetCtrlId(m_edit, IDC_TOTAL);
    m_edit->setReadOnly(true);
    m_edit->setGeometry(MapDialogRect(QRect(150, 331, 40, 14)));
    auto *unit = new QLabel(QStringLiteral("[bit]"), this);
    unit->setGeometry(MapDialogRect(QRect(194, 333, 30, 12)));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(340, 331, 60, 16)));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(410, 331, 60, 16)));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

QCheckBox *DlgScopeChsel::Box(int id) const
{
    const auto &items = Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].nId == id)
            return m_boxes[i];
    return nullptr;
}

bool DlgScopeChsel::OnInitDialog()
{
    // Each item is named as its source is named in the source lists, in every language.
    const auto &items = Items();
    for (const Item &it : items)
        m_setNoTranslateIds.insert(static_cast<UINT>(it.nId));
    CDialogExMid::OnInitDialog();
    const CScopeSettings *settings = CScopeSettings::GetInstance();
    m_arrIds.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
        m_arrIds.push_back(items[i].nId);
        QString name = settings ? settings->FindChannelName(items[i].nCode) : QString();
        if (name.isEmpty())
            name = QString::fromUtf8(items[i].text);
        m_boxes[i]->setText(name);
        m_boxes[i]->setChecked(false);
    }
    m_nTimerID = kTimerId;
    m_nElapse = kTimerMs;
    SetTimer(kTimerId, kTimerMs);
    return true;
}

void DlgScopeChsel::OnTimer(UINT_PTR id)
{
    if (id == kTimerId)
        Refresh();
}

void DlgScopeChsel::Refresh()
{
    const auto &items = Items();
    m_nTotal = 0;
    m_nCount32 = 0;
    m_nCount16 = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!m_boxes[i]->isChecked())
            continue;
        m_nTotal += items[i].nBits;
        (items[i].nBits == 32 ? m_nCount32 : m_nCount16)++;
    }
    m_edit->setText(QString::number(m_nTotal));
    for (std::size_t i = 0; i < items.size(); ++i)
        m_boxes[i]->setEnabled(m_boxes[i]->isChecked() ||
                               m_nTotal + items[i].nBits <= scopepanel::kChselBudgetBits);
}

void DlgScopeChsel::OnOK()
{
    // Counted now: boxes ticked since the last refresh count too.
    Refresh();
    CScopeSettings *settings = CScopeSettings::GetInstance();
    if (!settings)
        return;
    QStringList ticked32, ticked16;
    const auto &items = Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (m_boxes[i]->isChecked())
            (items[i].nBits == 32 ? ticked32 : ticked16) << m_boxes[i]->text();
    const scopepanel::ChselResult r =
        scopepanel::AssignChselSlots(ticked32, ticked16, settings->m_strChannelName, settings->m_nChselKind);
    if (!r.stored) {
        platform::Ui().MessageBox(TrText(QStringLiteral("选择内容超过64位，请重新选择")), QString(), MB_OK, this);
        return;
    }
    settings->m_nChselKind = r.layout;
    for (int i = 0; i < 4; ++i)
        settings->m_strChannelName[i] = r.names[i];
    KillTimer(kTimerId);
    CDialogExMid::OnOK();
}
