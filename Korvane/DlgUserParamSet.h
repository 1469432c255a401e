#pragma once
// Creates or edits one custom parameter group: its name and its members, picked from the
// drive's parameter groups. Only OK with an accepted name changes the settings object's group
// arrays; the file is written elsewhere (at exit and on a device change).
#include "DialogExMid.h"
#include "database/DBDataParameter.h"
#include "platform/WinTypes.h"

#include <QList>
#include <QStringList>

class QLineEdit;
class QPushButton;
class QTreeWidget;

class CDlgUserParamSet : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 244;
    enum {
        IDC_NAME = 2045,
        IDC_TREE = 2046,
        IDC_AVAILABLE = 1089,
        IDC_GROUP = 1090,
        IDC_ADD = 2047,
        IDC_REMOVE = 2024,
        IDC_NAME_LABEL = 2044,
        IDC_AVAILABLE_LABEL = 2048,
        IDC_GROUP_LABEL = 2049,
        IDC_HINT = 2050,
    };

    explicit CDlgUserParamSet(QWidget *pParent = nullptr);

    // Before DoModal: a new group (bEdit 0, empty name) or the group to edit.
    void SetGroup(BOOL bEdit, const QString &strGroupName);

    bool OnInitDialog() override;
    void OnOK() override;
    bool TranslateControls() override { return CDialogExMid::TranslateControls(); }

    // Offers the parameters of the groups selected in the tree.
    void OnTreeSelChanged();
    void OnAdd();
    void OnRemove();
    // Adds the line of the available list at the row (a double click).
    void AddAvailableRow(int row);

    QLineEdit *m_editGroupName = nullptr;
    QTreeWidget *m_treeGroups = nullptr;
    QTreeWidget *m_listAvailable = nullptr;
    QTreeWidget *m_listGroup = nullptr;
    BOOL m_bEdit = 0;
    BOOL m_bNameEditable = 1;
    QList<CDBDataParameter> m_lstAvailable;
    QList<CDBDataParameter> m_lstGroup;
    QString m_strOrigName;
    // The group's member codes that the drive's table lacks: not shown, kept on save.
    QStringList m_lstUnknownCodes;
    // The name saved by OK.
    QString m_strSavedName;

private:
    void FillList(QTreeWidget *list, const QList<CDBDataParameter> &records);
    bool AddCode(const QString &code);
    QString Tr(const char *text) const;
};
