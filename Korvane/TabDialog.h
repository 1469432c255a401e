#pragma once
// Base of dialogs that live as child windows inside another window and are shown and hidden by
// their owner rather than closed (the home page, the embedded grid dialog). UM_STOP_TIMER
// hides such a dialog (its page timer keeps running); WM_CLOSE goes through OnClose, which
// saves the placement first.
#include "DialogExMid.h"

class CTabDialog : public CDialogExMid
{
    Q_OBJECT
public:
    explicit CTabDialog(int nIDTemplate, QWidget *pParent = nullptr);

    // Keeps nPageId for the derived class and creates the dialog as a child of pParent.
    virtual bool Create(int nIDTemplate, QWidget *pParent, int nPageId);
    using CDialogExMid::Create;
    // A hook for derived dialogs; does nothing here.
    virtual void OnOwnerNotify(WPARAM wParam) {}
    // Repaints the whole client area (erasing the background first when bErase).
    virtual void Refresh(bool bErase);

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    int m_nPageId = 0;
};
