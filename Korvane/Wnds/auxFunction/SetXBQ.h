#pragma once
// The notch-filter dialog "设定陷波器": reads and writes the drive's two notch filters
// (frequency and two further settings each, registers 0x090C..0x0911) through a register-bound
// parameter list. The analysis page creates it once, modeless, and shows it again on every
// notch command; closing it only hides it, so the drive is read once, at creation.
//
// These are the drive's own notch filters, not those of the control-loop diagrams
// (0x0303..0x030E): neither writes the other.
#include "DialogExMid.h"
#include "platform/WinTypes.h"

class CListCtrlUsabilityJog;

class CSetXBQ : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 212;
    static constexpr int IDC_GROUP = 1665;
    static constexpr int IDC_LIST = 1673;
    static constexpr int IDC_WRITE = 1666;
    static constexpr int IDC_READ = 1682;

    struct Row {
        const char *nameKey;
        WORD address;
        int min;
        int max;
        int initial;
        const char *unit;
    };
    static const Row kRows[6];

    explicit CSetXBQ(QWidget *pParent = nullptr);
    ~CSetXBQ() override;

    // Builds the list and reads the drive once; a failed read is told, and the rows keep
    // their first values.
    bool OnInitDialog() override;
    void OnClose() override;
    void OnCancel() override;
    void OnOK() override;

    void OnWrite();
    void OnRead();
    CListCtrlUsabilityJog *List() const { return m_pList; }

private:
    CListCtrlUsabilityJog *m_pList = nullptr;
};
