#pragma once
// The DI and the DO selection dialogs: one check box per terminal, captioned with the terminal
// and the function the drive has given it, to choose the rows of the trace view's DI (DO)
// strip. One design, two terminal sets.
//
// The function registers are read on the dialog's worker once it opens; the boxes show the
// terminal numbers until the names arrive. Once the link counts the drive absent the rest stay
// unnamed, so a silent drive never holds the window.
#include "DialogExMid.h"
#include "platform/WinTypes.h"
#include "platform/ColorRef.h"
#include "platform/PageWorker.h"

#include <QStringList>

#include <vector>

class QCheckBox;

class CIoSelecDlg : public CDialogExMid
{
    Q_OBJECT
public:
    struct Terminal {
        int nAddress = 0;
        QString strCaption;
    };

    bool OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    QCheckBox *Box(int terminal) const;  // 0-based
    int TerminalCount() const { return static_cast<int>(m_terminals.size()); }
    bool NamesPending() const;
    static COLORREF TerminalColour(bool bDO, int terminal);
    static int TerminalCount(bool bDO) { return bDO ? 8 : 10; }
    // "DI3:<function name>" (DO likewise) for terminal 2 (0-based).
    static QString Caption(bool bDO, int terminal, const QString &name);
    // The chosen terminals' captions and colours, in terminal order, for the mask.
    static void Chosen(bool bDO, DWORD mask, const QStringList &captions, QStringList &names,
                       std::vector<COLORREF> &colours);

    QStringList m_arrSelNames;
    std::vector<COLORREF> m_arrSelColours;
    DWORD m_dwMask = 0;
    std::vector<Terminal> m_terminals;

protected:
    CIoSelecDlg(int nIDD, bool bDO, QWidget *pParent, DWORD mask);

private:
    void SetCaptions(const QStringList &names);

    bool m_bDO;
    QList<QCheckBox *> m_boxes;
    platform::PageWorker m_worker;
    bool m_bPending = false;
    bool m_bOkWhenNamed = false;
};

class CDISelecDlg : public CIoSelecDlg
{
    Q_OBJECT
public:
    static constexpr int IDD = 191;
    static constexpr int kFirstBox = 1243;
    CDISelecDlg(QWidget *pParent, const DWORD &mask) : CIoSelecDlg(IDD, false, pParent, mask) {}
};

class CDOSelecDlg : public CIoSelecDlg
{
    Q_OBJECT
public:
    static constexpr int IDD = 192;
    static constexpr int kFirstBox = 1253;
    CDOSelecDlg(QWidget *pParent, const DWORD &mask) : CIoSelecDlg(IDD, true, pParent, mask) {}
};
