#pragma once
// A hold-to-run push button: tells its parent by WM_COMMAND when the left mouse button goes
// down on it (code 0x201) and when that press ends (code 0x202). A press ends however it ends:
// release inside or outside, focus or window deactivation, hiding, disabling, lost grab; so the
// owner always hears of the end of a hold and can stop its motor at once.
#include "controls/ButtonST.h"

class CJOGButton : public CButtonST
{
    Q_OBJECT
public:
    static constexpr unsigned kPressed = 0x201;   // the number of WM_LBUTTONDOWN
    static constexpr unsigned kReleased = 0x202;  // the number of WM_LBUTTONUP

    explicit CJOGButton(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void OnPressEnd() override;
};
