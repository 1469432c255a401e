#pragma once
// An edit box that sees every change the user makes as characters: typed characters, backspace
// and delete, and text that is pasted, dropped or committed by an input method, so that a
// derived box can refuse characters and undo changes that break its rules.
#include <QLineEdit>

class CFilteredEdit : public QLineEdit
{
public:
    static constexpr char16_t kBackspace = 8;
    // Forward delete (the Delete key), handled like a character.
    static constexpr char16_t kDelete = 0x7F;

    explicit CFilteredEdit(QWidget *parent = nullptr);

    // One character as typed. A refused character is dropped; an accepted one goes to the
    // plain edit behaviour (DefaultChar) and the result is checked.
    virtual void OnChar(QChar ch) = 0;
    // Text from the clipboard, a drop or an input method: fed through OnChar one character at
    // a time, so it can only give what typing could.
    void InsertFiltered(const QString &text);
    void PasteFiltered();

protected:
    struct EditState
    {
        QString text;
        int start = 0;
        int end = 0;
    };
    EditState GetState() const;
    void RestoreState(const EditState &s);
    // What a plain edit box does with the character: insert it over the selection, or delete.
    void DefaultChar(QChar ch);

    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void CutFiltered();
};
