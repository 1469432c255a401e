#pragma once
// The font some pages give to all their controls: the status-bar font's size in the face "黑体"
// (the system's default family where that face is missing).
#include <QFont>

class QWidget;

class TApplicationFont
{
public:
    // Built on first use (after the application object exists).
    static TApplicationFont &Instance();

    QString m_strFaceName;
    int m_nHeight = 0;     // character height in pixels
    int m_nPointSize = 0;  // the same in points
    QFont m_font;

private:
    TApplicationFont();
};

// Gives one child the font (the default font for none); answers true so that an enumeration
// goes on.
bool SetChildFontProc(QWidget *child, const QFont *font);
// Gives every descendant of the window the font.
void SetChildrenFont(QWidget *parent, const QFont *font);
