#include "FilteredEdit.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

CFilteredEdit::CFilteredEdit(QWidget *parent) : QLineEdit(parent) {}

CFilteredEdit::EditState CFilteredEdit::GetState() const
{
    EditState s;
    s.text = text();
    if (hasSelectedText()) {
        s.start = selectionStart();
        s.end = selectionEnd();
    } else {
        s.start = s.end = cursorPosition();
    }
    return s;
}

void CFilteredEdit::RestoreState(const EditState &s)
{
    setText(s.text);
    if (s.start == s.end)
        setCursorPosition(s.start);
    else
        setSelection(s.start, s.end - s.start);
}

void CFilteredEdit::DefaultChar(QChar ch)
{
    if (ch == QChar(kBackspace))
        backspace();
    else if (ch == QChar(kDelete))
        del();
    else
        insert(QString(ch));
}

void CFilteredEdit::InsertFiltered(const QString &text)
{
    for (QChar c : text)
        OnChar(c);
}

void CFilteredEdit::PasteFiltered()
{
    if (!isReadOnly())
        InsertFiltered(QGuiApplication::clipboard()->text());
}

void CFilteredEdit::CutFiltered()
{
    if (isReadOnly() || !hasSelectedText())
        return;
    QGuiApplication::clipboard()->setText(selectedText());
    OnChar(QChar(kDelete));
}

void CFilteredEdit::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    // Keys that belong to the dialog or only move the caret keep their usual handling.
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
        key == Qt::Key_Backtab) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (key == Qt::Key_Backspace && !(e->modifiers() & Qt::ControlModifier)) {
        OnChar(QChar(kBackspace));
        e->accept();
        return;
    }
    // Control with a letter arrives as a control character, which the boxes refuse.
    if ((e->modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        OnChar(QChar(key - Qt::Key_A + 1));
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        PasteFiltered();
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Cut)) {
        CutFiltered();
        e->accept();
        return;
    }
    if (key == Qt::Key_Delete) {
        OnChar(QChar(kDelete));
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) ||
        e->matches(QKeySequence::DeleteEndOfWord) || e->matches(QKeySequence::DeleteStartOfWord) ||
        e->matches(QKeySequence::DeleteEndOfLine) || e->matches(QKeySequence::DeleteCompleteLine) ||
        key == Qt::Key_Backspace) {
        e->accept();  // changes that cannot be checked character by character
        return;
    }
    const QString t = e->text();
    if (!t.isEmpty()) {
        InsertFiltered(t);
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CFilteredEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!isReadOnly())
        InsertFiltered(e->commitString());
    e->accept();
}

void CFilteredEdit::dragEnterEvent(QDragEnterEvent *e)
{
    if (!isReadOnly() && e->mimeData()->hasText())
        e->acceptProposedAction();
    else
        e->ignore();
}

void CFilteredEdit::dragMoveEvent(QDragMoveEvent *e)
{
    if (!isReadOnly() && e->mimeData()->hasText()) {
        setCursorPosition(cursorPositionAt(e->position().toPoint()));
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void CFilteredEdit::dropEvent(QDropEvent *e)
{
    if (isReadOnly() || !e->mimeData()->hasText()) {
        e->ignore();
        return;
    }
    deselect();
    setCursorPosition(cursorPositionAt(e->position().toPoint()));
    InsertFiltered(e->mimeData()->text());
    // Always a copy: a move would delete the dragged text behind the filter's back.
    e->setDropAction(Qt::CopyAction);
    e->accept();
    setFocus();
}

void CFilteredEdit::contextMenuEvent(QContextMenuEvent *e)
{
    // Our own menu: every entry that changes the text goes through the filter, and there is no
    // undo that could bring back a refused text.
    QMenu menu(this);
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText();
    auto add = [&menu](const char *text, const char *name, bool enabled) {
        QAction *a = menu.addAction(QCoreApplication::translate("QLineEdit", text));
        a->setObjectName(QLatin1String(name));
        a->setEnabled(enabled);
        return a;
    };
    connect(add("Cu&t", "edit-cut", editable && selected), &QAction::triggered, this, &CFilteredEdit::CutFiltered);
    connect(add("&Copy", "edit-copy", selected), &QAction::triggered, this, &QLineEdit::copy);
    connect(add("&Paste", "edit-paste", editable && !QGuiApplication::clipboard()->text().isEmpty()),
            &QAction::triggered, this, &CFilteredEdit::PasteFiltered);
    connect(add("Delete", "edit-delete", editable && selected), &QAction::triggered, this,
            [this] { OnChar(QChar(kDelete)); });
    menu.addSeparator();
    connect(add("Select All", "select-all", !text().isEmpty()), &QAction::triggered, this, &QLineEdit::selectAll);
    menu.exec(e->globalPos());
}

void CFilteredEdit::mouseReleaseEvent(QMouseEvent *e)
{
    // The middle button pastes the selection clipboard on X11.
    if (e->button() == Qt::MiddleButton) {
        QClipboard *cb = QGuiApplication::clipboard();
        if (cb->supportsSelection() && !isReadOnly()) {
            deselect();
            setCursorPosition(cursorPositionAt(e->position().toPoint()));
            InsertFiltered(cb->text(QClipboard::Selection));
        }
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}
