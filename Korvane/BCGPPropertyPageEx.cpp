#include "BCGPPropertyPageEx.h"

#include "DialogExMid.h"
#include "platform/LanguageConf.h"

CBCGPPropertyPageEx::CBCGPPropertyPageEx(int nIDTemplate, QWidget *pParent)
    : QWidget(pParent), MessageTarget(this), m_nIDD(nIDTemplate)
{
}

bool CBCGPPropertyPageEx::Create(int nIDTemplate, QWidget *pParent)
{
    m_nIDD = nIDTemplate;
    if (pParent)
        setParent(pParent, Qt::Widget);
    m_bCreated = true;
    OnInitDialog();
    return true;
}

bool CBCGPPropertyPageEx::OnInitDialog()
{
    const int language = int(CDialogExMid::CurrentLanguage());
    if (!m_bForceTranslate && language == m_nAppliedLanguage && m_bTranslated)
        return true;
    m_bTranslated = true;
    TranslateControls();
    m_nAppliedLanguage = language;
    return true;
}

bool CBCGPPropertyPageEx::TranslateControls()
{
    if (!m_bTranslateEnabled)
        return true;
    ISqlite *translator = GetSqlite();
    const QString caption = windowTitle();
    if (!caption.isEmpty() && m_bTranslateCaption) {
        if (m_strLangSection.isEmpty())
            return false;
        setWindowTitle(translator->TranslateControl(m_strLangSection, kCaptionTextKey, caption));
    }
    TranslateChildControls(this, m_setNoTranslateIds, [this, translator](int key, const QString &text) {
        return translator->TranslateControl(m_strLangSection, key, text);
    });
    return true;
}
