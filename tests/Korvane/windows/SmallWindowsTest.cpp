#include "ApplicationFont.h"
#include "DlgDesktop.h"
#include "DlgLoad.h"
#include "DlgShowTip.h"
#include "KorvaneApp.h"
#include "PopupMenu.h"
#include "controls/MFCDesktopAlertMid.h"
#include "platform/CommandId.h"
#include "platform/ControlId.h"
#include "platform/UiServices.h"
#include "support/PopupCloseCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace platform;

namespace {

template <class T>
QList<T *> TopLevels()
{
    QList<T *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w))
            out << t;
    return out;
}

struct MainWindowScope
{
    explicit MainWindowScope(QWidget *w) { SetMainWindow(w); }
    ~MainWindowScope() { SetMainWindow(nullptr); }
};

}

TEST(DesktopAlert, CaptionAndPlacement)
{
    auto ui = std::make_shared<ScriptedUiServices>();
    ScopedUiServices use(ui);
    QWidget main;
    main.setGeometry(100, 50, 400, 300);
    main.show();
    MainWindowScope scope(&main);
    const QPoint client = main.mapToGlobal(QPoint(0, 0));

    ShowDesktopAlert(2, "保存成功！", RGB(0, 0, 255));
    ShowDesktopAlert(1, "x", RGB(255, 0, 0), nullptr, "自定义", 0, 0);
    ShowDesktopAlert(3, "y", RGB(255, 0, 0), nullptr, QString(), 30, 40);

    const auto calls = ui->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, ScriptedUiServices::Kind::DesktopAlert);
    EXPECT_EQ(calls[0].caption, QString("温馨提示："));
    EXPECT_EQ(calls[0].text, QString("保存成功！"));
    EXPECT_EQ(calls[0].alert.seconds, 2);
    EXPECT_EQ(calls[0].alert.textColour, RGB(0, 0, 255));
    EXPECT_EQ(calls[0].alert.pos, QPoint(client.x() + 200 - 50, client.y()));
    EXPECT_EQ(calls[1].caption, QString("自定义"));
    EXPECT_EQ(calls[2].alert.pos, QPoint(30, 40));
    EXPECT_EQ(calls[2].caption, QString("温馨提示："));
}

TEST(DesktopAlert, ClosesItselfAfterItsTime)
{
    ScopedUiServices use(std::make_shared<QtUiServices>());
    ShowDesktopAlert(1, "恭喜您，操作成功！", RGB(255, 0, 0), nullptr, QString(), 20, 20);
    const auto popups = TopLevels<CMFCDesktopAlertMid>();
    ASSERT_EQ(popups.size(), 1);
    QPointer<CMFCDesktopAlertMid> popup = popups.front();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->GetCaption(), QString("温馨提示："));
    EXPECT_EQ(popup->GetAutoCloseTime(), 1000);
    auto *content = qobject_cast<CDlgDesktop *>(popup->GetContent());
    ASSERT_TRUE(content);
    EXPECT_EQ(content->m_strText, QString("恭喜您，操作成功！"));
    EXPECT_EQ(content->m_clrText, RGB(255, 0, 0));
    EXPECT_FALSE(content->grab().isNull());  // paints
    ExpectClosesAfterItsTime(popup.data(), 1000);
}

TEST(DesktopAlert, RightDoubleClickCopiesTheText)
{
    CDlgDesktop d;
    d.m_strText = "复制我";
    QGuiApplication::clipboard()->setText("before");
    QTest::mouseDClick(&d, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("before"));
    QTest::mouseDClick(&d, Qt::RightButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("复制我"));
}

// Through the application's own flags, as a tuning page hands them to the prompt: each aid's
// flag is written by the box and the application's prompt switch follows all three.
TEST(SafetyTip, CheckBoxSetsTheAidsFlagAndTheApplicationsPromptSwitch)
{
    CKorvaneApp app;
    ASSERT_EQ(GetAppFlags(), static_cast<CAppFlags *>(&app));
    BOOL CAppFlags::*const aids[] = {&CAppFlags::m_bIsDangerJogMoveWnd, &CAppFlags::m_bIsDangerInertiaWnd,
                                     &CAppFlags::m_bIsDangerAnalyseWnd};
    for (BOOL CAppFlags::*aid : aids) {
        for (BOOL CAppFlags::*other : aids)
            app.*other = FALSE;
        app.m_bIsDangerWnd = TRUE;
        CDlgShowTip tip;
        tip.m_pDontShowAgain = &(app.*aid);
        tip.Create(nullptr);
        auto *box = qobject_cast<QCheckBox *>(FindCtrl(&tip, CDlgShowTip::IDC_DONT_SHOW));
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text(), QString("下次不显示危险提醒"));
        box->click();
        EXPECT_TRUE(app.*aid);
        EXPECT_FALSE(app.m_bIsDangerWnd);
        box->click();
        EXPECT_FALSE(app.*aid);
        EXPECT_TRUE(app.m_bIsDangerWnd);
        // Another aid that still skips its prompt keeps the switch off.
        BOOL CAppFlags::*another = aid == aids[0] ? aids[1] : aids[0];
        app.*another = TRUE;
        box->click();
        box->click();
        EXPECT_FALSE(app.*aid);
        EXPECT_FALSE(app.m_bIsDangerWnd);
    }
}

TEST(SafetyTip, PictureIsCentredInItsFrame)
{
    CDlgShowTip tip;
    EXPECT_EQ(tip.windowTitle(), QString("安全操作提示"));
    tip.Create(nullptr);
    auto *picture = qobject_cast<QLabel *>(FindCtrl(&tip, CDlgShowTip::IDC_PICTURE));
    QWidget *frame = FindCtrl(&tip, CDlgShowTip::IDC_FRAME);
    ASSERT_TRUE(picture && frame);
    EXPECT_GT(tip.m_sizeImage.width(), 0);
    EXPECT_EQ(picture->size(), tip.m_sizeImage);
    EXPECT_LE((picture->geometry().center() - frame->geometry().center()).manhattanLength(), 2);
    tip.resize(tip.width() + 100, tip.height());
    QApplication::sendPostedEvents();
    EXPECT_LE((picture->geometry().center() - frame->geometry().center()).manhattanLength(), 2);
}

TEST(SafetyTip, MissingImageGivesAnEmptyPicture)
{
    CDlgShowTip tip;
    tip.m_strImagePath = "/nonexistent/JogTip.png";
    tip.Create(nullptr);
    auto *picture = qobject_cast<QLabel *>(FindCtrl(&tip, CDlgShowTip::IDC_PICTURE));
    ASSERT_TRUE(picture);
    EXPECT_EQ(tip.m_sizeImage, QSize(0, 0));
    EXPECT_TRUE(picture->pixmap().isNull());
}

TEST(SafetyTip, OkAndCancelEndTheModalRun)
{
    for (int button : {IDOK, IDCANCEL}) {
        CDlgShowTip tip;
        QTimer::singleShot(20, [&] { qobject_cast<QPushButton *>(FindCtrl(&tip, button))->click(); });
        EXPECT_EQ(tip.DoModal(), button);
    }
}

TEST(Splash, PaintsTheSplashPicture)
{
    CDlgLoad splash;
    splash.resize(600, 400);
    EXPECT_TRUE(FindCtrl(&splash, CDlgLoad::kPictureCtrlId));
    const QImage shown = splash.grab().toImage();
    const QImage source(":/res/252.png");
    ASSERT_FALSE(source.isNull());
    EXPECT_EQ(source.size(), QSize(600, 400));
    for (QPoint p : {QPoint(5, 5), QPoint(300, 130), QPoint(590, 390)})
        EXPECT_EQ(shown.pixelColor(p).rgb(), source.pixelColor(p).rgb()) << p.x();
}

TEST(ApplicationFont, FaceAndChildren)
{
    TApplicationFont &f = TApplicationFont::Instance();
    EXPECT_EQ(f.m_strFaceName, QString("黑体"));
    EXPECT_EQ(f.m_font.families().value(0), QString("黑体"));
    EXPECT_GT(f.m_nHeight, 0);
    EXPECT_GT(f.m_nPointSize, 0);

    QWidget page;
    auto *a = new QLabel("a", &page);
    auto *inner = new QWidget(&page);
    auto *b = new QLabel("b", inner);
    SetChildrenFont(&page, &f.m_font);
    EXPECT_EQ(a->font().pixelSize(), f.m_nHeight);
    EXPECT_EQ(b->font().pixelSize(), f.m_nHeight);
    EXPECT_TRUE(SetChildFontProc(a, nullptr));
    EXPECT_EQ(a->font(), QFont());
}

TEST(PopupMenu, StaysInsideTheWorkArea)
{
    const QRect work(0, 0, 1000, 700);
    struct Case
    {
        QPoint at;
        int height;
        QPoint expected;
    } cases[] = {
        {{50, 10}, 800, {50, 700 - 800}},  // taller than the room below, near the top: moved up
        {{50, 10}, 300, {50, 10}},         // fits below
        {{50, 600}, 300, {50, 600}},       // asked for below its own height: left alone
        {{50, 200}, 500, {50, 200}},       // fits exactly
    };
    for (const Case &c : cases)
        EXPECT_EQ(PopupMenuPosition(c.at, c.height, work), c.expected) << c.at.y() << " " << c.height;
}

namespace {
class Owner : public CDialogExMid
{
public:
    Owner() : CDialogExMid(1) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_COMMAND)
            commands.push_back(static_cast<int>(w));
        return CDialogExMid::WindowProc(msg, w, l);
    }
    std::vector<int> commands;
};
}

TEST(PopupMenu, OwnerUpdatesItemsAndGetsTheCommand)
{
    EXPECT_FALSE(ShowPopupMenu(nullptr, nullptr, 0, 0));
    Owner owner;
    owner.SetCommandUpdateHandler(43, [](CmdUi &ui) { ui.Enable(false); });
    QMenu menu;
    QAction *pick = menu.addAction("pick");
    SetCommandId(pick, 42);
    QAction *off = menu.addAction("off");
    SetCommandId(off, 43);
    bool offWasDisabled = false;
    QTimer::singleShot(50, [&] {
        offWasDisabled = !off->isEnabled();
        menu.setActiveAction(pick);
        QTest::keyClick(&menu, Qt::Key_Return);
    });
    EXPECT_TRUE(ShowPopupMenu(&owner, &menu, 10, 10));
    EXPECT_TRUE(offWasDisabled);
    EXPECT_EQ(owner.commands, std::vector<int>{42});
}
