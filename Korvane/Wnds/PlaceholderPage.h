#pragma once
// A function page whose own content is still to come: it shows its page caption and answers
// the page protocol of the dialog base.
#include "DialogExMid.h"

class QLabel;

class CPlaceholderPage : public CDialogExMid
{
    Q_OBJECT
public:
    // `caption` is the page's name as a source text; it is shown translated.
    CPlaceholderPage(int nIDTemplate, const QString &langSection, const QString &caption);

    QString CaptionText() const;

private:
    QLabel *m_pCaption;
};
