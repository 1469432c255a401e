#pragma once
// The data choice: which drive data the four channels record, within 64 bits a sample. The
// choice goes to the scope settings' channel names and computed layout on confirming.
#include "DialogExMid.h"

#include <QStringList>

#include <vector>

class QCheckBox;
class QLineEdit;

class DlgScopeChsel : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 194;
    static constexpr int kTimerId = 17;
    static constexpr UINT kTimerMs = 100;
    static constexpr int IDC_TOTAL = 1110;

    struct Item {
        int nId;
        int nCode;  // the source the item stands for
        const char *text;
        int nBits;
    };
    // The 52 items: first the 20 of 32 bits, then the 32 of 16 bits.
    static const std::vector<Item> &Items();

    DlgScopeChsel();

    bool OnInitDialog() override;
    void OnOK() override;
    void OnTimer(UINT_PTR id) override;

    // The timer's refresh: counts, the total shown, the boxes that still fit enabled.
    void Refresh();
    QCheckBox *Box(int id) const;
    QLineEdit *TotalEdit() const { return m_edit; }

    std::vector<int> m_arrIds;
    int m_nTotal = 0;
    int m_nCount32 = 0;
    int m_nCount16 = 0;

private:
    std::vector<QCheckBox *> m_boxes;
    QLineEdit *m_edit = nullptr;
};
