#include "controls/ColourPopup.h"
#include "controls/KVColorButton.h"

#include "LangText.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

class Page : public QWidget, public platform::MessageTarget
{
public:
    Page() : platform::MessageTarget(this) { resize(300, 200); }
    std::vector<WPARAM> commands;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_COMMAND)
            commands.push_back(w);
        return platform::MessageTarget::WindowProc(msg, w, l);
    }
};

QImage Render(QWidget &w)
{
    QImage img(w.size(), QImage::Format_RGB32);
    w.render(&img);
    return img;
}

void Mouse(QWidget *w, QEvent::Type type, QPoint pos)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}

TEST(KVColorButton, AutomaticWithTextPutsASquareBoxLeftOfTheText)
{
    const QRect r(2, 2, 80, 18);
    const auto split = CKVColorButton::Arrange(r, true);
    EXPECT_EQ(split.box, QRect(2, 2, 18, 18));
    EXPECT_EQ(split.text, QRect(20, 2, 62, 18));
    const auto whole = CKVColorButton::Arrange(r, false);
    EXPECT_EQ(whole.box, r);
    EXPECT_TRUE(whole.text.isNull());
}

TEST(KVColorButton, PaintsAColourBoxAndLeavesTheAutomaticBoxUnfilled)
{
    CKVColorButton b;
    b.resize(100, 24);
    b.SetColor(RGB(255, 0, 0));
    QImage img = Render(b);
    EXPECT_EQ(img.pixelColor(30, 12), QColor(255, 0, 0)) << "a colour fills the whole box";

    b.EnableAutomaticButton("Automatic", RGB(0, 0, 255));
    b.SetColor(kAutomaticColor);
    img = Render(b);
    const QColor face = b.palette().color(QPalette::Button);
    EXPECT_EQ(img.pixelColor(11, 12), face) << "no fill for the automatic colour";
    EXPECT_NE(img.pixelColor(11, 12), QColor(0, 0, 255));
}

TEST(KVColorButton, AChoiceFromThePaletteSetsTheColourAndClicksTheParent)
{
    GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/english_US.ini");
    Page page;
    auto *b = new CKVColorButton(&page);
    platform::SetCtrlId(b, 1234);
    b->setGeometry(10, 10, 80, 22);
    b->SetColor(kAutomaticColor);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    QTest::mouseClick(b, Qt::LeftButton);
    auto *popup = qobject_cast<CColourPopup *>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->m_nMarkedRow, -2) << "the automatic colour marks no cell";
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_EQ(b->GetColor(), kAutomaticColor);
    EXPECT_TRUE(page.commands.empty()) << "no choice, no click";

    QTest::mouseClick(b, Qt::LeftButton);
    popup = qobject_cast<CColourPopup *>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    Mouse(popup, QEvent::MouseMove, popup->GetCellRect(1, 5).center());
    Mouse(popup, QEvent::MouseButtonRelease, popup->GetCellRect(1, 5).center());
    EXPECT_EQ(b->GetColor(), RGB(0, 0, 255));
    ASSERT_EQ(page.commands.size(), 1u);
    EXPECT_EQ(page.commands[0], MAKEWPARAM(1234, BN_CLICKED));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    GetLangText() = CLangText();
}

namespace {

TEST(KVColorButton, TheAutomaticEntryPutsTheDefaultColourBack)
{
    GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini");
    Page page;
    auto *b = new CKVColorButton(&page);
    platform::SetCtrlId(b, 1234);
    b->setGeometry(10, 10, 80, 22);
    b->EnableAutomaticButton(QStringLiteral("默认"), RGB(255, 0, 255));
    b->SetColor(RGB(1, 2, 3));
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    QTest::mouseClick(b, Qt::LeftButton);
    auto *popup = qobject_cast<CColourPopup *>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->m_bHasAutomaticButton);
    EXPECT_EQ(popup->m_strAutomaticText, QStringLiteral("默认"));
    // The entry lies inside the palette and below the grid's last row.
    EXPECT_TRUE(popup->rect().contains(popup->m_rcAutomaticButton));
    EXPECT_GE(popup->m_rcAutomaticButton.top(), popup->GetCellRect(popup->m_nRows - 1, 0).bottom());
    int row = 0, col = 0;
    ASSERT_TRUE(popup->HitTest(popup->m_rcAutomaticButton.center(), row, col));
    EXPECT_EQ(row, -3);
    Mouse(popup, QEvent::MouseMove, popup->m_rcAutomaticButton.center());
    Mouse(popup, QEvent::MouseButtonRelease, popup->m_rcAutomaticButton.center());
    EXPECT_EQ(b->GetColor(), kAutomaticColor);
    ASSERT_EQ(page.commands.size(), 1u);
    EXPECT_EQ(page.commands[0], MAKEWPARAM(1234, BN_CLICKED));

    // Without an automatic text the palette has no such entry.
    CKVColorButton plain(&page);
    plain.setGeometry(10, 40, 80, 22);
    plain.show();
    QTest::mouseClick(&plain, Qt::LeftButton);
    popup = qobject_cast<CColourPopup *>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->m_bHasAutomaticButton);
    QTest::keyClick(popup, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    GetLangText() = CLangText();
}

}
