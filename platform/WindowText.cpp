#include "platform/WindowText.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {

QString GetWindowText(const QWidget *w)
{
    if (!w)
        return QString();
    if (auto *l = qobject_cast<const QLabel *>(w))
        return l->text();
    if (auto *b = qobject_cast<const QAbstractButton *>(w))
        return b->text();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<const QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<const QComboBox *>(w))
        return c->currentText();
    if (auto *t = qobject_cast<const QTextEdit *>(w))
        return t->toPlainText();
    if (auto *p = qobject_cast<const QPlainTextEdit *>(w))
        return p->toPlainText();
    if (auto *s = qobject_cast<const QAbstractSpinBox *>(w))
        return s->text();
    return w->windowTitle();
}

void SetWindowText(QWidget *w, const QString &text)
{
    if (!w)
        return;
    if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(text);
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(text);
    else if (auto *g = qobject_cast<QGroupBox *>(w))
        g->setTitle(text);
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        e->setText(text);
    else if (auto *c = qobject_cast<QComboBox *>(w)) {
        if (c->isEditable())  // a drop-down list has no text of its own
            c->setEditText(text);
    }
    else if (auto *t = qobject_cast<QTextEdit *>(w))
        t->setPlainText(text);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        p->setPlainText(text);
    else if (w->isWindow())
        w->setWindowTitle(text);
}

bool IsEditControl(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QTextEdit *>(w) ||
           qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w);
}

}
