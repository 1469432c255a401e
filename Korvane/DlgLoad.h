#pragma once
// The splash window shown while the program starts.
#include <QDialog>

class CDlgLoad : public QDialog
{
public:
    static constexpr int IDD = 253;
    static constexpr int kPictureCtrlId = 2153;

    explicit CDlgLoad(QWidget *pParent = nullptr);

protected:
    void paintEvent(QPaintEvent *e) override;
};
