#include "TabDialog.h"

CTabDialog::CTabDialog(int nIDTemplate, QWidget *pParent) : CDialogExMid(nIDTemplate, pParent)
{
}

bool CTabDialog::Create(int nIDTemplate, QWidget *pParent, int nPageId)
{
    m_nPageId = nPageId;
    m_nIDD = nIDTemplate;
    return CDialogExMid::Create(pParent);
}

void CTabDialog::Refresh(bool bErase)
{
    // Qt always paints the background of an invalidated area, so erasing needs nothing extra.
    if (bErase)
        repaint();
    else
        update();
}

bool CTabDialog::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    return true;
}

LRESULT CTabDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_STOP_TIMER:
        ShowStoredState(SW_HIDE);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}
