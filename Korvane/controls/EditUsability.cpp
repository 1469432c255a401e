#include "EditUsability.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/Controls/DiagramBoxWriter.h"
#include "platform/Messages.h"
#include "platform/UiServices.h"

#include <QKeyEvent>
#include <climits>

CEditUsability::CEditUsability(int address, int min, int max, int regType, QWidget *parent)
    : QLineEdit(parent), m_nMin(min), m_nMax(max), m_nAddress(address), m_nRegType(regType)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void CEditUsability::Refuse(const char *textKey, const char *captionKey, UINT type, const QStringList &places)
{
    const QString text = FillLangPlaces(LoadLangString(QString::fromLatin1(textKey)), places);
    platform::Ui().MessageBox(text, LoadLangString(QString::fromLatin1(captionKey)), type, this);
}

bool CEditUsability::CheckValue(const QString &text)
{
    if (text.isEmpty()) {
        Refuse("IDS_MyListCtrl_3", "IDS_MyListCtrl_4", MB_ICONERROR);
        return false;
    }
    if (text.contains(u'.')) {
        Refuse("IDS_MyListCtrl_5", "IDS_MyListCtrl_6", MB_ICONERROR);
        return false;
    }
    // The whole text must be the number: "12ab" is no 12. A zero must be written "0".
    long value = 0;
    if (ParseBoxText(text, LONG_MIN, LONG_MAX, &value) != BoxText::Ok || (value == 0 && text != u"0")) {
        Refuse("IDS_EditUsability_5", "IDS_EditUsability_6", MB_OK);
        return false;
    }
    if (value < m_nMin || value > m_nMax) {
        Refuse("IDS_MyListCtrl_1", "IDS_MyListCtrl_2", MB_ICONERROR,
               {QString::number(m_nMin), QString::number(m_nMax)});
        return false;
    }
    return true;
}

bool CEditUsability::Write(int value, int tries)
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return false;
    if (m_nRegType == 1)
        return sys->WriteReg(static_cast<WORD>(m_nAddress), static_cast<WORD>(value),
                             CSysParam::LinkWait::Auto, tries);
    return sys->WriteReg32(static_cast<WORD>(m_nAddress), static_cast<DWORD>(value),
                           CSysParam::LinkWait::Auto, tries);
}

void CEditUsability::CommitValue()
{
    const QString text = this->text();
    if (!CheckValue(text)) {
        setText(m_strValue);
        return;
    }
    const QString previous = m_strValue;
    m_strValue = text;
    hide();
    if (!Write(text.toInt(), kCommitTries)) {
        // The cell must not show a value the drive does not hold.
        m_strValue = previous;
        setText(previous);
        Refuse("IDS_EditUsability_7", "IDS_EditUsability_8", MB_ICONERROR,
               {QString::asprintf("0x%04X", static_cast<unsigned>(CSysParam::LastLinkError()))});
    }
    // The list that owns the editor: the editor sits on the list's view area.
    for (QObject *o = parent(); o; o = o->parent()) {
        const platform::WindowRef owner(o);
        if (owner) {
            platform::PostMessage(owner, UM_USABILITY_EDIT_DONE, 0, 0);
            break;
        }
    }
}

bool CEditUsability::ReadValue()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return false;
    int value = 0;
    const BOOL ok = m_nRegType == 1 ? sys->ReadReg(static_cast<WORD>(m_nAddress), &value)
                                    : sys->ReadReg32(static_cast<WORD>(m_nAddress), &value);
    if (!ok)
        return false;
    // A register of a signed parameter holds its value in two's complement.
    if (m_nRegType == 1 && m_nMin < 0 && value > 0x7FFF)
        value -= 0x10000;
    m_strValue = QString::number(value);
    setText(m_strValue);
    return true;
}

bool CEditUsability::WriteValue()
{
    return Write(m_strValue.toInt(), 1);
}

void CEditUsability::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        CommitValue();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CEditUsability::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    hide();
    setText(m_strValue);
}
