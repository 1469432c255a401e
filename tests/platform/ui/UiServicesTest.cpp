#include "platform/PopupWindow.h"
#include "platform/UiServices.h"
#include "support/PopupCloseCheck.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

// Clicks the button with the given text on the next message box that opens, and notes the
// thread the box was made on.
struct BoxClicker
{
    explicit BoxClicker(const char *button) : buttonText(QString::fromUtf8(button)) {}
    QString buttonText;
    QThread *boxThread = nullptr;
    QString seenText, seenTitle;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;

    void Arm()
    {
        QTimer::singleShot(20, qApp, [this] { Poll(); });
    }
    void Poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible())
                continue;
            boxThread = box->thread();
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = box->icon();
            for (QAbstractButton *b : box->buttons())
                if (box->standardButton(b) != QMessageBox::NoButton && b->text().remove('&') == buttonText) {
                    b->click();
                    return;
                }
        }
        Arm();
    }
};

}

TEST(UiServices, WorkerGetsTheScriptedAnswerFromTheGuiThread)
{
    auto scripted = std::make_shared<ScriptedUiServices>();
    ScopedUiServices use(scripted);
    scripted->PushAnswer(IDNO);
    std::atomic<int> answer{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        answer = Ui().AskYesNo("是否改写P8006的值？", "提示") ? IDYES : IDNO;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    worker.join();
    EXPECT_EQ(answer, IDNO);
    const auto calls = scripted->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, ScriptedUiServices::Kind::MessageBox);
    EXPECT_EQ(calls[0].text, QString("是否改写P8006的值？"));
    EXPECT_EQ(calls[0].caption, QString("提示"));
    EXPECT_EQ(calls[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_TRUE(calls[0].onGuiThread);
}

TEST(UiServices, ScriptedAnswersFirstButtonWhenNothingIsQueued)
{
    auto scripted = std::make_shared<ScriptedUiServices>();
    ScopedUiServices use(scripted);
    struct Case
    {
        UINT type;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},         {MB_OKCANCEL | MB_ICONQUESTION, IDOK}, {MB_YESNO, IDYES},
        {MB_YESNOCANCEL, IDYES}, {MB_ABORTRETRYIGNORE, IDABORT},      {MB_RETRYCANCEL, IDRETRY},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Ui().MessageBox("t", "c", c.type), c.answer) << c.type;
    EXPECT_FALSE(Ui().FileDialog({}).has_value());
    EXPECT_FALSE(Ui().ChooseColour(RGB(1, 2, 3)).has_value());
    scripted->PushFile(QString("/tmp/a.KVF"));
    scripted->PushColour(RGB(4, 5, 6));
    EXPECT_EQ(Ui().FileDialog({}).value(), QString("/tmp/a.KVF"));
    EXPECT_EQ(Ui().ChooseColour(0).value(), RGB(4, 5, 6));
    scripted->SetShellOpenResult(false);
    EXPECT_FALSE(Ui().ShellOpen("/nowhere"));
}

TEST(UiServices, QtMessageBoxMapsButtonsToAnswers)
{
    QtUiServices qt;
    struct Case
    {
        UINT type;
        const char *click;
        int answer;
        QMessageBox::Icon icon;
    } cases[] = {
        {MB_OK | MB_ICONINFORMATION, "OK", IDOK, QMessageBox::Information},
        {MB_OKCANCEL | MB_ICONQUESTION, "Cancel", IDCANCEL, QMessageBox::Question},
        {MB_YESNO | MB_ICONERROR, "No", IDNO, QMessageBox::Critical},
        {MB_YESNOCANCEL | MB_ICONWARNING, "Yes", IDYES, QMessageBox::Warning},
        {MB_ABORTRETRYIGNORE, "Ignore", IDIGNORE, QMessageBox::NoIcon},
        {MB_RETRYCANCEL, "Retry", IDRETRY, QMessageBox::NoIcon},
    };
    for (const Case &c : cases) {
        BoxClicker clicker(c.click);
        clicker.Arm();
        EXPECT_EQ(qt.MessageBox("text", "caption", c.type), c.answer) << c.click;
        EXPECT_EQ(clicker.seenIcon, c.icon) << c.click;
        EXPECT_EQ(clicker.seenTitle, QString("caption"));
    }
}

// A box is as wide as its caption needs, and a text too long for the screen (a long result list)
// scrolls inside a box that fits, with the same buttons and answers.
TEST(UiServices, QtBoxShowsItsWholeCaptionAndFitsTheScreen)
{
    QtUiServices qt;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QString caption = QStringLiteral("Parameter Read Results of the whole parameter table");
    QString longList;
    for (int i = 0; i < 400; ++i)
        longList += QStringLiteral("[Read failed] [P%1] [Name %1]\n").arg(i, 4, 16, QLatin1Char('0'));
    struct Case
    {
        const char *what;
        QString text;
        bool scrolls;
    } cases[] = {{"short", QStringLiteral("text"), false}, {"long list", longList, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QSize shown;
        bool scrolled = false;
        int titleNeeds = 0;
        QTimer::singleShot(0, [&] {
            QWidget *box = nullptr;
            for (int i = 0; i < 200 && !(box = QApplication::activeModalWidget()); ++i)
                QTest::qWait(10);
            ASSERT_NE(box, nullptr);
            QTest::qWait(20);
            shown = box->frameGeometry().size();
            titleNeeds = box->fontMetrics().horizontalAdvance(caption);
            scrolled = box->findChild<QPlainTextEdit *>() != nullptr;
            for (QAbstractButton *b : box->findChildren<QAbstractButton *>())
                if (b->text().remove(QLatin1Char('&')) == QStringLiteral("No"))
                    b->click();
        });
        EXPECT_EQ(qt.MessageBox(c.text, caption, MB_YESNO), IDNO);
        EXPECT_EQ(scrolled, c.scrolls);
        EXPECT_GE(shown.width(), titleNeeds);
        EXPECT_LE(shown.height(), screen.height());
    }
}

TEST(UiServices, QtBoxAskedFromAWorkerIsMadeOnTheGuiThread)
{
    ScopedUiServices use(std::make_shared<QtUiServices>());
    BoxClicker clicker("Yes");
    clicker.Arm();
    std::atomic<bool> done{false}, yes{false};
    std::thread worker([&] {
        yes = Ui().AskYesNo("question", "title");
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    worker.join();
    EXPECT_TRUE(yes);
    EXPECT_EQ(clicker.boxThread, qApp->thread());
    EXPECT_EQ(clicker.seenText, QString("question"));
}

TEST(UiServices, PlainDesktopAlertClosesItselfAfterItsTime)
{
    QtUiServices qt;
    DesktopAlertRequest r;
    r.seconds = 1;
    r.text = "恭喜您，操作成功！";
    r.caption = "温馨提示：";
    r.pos = QPoint(40, 30);
    qt.DesktopAlert(r);
    QPointer<PopupWindow> popup;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<PopupWindow *>(w))
            popup = p;
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->GetCaption(), QString("温馨提示："));
    EXPECT_EQ(popup->pos(), QPoint(40, 30));
    EXPECT_EQ(popup->GetAutoCloseTime(), 1000);
    ExpectClosesAfterItsTime(popup.data(), 1000);
}
