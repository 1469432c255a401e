#pragma once
// A popup that closes itself after its time: its close timer runs that long from the show, and
// restarted a tenth as long it closes the popup, no sooner. The real length is not waited out.
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

inline void ExpectClosesAfterItsTime(const QPointer<QWidget> &popup, int ms)
{
    ASSERT_TRUE(popup);
    auto *closer = popup->findChild<QTimer *>();
    ASSERT_TRUE(closer);
    EXPECT_TRUE(closer->isActive());
    EXPECT_EQ(closer->interval(), ms);
    QElapsedTimer shown;
    shown.start();
    closer->start(ms / 10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, 10000));
    EXPECT_GE(shown.elapsed(), ms / 10 - 10);
}
