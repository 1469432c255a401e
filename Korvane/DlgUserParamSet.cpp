#include "DlgUserParamSet.h"

#include "DlgDesktop.h"
#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

const QList<CDBDataParameter> &DriveTable()
{
    static const QList<CDBDataParameter> kNone;
    CSysParam *sys = GetSysParam();
    const CDataAxisParameter *axis = sys ? sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID) : nullptr;
    return axis ? axis->m_arrParameter : kNone;
}

const CDBDataParameter *FindCode(const QList<CDBDataParameter> &list, const QString &code)
{
    for (const CDBDataParameter &p : list)
        if (p.sNum == code)
            return &p;
    return nullptr;
}

QTreeWidget *MakeList(QWidget *parent, int id)
{
    auto *list = new QTreeWidget(parent);
    platform::SetCtrlId(list, id);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setUniformRowHeights(true);
    return list;
}

}

CDlgUserParamSet::CDlgUserParamSet(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgUserParamSet");
    setWindowTitle(QStringLiteral("自定义参数"));
    resize(MapDialogRect(QRect(0, 0, 520, 300)).size());

    auto *nameLabel = new QLabel(QStringLiteral("分组名称:"), this);
    platform::SetCtrlId(nameLabel, IDC_NAME_LABEL);
    nameLabel->setGeometry(MapDialogRect(QRect(7, 9, 52, 10)));
    m_editGroupName = new QLineEdit(this);
    platform::SetCtrlId(m_editGroupName, IDC_NAME);
    m_editGroupName->setGeometry(MapDialogRect(QRect(60, 7, 150, 14)));

    m_treeGroups = new QTreeWidget(this);
    platform::SetCtrlId(m_treeGroups, IDC_TREE);
    m_treeGroups->setGeometry(MapDialogRect(QRect(7, 28, 140, 240)));
    m_treeGroups->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_treeGroups->setHeaderHidden(true);
    connect(m_treeGroups, &QTreeWidget::itemSelectionChanged, this, [this] { OnTreeSelChanged(); });

    auto *availableLabel = new QLabel(QStringLiteral("可选参数数据"), this);
    platform::SetCtrlId(availableLabel, IDC_AVAILABLE_LABEL);
    availableLabel->setGeometry(MapDialogRect(QRect(152, 28, 150, 10)));
    m_listAvailable = MakeList(this, IDC_AVAILABLE);
    m_listAvailable->setGeometry(MapDialogRect(QRect(152, 40, 150, 228)));
    connect(m_listAvailable, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { AddAvailableRow(m_listAvailable->indexOfTopLevelItem(item)); });

    auto *add = new QPushButton(QStringLiteral("添加>>"), this);
    platform::SetCtrlId(add, IDC_ADD);
    add->setGeometry(MapDialogRect(QRect(307, 120, 50, 14)));
    connect(add, &QPushButton::clicked, this, [this] { OnAdd(); });
    auto *remove = new QPushButton(QStringLiteral("删除<<"), this);
    platform::SetCtrlId(remove, IDC_REMOVE);
    remove->setGeometry(MapDialogRect(QRect(307, 140, 50, 14)));
    connect(remove, &QPushButton::clicked, this, [this] { OnRemove(); });

    auto *groupLabel = new QLabel(QStringLiteral("本组参数数据"), this);
    platform::SetCtrlId(groupLabel, IDC_GROUP_LABEL);
    groupLabel->setGeometry(MapDialogRect(QRect(362, 28, 150, 10)));
    m_listGroup = MakeList(this, IDC_GROUP);
    m_listGroup->setGeometry(MapDialogRect(QRect(362, 40, 150, 228)));

    auto *hint = new QLabel(QStringLiteral("提示：按住CTRL或SHIFT键可选中多项"), this);
    platform::SetCtrlId(hint, IDC_HINT);
    hint->setGeometry(MapDialogRect(QRect(7, 280, 250, 10)));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(405, 278, 50, 14)));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(462, 278, 50, 14)));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

QString CDlgUserParamSet::Tr(const char *text) const
{
    return TrSection(m_strLangSection, QString::fromUtf8(text));
}

void CDlgUserParamSet::SetGroup(BOOL bEdit, const QString &strGroupName)
{
    m_bEdit = bEdit;
    m_strOrigName = strGroupName;
    m_lstGroup.clear();
    m_lstUnknownCodes.clear();
    if (!bEdit)
        return;
    const CSysParam *sys = GetSysParam();
    if (!sys)
        return;
    const QList<CDBDataParameter> &table = DriveTable();
    for (const CParamUser &pair : sys->m_arrParamUser) {
        if (pair.sGroupName != strGroupName)
            continue;
        if (const CDBDataParameter *p = FindCode(table, pair.sNum))
            m_lstGroup.push_back(*p);
        else
            m_lstUnknownCodes.push_back(pair.sNum);
    }
}

bool CDlgUserParamSet::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    if (m_bEdit)
        m_editGroupName->setText(m_strOrigName);

    m_treeGroups->clear();
    m_treeGroups->setColumnCount(3);
    m_treeGroups->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("sGroupNO"), QStringLiteral("bAllFlag")});
    for (int c = 0; c < 3; ++c)
        m_treeGroups->setColumnWidth(c, 200);
    m_treeGroups->setColumnHidden(1, true);
    m_treeGroups->setColumnHidden(2, true);
    auto *root = new QTreeWidgetItem(m_treeGroups, {TrText(QStringLiteral("系统")), QString(), QStringLiteral("1")});
    if (CSysParam *sys = GetSysParam()) {
        if (const CDataAxisSystem *groups = sys->FindActiveProductSystem(sys->m_ProjectDatabase.m_nProductID)) {
            for (const CDBDataSystemGroups &g : groups->m_arrGroups) {
                const QString label = g.sGroupNO + TrText(QStringLiteral("组")) + QLatin1Char(' ') + TrText(g.sGroupName);
                new QTreeWidgetItem(root, {label, g.sGroupNO, QStringLiteral("0")});
            }
        }
    }
    m_treeGroups->expandAll();

    const int dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    for (QTreeWidget *list : {m_listAvailable, m_listGroup}) {
        list->setColumnCount(3);
        list->setHeaderLabels({QStringLiteral("#"), Tr("功能码"), Tr("描述")});
        list->setColumnWidth(0, 30 * dpi / 96);
        list->setColumnWidth(1, 50);
        list->setColumnWidth(2, 220);
        list->headerItem()->setTextAlignment(1, Qt::AlignCenter);
        list->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    }
    FillList(m_listAvailable, m_lstAvailable);
    FillList(m_listGroup, m_lstGroup);
    m_editGroupName->setReadOnly(!m_bNameEditable);
    return true;
}

void CDlgUserParamSet::FillList(QTreeWidget *list, const QList<CDBDataParameter> &records)
{
    list->setUpdatesEnabled(false);
    list->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        items.push_back(new QTreeWidgetItem({QString::asprintf("%d", int(i + 1)), records[i].sNum, TrText(records[i].sName)}));
    list->addTopLevelItems(items);
    list->setUpdatesEnabled(true);
}

void CDlgUserParamSet::OnTreeSelChanged()
{
    m_lstAvailable.clear();
    const QList<CDBDataParameter> &table = DriveTable();
    const QList<QTreeWidgetItem *> selected = m_treeGroups->selectedItems();
    bool all = false;
    for (const QTreeWidgetItem *item : selected)
        all = all || item->text(2) == QLatin1String("1");
    if (all) {
        m_lstAvailable = table;
    } else {
        // Tree order, whatever order the lines were selected in.
        for (QTreeWidgetItemIterator it(m_treeGroups); *it; ++it) {
            if (!(*it)->isSelected())
                continue;
            const QString groupNo = (*it)->text(1);
            for (const CDBDataParameter &p : table)
                if (p.sGroupNO == groupNo)
                    m_lstAvailable.push_back(p);
        }
    }
    FillList(m_listAvailable, m_lstAvailable);
}

bool CDlgUserParamSet::AddCode(const QString &code)
{
    const CDBDataParameter *p = FindCode(m_lstAvailable, code);
    if (!p || FindCode(m_lstGroup, code))
        return false;
    m_lstGroup.push_back(*p);
    return true;
}

void CDlgUserParamSet::OnAdd()
{
    bool added = false;
    for (int i = 0; i < m_listAvailable->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_listAvailable->topLevelItem(i);
        if (item->isSelected())
            added = AddCode(item->text(1)) || added;
    }
    if (added)
        FillList(m_listGroup, m_lstGroup);
}

void CDlgUserParamSet::AddAvailableRow(int row)
{
    const QTreeWidgetItem *item = m_listAvailable->topLevelItem(row);
    if (item && AddCode(item->text(1)))
        FillList(m_listGroup, m_lstGroup);
}

void CDlgUserParamSet::OnRemove()
{
    bool removed = false;
    for (int i = 0; i < m_listGroup->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_listGroup->topLevelItem(i);
        if (!item->isSelected())
            continue;
        for (qsizetype k = 0; k < m_lstGroup.size(); ++k) {
            if (m_lstGroup[k].sNum == item->text(1)) {
                m_lstGroup.removeAt(k);
                removed = true;
                break;
            }
        }
    }
    if (removed)
        FillList(m_listGroup, m_lstGroup);
}

void CDlgUserParamSet::OnOK()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return;
    const QString name = m_editGroupName->text();
    if (name.isEmpty()) {
        ShowDesktopAlert(1, Tr("分组名不能为空，请填写"), RGB(255, 0, 0), this);
        return;
    }
    QList<CGroupsUser> &names = sys->m_arrGroupsUser;
    auto exists = [&names](const QString &n) {
        for (const CGroupsUser &g : names)
            if (g.sGroupName == n)
                return true;
        return false;
    };
    auto refuse = [&] {
        ShowDesktopAlert(1, FillLangPlaces(Tr("分组名[%s]已存在，请修改"), {name}), RGB(255, 0, 0), this);
    };
    const bool taken = name == QStringLiteral("所有参数") || exists(name);
    if (!m_bEdit) {
        if (taken) {
            refuse();
            return;
        }
        names.push_back(CGroupsUser{name});
    } else if (name != m_strOrigName) {
        if (taken) {
            refuse();
            return;
        }
        for (CGroupsUser &g : names)
            if (g.sGroupName == m_strOrigName) {
                g.sGroupName = name;
                break;
            }
    } else if (!m_bNameEditable && !exists(name)) {
        names.push_back(CGroupsUser{name});
    }
    if (m_bEdit) {
        QList<CParamUser> &pairs = sys->m_arrParamUser;
        pairs.removeIf([this](const CParamUser &p) { return p.sGroupName == m_strOrigName; });
    }
    for (const CDBDataParameter &p : m_lstGroup)
        sys->m_arrParamUser.push_back(CParamUser{name, p.sNum});
    // Members of another drive's table stay with the group.
    for (const QString &code : m_lstUnknownCodes)
        sys->m_arrParamUser.push_back(CParamUser{name, code});
    m_strSavedName = name;
    CDialogExMid::OnOK();
}
