#pragma once
// The safety prompt shown before a tuning aid moves the motor, with its picture and the box
// "do not show the danger warning next time".
#include "DialogExMid.h"
#include "platform/WinTypes.h"

#include <QSize>

class QCheckBox;
class QGroupBox;
class QLabel;

class CDlgShowTip : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 255;
    static constexpr int IDC_FRAME = 2122;
    static constexpr int IDC_PICTURE = 2100;
    static constexpr int IDC_DONT_SHOW = 2150;

    explicit CDlgShowTip(QWidget *pParent = nullptr);

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;

    QString m_strImagePath;
    QSize m_sizeImage{0, 0};
    // The caller's "do not show again" flag, normally one of the application's per-aid flags
    // (GetAppFlags()); the box writes it and recomputes the application's m_bIsDangerWnd.
    BOOL *m_pDontShowAgain = nullptr;

private:
    void PlacePicture();
    void OnDontShowClicked();

    QGroupBox *m_pFrame = nullptr;
    QLabel *m_pPicture = nullptr;
    QCheckBox *m_pDontShow = nullptr;
};
