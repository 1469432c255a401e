#pragma once
// The two small dialogs that edit the filter of one grid column: a check list of the column's
// values headed by "(Select All)", and one text. Both change the caller's record only on OK.
#include "platform/grid/Grid.h"

#include <QDialog>

class QListWidget;
class QLineEdit;

class CFilterListDlg : public QDialog
{
public:
    enum { IDD = 201, IDC_LIST = 1072 };
    CFilterListDlg(const QStringList *values, platform::FilterColumnInfo *filter, QWidget *parent = nullptr);

    // Fills the list from the values and the record.
    bool OnInitDialog();
    // The check state of a row changed.
    void OnCheckChange(int row);
    // Writes the checked values into the record and closes with IDOK.
    void OnOK();

    // 0 unchecked, 1 checked, 2 indeterminate.
    int GetCheck(int row) const;
    void SetCheck(int row, int state);
    int GetCount() const;
    QListWidget *List() const { return m_list; }

private:
    QListWidget *m_list;
    const QStringList *m_pValues;
    platform::FilterColumnInfo *m_pFilter;
    bool m_bFilling = false;
};

class CFilterStringDlg : public QDialog
{
public:
    enum { IDD = 202, IDC_EDIT = 1073 };
    CFilterStringDlg(platform::FilterColumnInfo *filter, QWidget *parent = nullptr);
    void OnOK();
    QLineEdit *Edit() const { return m_edit; }

    QString m_strFilter;

private:
    QLineEdit *m_edit;
    platform::FilterColumnInfo *m_pFilter;
};
