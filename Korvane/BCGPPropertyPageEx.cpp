#include "BCGPPropertyPageEx.h"

#include "DialogExMid.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/WindowText.h"

#include <QComboBox>
#include <QSignalBlocker>

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
    int comboItem = 0;
    for (QObject *o : children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow())
            continue;
        const int id = platform::GetCtrlId(w);
        if (m_setNoTranslateIds.count(UINT(id)) || platform::IsEditControl(w))
            continue;
        if (auto *combo = qobject_cast<QComboBox *>(w)) {
            const int sel = combo->currentIndex();
            QStringList texts;
            for (int i = 0; i < combo->count(); ++i)
                texts << translator->TranslateControl(m_strLangSection, kComboTextKeyBase + comboItem++,
                                                      combo->itemText(i));
            const QSignalBlocker quiet(combo);
            combo->clear();
            combo->addItems(texts);
            if (sel != -1)
                combo->setCurrentIndex(sel);
            continue;
        }
        const QString text = platform::GetWindowText(w);
        if (!text.isEmpty())
            platform::SetWindowText(w, translator->TranslateControl(m_strLangSection, id, text));
    }
    return true;
}
