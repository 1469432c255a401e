#include "grid/FilterListDlg.h"

#include "platform/ControlId.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

Qt::CheckState ToQt(int s) { return s == 1 ? Qt::Checked : (s == 2 ? Qt::PartiallyChecked : Qt::Unchecked); }

}

CFilterListDlg::CFilterListDlg(const QStringList *values, platform::FilterColumnInfo *filter, QWidget *parent)
    : QDialog(parent), m_pValues(values), m_pFilter(filter)
{
    setWindowTitle(QStringLiteral("Filter"));
    auto *layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    platform::SetCtrlId(m_list, IDC_LIST);
    layout->addWidget(m_list, 1);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    platform::SetCtrlId(ok, 1);
    platform::SetCtrlId(cancel, 2);
    layout->addWidget(buttons);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!m_bFilling) {
            m_list->setCurrentItem(item);
            OnCheckChange(m_list->row(item));
        }
    });
    resize(300, 260);
    OnInitDialog();
}

bool CFilterListDlg::OnInitDialog()
{
    m_bFilling = true;
    m_list->clear();
    auto *all = new QListWidgetItem(QStringLiteral("(Select All)"), m_list);
    all->setFlags(all->flags() | Qt::ItemIsUserCheckable);
    all->setCheckState(m_pFilter->bAll ? Qt::Checked : Qt::Unchecked);
    bool anyChecked = false;
    if (m_pValues) {
        for (const QString &v : *m_pValues) {
            auto *item = new QListWidgetItem(v, m_list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            bool checked = m_pFilter->bAll;
            if (!m_pFilter->bAll && m_pFilter->lstValues.contains(v)) {
                checked = true;
                anyChecked = true;
            }
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        }
    }
    if (anyChecked)
        all->setCheckState(Qt::PartiallyChecked);
    m_bFilling = false;
    return true;
}

int CFilterListDlg::GetCount() const { return m_list->count(); }

int CFilterListDlg::GetCheck(int row) const
{
    const QListWidgetItem *item = m_list->item(row);
    if (!item)
        return 0;
    switch (item->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void CFilterListDlg::SetCheck(int row, int state)
{
    if (QListWidgetItem *item = m_list->item(row))
        item->setCheckState(ToQt(state));
}

void CFilterListDlg::OnCheckChange(int row)
{
    if (row < 0)
        return;
    m_bFilling = true;
    const int head = GetCheck(0);
    if (row == 0) {
        for (int i = 0; i < GetCount(); ++i)
            SetCheck(i, head);
    } else if (GetCheck(row) != head) {
        SetCheck(0, 2);
    }
    m_bFilling = false;
}

void CFilterListDlg::OnOK()
{
    m_pFilter->bAll = GetCheck(0) == 1;
    m_pFilter->lstValues.clear();
    if (!m_pFilter->bAll) {
        int checked = 0;
        for (int i = 1; i < GetCount(); ++i) {
            if (GetCheck(i) == 1) {
                m_pFilter->lstValues.append(m_list->item(i)->text());
                ++checked;
            }
        }
        if (checked == GetCount() - 1) {
            m_pFilter->bAll = true;
            m_pFilter->lstValues.clear();
        }
    }
    done(1);
}

CFilterStringDlg::CFilterStringDlg(platform::FilterColumnInfo *filter, QWidget *parent)
    : QDialog(parent), m_pFilter(filter)
{
    setWindowTitle(QStringLiteral("Filter by column \"Name\""));
    m_strFilter = filter->strFilter;
    auto *grid = new QGridLayout(this);
    auto *text = new QLabel(QStringLiteral("Enter the text string to filter content of the grid control. The grid "
                                           "will show only items containing the specified string at the column "
                                           "\"Name\"."),
                            this);
    text->setWordWrap(true);
    grid->addWidget(text, 0, 0);
    m_edit = new QLineEdit(m_strFilter, this);
    platform::SetCtrlId(m_edit, IDC_EDIT);
    grid->addWidget(m_edit, 1, 0);
    auto *buttons = new QVBoxLayout();
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    platform::SetCtrlId(ok, 1);
    platform::SetCtrlId(cancel, 2);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 1, 2, 1);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CFilterStringDlg::OnOK()
{
    m_strFilter = m_edit->text();
    m_pFilter->strFilter = m_strFilter;
    m_pFilter->bAll = m_strFilter.isEmpty();
    m_pFilter->lstValues.clear();
    done(1);
}
