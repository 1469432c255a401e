#pragma once
// The in-place editor of a register-bound parameter list: one per row, bound to one drive
// register with its range and width. Enter checks the text and writes it; losing the focus
// abandons the typed text; Escape does nothing.
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QLineEdit>
#include <QString>

class CEditUsability : public QLineEdit
{
public:
    static constexpr int kCommitTries = 5;

    // regType 1: one 16-bit register; anything else: a 32-bit value in two registers.
    CEditUsability(int address, int min, int max, int regType, QWidget *parent = nullptr);

    // One read of the register; on success the value becomes m_strValue and the text.
    bool ReadValue();
    // The acceptance test of a typed text; each refusal is told in a message box.
    bool CheckValue(const QString &text);
    // Enter: check, then write with up to kCommitTries tries, then tell the parent
    // (UM_USABILITY_EDIT_DONE). A write that fails is told and the old value stays.
    void CommitValue();
    // One write of m_strValue; whether the drive acknowledged it.
    bool WriteValue();

    int m_nMin;
    int m_nMax;
    int m_nAddress;
    QString m_strValue;  // last value read, accepted or shown; restored when an edit is abandoned
    int m_nRegType;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    bool Write(int value, int tries);
    void Refuse(const char *textKey, const char *captionKey, UINT type, const QStringList &places = {});
};
