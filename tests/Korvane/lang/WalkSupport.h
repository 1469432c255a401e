#pragma once
// What the walks over the program share: pumping the GUI until something holds, and a catcher
// that looks at the menus and modal dialogs the program opens while it is walked.
#include "ScreenTextAudit.h"

#include "support/ProgramDirCopy.h"
#include "support/SettleWindow.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace walk {

// Every page of the view's page table (-1: the home page).
inline const std::vector<int> &PageIds()
{
    static const std::vector<int> ids = {-1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17};
    return ids;
}

// Pumps until `done` or the deadline; answers `done`.
inline bool Pump(int ms, const std::function<bool()> &done)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && !done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Menus and modal dialogs the program opens while it is walked: looked at once they show, then
// closed without a choice.
class PopupCatcher : public QObject
{
public:
    explicit PopupCatcher(ScreenTextAudit &audit) : m_audit(audit) { qApp->installEventFilter(this); }
    ~PopupCatcher() override { qApp->removeEventFilter(this); }
    QString m_where;
    int m_menus = 0;
    int m_dialogs = 0;

protected:
    bool eventFilter(QObject *obj, QEvent *e) override
    {
        if (e->type() != QEvent::Show)
            return false;
        if (auto *menu = qobject_cast<QMenu *>(obj)) {
            if (!menu->parentWidget() || !qobject_cast<QMenu *>(menu->parentWidget())) {
                ++m_menus;
                m_audit.WalkMenu(menu, m_where + QStringLiteral(" menu"));
                QTimer::singleShot(0, menu, &QMenu::close);
            }
        } else if (auto *dialog = qobject_cast<QDialog *>(obj); dialog && dialog->isModal()) {
            ++m_dialogs;
            QPointer<QDialog> d = dialog;
            const QString where = m_where + QLatin1Char('/') + QString::fromLatin1(dialog->metaObject()->className());
            WalkOnceSettled(d, where, 0);
        }
        return false;
    }

private:
    // Looked at inside the dialog's own loop once no worker of it is busy and two more turns of
    // the loop have gone by (what the workers posted is handled); ten seconds at most.
    void WalkOnceSettled(QPointer<QDialog> d, const QString &where, int quietTurns, QElapsedTimer shown = {})
    {
        if (!shown.isValid())
            shown.start();
        QTimer::singleShot(quietTurns == 0 ? 1 : 0, this, [this, d, where, quietTurns, shown] {
            if (!d)
                return;
            const bool busy = WorkersBusy(d);
            const bool late = shown.elapsed() > 10000;
            if ((quietTurns < 2 || busy) && !late) {
                WalkOnceSettled(d, where, busy ? 0 : quietTurns + 1, shown);
                return;
            }
            EXPECT_FALSE(late) << where.toStdString() << " did not settle";
            m_audit.Walk(d, where);
            d->reject();
        });
    }

    ScreenTextAudit &m_audit;
};


}  // namespace walk
