#pragma once
// Waiting for a window that was just shown, or switched to another page or tab, to be whole:
// for tests that look at what it shows rather than at when it shows it.
#include "platform/Messages.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QList>
#include <QThread>
#include <QWidget>

#include <algorithm>

// A worker of a window under `root` (itself included) is still at its work.
inline bool WorkersBusy(const QWidget *root)
{
    const auto busy = [](const QObject *o) {
        const auto *target = dynamic_cast<const platform::MessageTarget *>(o);
        return target && target->AnyWorkerBusy();
    };
    if (busy(root))
        return true;
    const QList<QObject *> children = root->findChildren<QObject *>();
    return std::any_of(children.begin(), children.end(), busy);
}

// The window has settled: the reads its windows started as they showed are over, what they
// posted back is handled, and two turns of the event loop in a row found nothing to do (layouts
// and polish done). Without a window, only the last. False when that takes longer than the
// deadline.
inline bool SettleWindow(const QWidget *root, int deadlineMs = 10000)
{
    QAbstractEventDispatcher *events = QAbstractEventDispatcher::instance();
    QElapsedTimer t;
    t.start();
    int quietTurns = 0;
    while (quietTurns < 2) {
        const bool handled = events->processEvents(QEventLoop::AllEvents);
        const bool busy = root && WorkersBusy(root);
        quietTurns = handled || busy ? 0 : quietTurns + 1;
        if (busy)
            QThread::msleep(1);
        if (t.elapsed() > deadlineMs)
            return false;
    }
    return true;
}
