#pragma once
// A progress bar painted by the program: flat background, a solid bar for the part done and
// the percentage centred on it. Owners drive it with the progress messages (also from worker
// threads, through SendMessage) or the direct calls below on the GUI thread.
#include "platform/Messages.h"

#include <QString>
#include <QWidget>

// The progress-bar messages.
constexpr UINT PBM_SETRANGE = WM_USER + 1;   // lParam: lower in the low word, upper in the high word
constexpr UINT PBM_SETPOS = WM_USER + 2;     // wParam: position; answers the previous one
constexpr UINT PBM_DELTAPOS = WM_USER + 3;   // wParam: step added to the position
constexpr UINT PBM_SETRANGE32 = WM_USER + 6; // wParam: lower, lParam: upper
constexpr UINT PBM_GETRANGE = WM_USER + 7;   // wParam: non-zero for the lower bound, else the upper
constexpr UINT PBM_GETPOS = WM_USER + 8;

class CMyProgressCtrl : public QWidget, public platform::MessageTarget
{
    Q_OBJECT
public:
    // captionStyle: the window text is drawn before the percentage.
    explicit CMyProgressCtrl(QWidget *parent = nullptr, bool captionStyle = false);

    void SetRange(int lower, int upper);
    void GetRange(int &lower, int &upper) const;
    // The position is kept inside the range, as the standard control keeps it.
    int SetPos(int pos);
    int GetPos() const { return m_nPos; }
    void SetWindowText(const QString &text);
    QString GetWindowText() const { return windowTitle(); }
    bool IsCaptionStyle() const { return m_bCaptionStyle; }

    // Whole percent done, truncated; 0 for an empty range.
    static int Percent(int lower, int upper, int pos);
    // Width of the bar for a client width, truncated.
    static int BarWidth(int lower, int upper, int pos, int width);
    // The text painted on the bar.
    QString PaintedText() const;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
    bool m_bCaptionStyle = false;
};
