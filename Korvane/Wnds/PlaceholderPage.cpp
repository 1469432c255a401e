#include "PlaceholderPage.h"

#include "platform/LanguageConf.h"

#include <QLabel>
#include <QVBoxLayout>

CPlaceholderPage::CPlaceholderPage(int nIDTemplate, const QString &langSection, const QString &caption)
    : CDialogExMid(nIDTemplate)
{
    m_strLangSection = langSection;
    m_pCaption = new QLabel(TrSection(langSection, caption), this);
    m_pCaption->setAlignment(Qt::AlignCenter);
    QFont f = m_pCaption->font();
    f.setPointSize(f.pointSize() * 2);
    m_pCaption->setFont(f);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pCaption);
}

QString CPlaceholderPage::CaptionText() const
{
    return m_pCaption->text();
}
