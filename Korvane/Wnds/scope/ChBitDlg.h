#pragma once
// Which of the 16 bits of a bit-type channel source are drawn as bit traces.
#include "DialogExMid.h"
#include "platform/WinTypes.h"
#include "platform/ColorRef.h"

#include <QStringList>

#include <vector>

class QCheckBox;

class CChBitDlg : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 193;
    static constexpr int kFirstBox = 1263;

    // The bits (the upper 16 pass through) and the 16 bit names of the source, bit 0 first.
    CChBitDlg(const DWORD *pBits, const QStringList *pNames);

    bool OnInitDialog() override;
    void OnOK() override;

    QCheckBox *Box(int bit) const;
    static COLORREF BitColour(int bit);
    // The chosen bits' names and colours, bit 0 first, for the bits.
    static void Chosen(DWORD bits, const QStringList &bitNames, QStringList &names, std::vector<COLORREF> &colours);

    DWORD m_dwBits = 0;
    QStringList m_arrBitNames;
    QStringList m_arrSelNames;
    std::vector<COLORREF> m_arrSelColours;

private:
    QList<QCheckBox *> m_boxes;
};
