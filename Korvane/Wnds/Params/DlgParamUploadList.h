#pragma once
// The list of parameters about to be written, shown for confirmation: every parameter write
// passes through it and goes ahead only on "确定".
#include "DialogExMid.h"
#include "database/DBDataParameter.h"

#include <QList>

#include <functional>

class QListWidget;
class QPushButton;

class CDlgParamUploadList : public CDialogExMid
{
    Q_OBJECT
public:
    enum { IDD = 176, IDC_LIST = 1088 };

    explicit CDlgParamUploadList(QWidget *pParent = nullptr);

    bool OnInitDialog() override;

    // Runs the list modally (or through the installed runner); IDOK when the user accepts.
    int Run();

    // One line of the list: "【%03d】【%s】 【%s】" with the position from 1, the code and the
    // translated name.
    static QString LineText(int position, const CDBDataParameter &param);

    QList<CDBDataParameter> m_arrParameter;  // filled by the caller before Run

    QListWidget *ListBox() const { return m_pList; }

    // How Run shows the list; tests install one that answers without a window. An empty
    // function restores the modal run. Returns the previous runner.
    using Runner = std::function<int(CDlgParamUploadList &)>;
    static Runner SetRunner(Runner runner);

private:
    QListWidget *m_pList = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
