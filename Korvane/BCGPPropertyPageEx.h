#pragma once
// Base of property pages (the pages of the settings sheet). A page re-texts itself into the
// user's language when its window is first created, again at a later creation only when the
// language changed since, and whenever its sheet asks after a language switch. A page can also
// be created as a plain child window outside any sheet.
#include "platform/Messages.h"

#include <QWidget>

#include <set>

class CBCGPPropertyPageEx : public QWidget, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CBCGPPropertyPageEx(int nIDTemplate, QWidget *pParent = nullptr);

    // Creates the page as a child window of pParent (or a window of its own without one).
    virtual bool Create(int nIDTemplate, QWidget *pParent);
    // The page's initialisation when its window is created; re-texts when due.
    virtual bool OnInitDialog();
    // Caption (key -2), then the children: edit boxes and ids in m_setNoTranslateIds keep
    // their text, combo-box items are re-texted under 2000000 + a running number with the
    // selection kept, other non-empty captions under their control id. False at once when the
    // caption needs a lookup but the page has no language section.
    virtual bool TranslateControls();

    bool IsCreated() const { return m_bCreated; }

    int m_nIDD;
    QString m_strLangSection;
    bool m_bTranslated = false;
    bool m_bForceTranslate = false;
    int m_nAppliedLanguage = -1;
    bool m_bTranslateEnabled = true;
    std::set<UINT> m_setNoTranslateIds;
    bool m_bTranslateCaption = true;

private:
    bool m_bCreated = false;
};
