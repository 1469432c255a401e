// The status tick without a drive: which polls a tick makes, and what a poll's snapshot shows.
#include "StatusTick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FakeLink : public IStatusLink
{
public:
    bool IsPortOpen() const override { return portOpen; }
    bool IsDriveSampling() const override { return sampling; }
    bool IsConnected() const override { return connected; }
    bool PollConnection() override
    {
        ++polls;
        connected = answers;
        return answers && stateReadable;
    }
    int DriveStatus() const override { return status; }
    QString AlarmText() override
    {
        ++alarmReads;
        return QStringLiteral("Er12.3");
    }
    QString DriveModel() const override { return model; }
    QString DriveSerial() const override { return serial; }
    void ReadRunState() override { ++runStateReads; }

    bool portOpen = true;
    bool sampling = false;
    bool connected = false;
    bool answers = true;
    bool stateReadable = true;
    int status = 1;
    QString model = QStringLiteral("DRV1");
    QString serial = QStringLiteral("12345600789abc");
    int polls = 0;
    int alarmReads = 0;
    int runStateReads = 0;
};

TEST(StatusPoll, PollsPerTick)
{
    const struct
    {
        const char *name;
        bool portOpen, sampling, connectedBefore, answers;
        int polls;
        bool online;
    } cases[] = {
        {"no port", false, false, false, true, 0, false},
        {"new link", true, false, false, true, 2, true},
        {"link up", true, false, true, true, 2, true},
        {"silent drive", true, false, true, false, 1, false},
        {"never answered", true, false, false, false, 1, false},
        // While a capture streams only the second poll runs, and only on a live link.
        {"sampling, link up", true, true, true, true, 1, true},
        {"sampling, link down", true, true, false, true, 0, false},
    };
    for (const auto &c : cases) {
        FakeLink link;
        link.portOpen = c.portOpen;
        link.sampling = c.sampling;
        link.connected = c.connectedBefore;
        link.answers = c.answers;
        const StatusPollResult r = RunStatusPoll(link, {});
        EXPECT_EQ(link.polls, c.polls) << c.name;
        EXPECT_EQ(r.online, c.online) << c.name;
        EXPECT_EQ(r.portOpen, c.portOpen) << c.name;
    }
}

TEST(StatusPoll, AlarmAndRunStateAreReadOnlyWhenDue)
{
    const struct
    {
        const char *name;
        int status;
        bool stateReadable;
        bool readRunState;
        QString model;
        int alarmReads, runStateReads;
    } cases[] = {
        {"alarm", 3, true, false, "DRV1", 1, 0},
        {"ready", 1, true, false, "DRV1", 0, 0},
        {"alarm state not read this tick", 3, false, false, "DRV1", 0, 0},
        {"product check due", 1, true, true, "DRV1", 0, 1},
        {"identity not known yet", 1, true, true, "", 0, 0},
    };
    for (const auto &c : cases) {
        FakeLink link;
        link.status = c.status;
        link.stateReadable = c.stateReadable;
        link.model = c.model;
        StatusPollRequest request;
        request.readRunState = c.readRunState;
        const StatusPollResult r = RunStatusPoll(link, request);
        EXPECT_EQ(link.alarmReads, c.alarmReads) << c.name;
        EXPECT_EQ(link.runStateReads, c.runStateReads) << c.name;
        EXPECT_EQ(r.identityKnown, !c.model.isEmpty()) << c.name;
        if (c.alarmReads) {
            EXPECT_EQ(r.alarmText, QStringLiteral("Er12.3")) << c.name;
        }
    }
}

StatusPollResult Snapshot(bool online, bool connected, int status)
{
    StatusPollResult r;
    r.portOpen = true;
    r.online = online;
    r.connected = connected;
    r.driveStatus = status;
    r.alarmText = QStringLiteral("Er0E.1");
    r.model = QStringLiteral("DRV1");
    r.serial = QStringLiteral("12345600789abc");
    r.identityKnown = connected;
    return r;
}

StatusContext Context()
{
    StatusContext c;
    c.currentProductModel = QStringLiteral("DRV1");
    c.currentProductId = 1;
    c.currentProductExists = true;
    c.driveInfoRead = true;  // no product check unless a case wants one
    c.findProductId = [](const QString &model) {
        if (model == QStringLiteral("DRV1"))
            return 1;
        return model == QStringLiteral("DRV2") ? 2 : -1;
    };
    return c;
}

// A port closed after the link was up: no drive, no identity, the display shows "88888".
TEST(StatusPoll, AClosedPortShowsNoDrive)
{
    FakeLink link;
    link.portOpen = false;
    link.connected = true;
    const StatusPollResult r = RunStatusPoll(link, {});
    EXPECT_FALSE(r.connected);
    EXPECT_TRUE(r.model.isEmpty());
    EXPECT_TRUE(r.serial.isEmpty());
    const StatusView v = ComputeStatusView(r, Context());
    ASSERT_TRUE(v.toolbar.has_value());
    EXPECT_EQ(v.toolbar->second, QStringLiteral("88888"));
    EXPECT_EQ(v.pane2, QStringLiteral("软件发布版本号：1.0.6 "));
}

TEST(StatusView, WhatEachSnapshotShows)
{
    const QString identity = QStringLiteral(" 驱动器型号：  DRV1   SN号：  12345600789abc");
    StatusPollResult noPort;
    const struct
    {
        const char *name;
        StatusPollResult result;
        const char *pane0;
        const char *connect;
        int image;
        bool toolbarChanges;
        const char *label;
        const char *indicator;
        QString pane2Tail;
    } cases[] = {
        {"no port", noPort, "当前状态: 离线", "连通", 0, true, "DRV1   ", "88888", " "},
        {"not ready", Snapshot(true, true, 0), "当前状态: 在线", "关闭", 5, true, "", "nrd", identity},
        {"ready", Snapshot(true, true, 1), "当前状态: 在线", "关闭", 5, true, "", "rdy", identity},
        {"running", Snapshot(true, true, 2), "当前状态: 在线", "关闭", 5, true, "", "run", identity},
        {"alarm", Snapshot(true, true, 3), "当前状态: 在线", "关闭", 5, true, "", "Er0E.1", identity},
        // An unknown state leaves label and display as they were.
        {"state 4", Snapshot(true, true, 4), "当前状态: 在线", "关闭", 5, false, "", "", identity},
        {"state 9", Snapshot(true, true, 9), "当前状态: 在线", "关闭", 5, false, "", "", identity},
        // The link word answered but the state did not: no state is shown that was not read.
        {"state unread", Snapshot(false, true, 2), "当前状态: 离线", "连通", 0, true, "DRV1   ", " ", identity},
        {"drive silent", Snapshot(false, false, 1), "当前状态: 离线", "连通", 0, true, "DRV1   ", "88888", " "},
    };
    for (const auto &c : cases) {
        const StatusView v = ComputeStatusView(c.result, Context());
        EXPECT_EQ(v.pane0, QString::fromUtf8(c.pane0)) << c.name;
        EXPECT_EQ(v.online, QString::fromUtf8(c.pane0).contains(QStringLiteral("在线"))) << c.name;
        EXPECT_EQ(v.connectText, QString::fromUtf8(c.connect)) << c.name;
        EXPECT_EQ(v.connectImage, c.image) << c.name;
        ASSERT_EQ(v.toolbar.has_value(), c.toolbarChanges) << c.name;
        if (v.toolbar) {
            EXPECT_EQ(v.toolbar->first, QString::fromUtf8(c.label)) << c.name;
            EXPECT_EQ(v.toolbar->second, QString::fromUtf8(c.indicator)) << c.name;
        }
        EXPECT_EQ(v.pane2, QStringLiteral("软件发布版本号：1.0.6") + c.pane2Tail) << c.name;
        EXPECT_FALSE(v.productChecked) << c.name;
    }
    // Without a record of the current product the offline label is empty.
    StatusContext noProduct = Context();
    noProduct.currentProductModel.clear();
    EXPECT_EQ(ComputeStatusView(noPort, noProduct).toolbar->first, QString());
}

TEST(StatusView, ProductFollowsTheReportedModelOncePerLink)
{
    auto result = [](const char *model, bool online = true, bool identity = true) {
        StatusPollResult r = Snapshot(online, online, 1);
        r.model = QString::fromLatin1(model);
        r.identityKnown = identity;
        return r;
    };
    const struct
    {
        const char *name;
        StatusPollResult result;
        int currentId;
        bool currentExists;
        bool driveInfoRead;
        bool checked;
        int switchTo;  // -1: none
        bool unknown;
    } cases[] = {
        {"same product", result("DRV1"), 1, true, false, true, -1, false},
        {"other product", result("DRV2"), 1, true, false, true, 2, false},
        {"unknown model counts as 1", result("XY99"), 2, true, false, true, 1, true},
        {"unknown model, already 1", result("XY99"), 1, true, false, true, -1, true},
        {"current product has no record", result("DRV1"), 1, false, false, true, 1, false},
        {"already checked on this link", result("DRV2"), 1, true, true, false, -1, false},
        {"not connected", result("DRV2", false), 1, true, false, false, -1, false},
        {"identity not read yet", result("DRV2", true, false), 1, true, false, false, -1, false},
        // State 0 is also what a drive that never answered reports: no switch to product 1.
        {"no port", StatusPollResult(), 5, true, false, false, -1, false},
    };
    for (const auto &c : cases) {
        StatusContext context = Context();
        context.currentProductId = c.currentId;
        context.currentProductExists = c.currentExists;
        context.driveInfoRead = c.driveInfoRead;
        const StatusView v = ComputeStatusView(c.result, context);
        EXPECT_EQ(v.productChecked, c.checked) << c.name;
        EXPECT_EQ(v.switchToProduct.value_or(-1), c.switchTo) << c.name;
        EXPECT_EQ(v.unknownModel, c.unknown) << c.name;
    }
}

}
