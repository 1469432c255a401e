#include "DialogExMid.h"
#include "UserCtrlDefValue.h"
#include "platform/ControlId.h"
#include "platform/UiServices.h"
#include "platform/WindowText.h"

#include <QApplication>
#include <QDir>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

using platform::SetCtrlId;

namespace {

// A page whose lookups are recorded and answered with a marked text.
class TestPage : public CDialogExMid
{
public:
    explicit TestPage(int timerId = -1, UINT elapse = 1000) : CDialogExMid(300)
    {
        m_strLangSection = "CDlgTestPage";
        m_nTimerID = timerId;
        m_nElapse = elapse;
    }

    template <class W>
    W *Add(int id, const QString &text = QString())
    {
        auto *w = new W(this);
        SetCtrlId(w, id);
        if (!text.isEmpty())
            platform::SetWindowText(w, text);
        return w;
    }

    struct Lookup
    {
        int key;
        QString text;
    };
    std::vector<Lookup> lookups;
    std::vector<UINT_PTR> ticks;
    int okCalls = 0;

protected:
    QString LookupControlText(int key, const QString &text) override
    {
        lookups.push_back({key, text});
        return "T:" + text;
    }
    void OnTimer(UINT_PTR id) override { ticks.push_back(id); }
    void OnOK() override
    {
        ++okCalls;
        CDialogExMid::OnOK();
    }
};

std::vector<int> Keys(const TestPage &p)
{
    std::vector<int> k;
    for (const auto &l : p.lookups)
        k.push_back(l.key);
    return k;
}

}

TEST(DialogExMid, IdentifyAnswersTheConstant)
{
    TestPage page;
    CDialogExMid plain(1);
    EXPECT_EQ(platform::SendMessage(&page, UM_IDENTIFY), 0x534B0000);
    EXPECT_EQ(platform::SendMessage(&plain, UM_IDENTIFY), 0x534B0000);
    EXPECT_EQ(platform::SendMessage(&plain, UM_PAGE_ACTIVATE), 0);
    EXPECT_EQ(platform::SendMessage(&plain, UM_THEME_CHANGED), 0);
}

TEST(DialogExMid, PageWithoutTimerStartsNothing)
{
    TestPage page(-1);
    EXPECT_EQ(platform::SendMessage(&page, UM_START_TIMER), 0);
    EXPECT_FALSE(page.IsTimerRunning(static_cast<UINT_PTR>(-1)));
    QTest::qWait(30);
    EXPECT_TRUE(page.ticks.empty());
    EXPECT_EQ(platform::SendMessage(&page, UM_STOP_TIMER), 0);
}

TEST(DialogExMid, PageTimerRunsOnlyBetweenStartAndStop)
{
    QWidget view;
    TestPage page(7, 10);
    page.Create(&view);
    QTest::qWait(40);
    EXPECT_TRUE(page.ticks.empty());  // not before the view starts it
    EXPECT_EQ(platform::SendMessage(&page, UM_START_TIMER), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.ticks.size() >= 2; }, 10000));
    for (UINT_PTR id : page.ticks)
        EXPECT_EQ(id, 7u);
    EXPECT_EQ(platform::SendMessage(&page, UM_STOP_TIMER), 0);
    const size_t n = page.ticks.size();
    QTest::qWait(50);
    EXPECT_EQ(page.ticks.size(), n);
    // The view switches back to the page: the timer runs again.
    platform::SendMessage(&page, UM_START_TIMER);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.ticks.size() > n; }, 10000));
    platform::SendMessage(&page, UM_STOP_TIMER);
}

TEST(DialogExMid, CombosAreRetextedUnderRunningKeysAndKeepSelections)
{
    TestPage page;
    page.setWindowTitle("页面");
    auto *c1 = page.Add<QComboBox>(1001);
    c1->addItems({"甲", "乙", "丙"});
    c1->setCurrentIndex(2);
    page.Add<QLabel>(1002, "标签");
    auto *c2 = page.Add<QComboBox>(1003);
    c2->addItems({"开", "关"});
    c2->setCurrentIndex(1);
    auto *c3 = page.Add<QComboBox>(1004);  // empty: adds no keys
    c3->setCurrentIndex(-1);
    page.Create(nullptr);

    const std::vector<int> expected = {kCaptionTextKey, 2000000, 2000001, 2000002, 1002, 2000003, 2000004};
    EXPECT_EQ(Keys(page), expected);
    EXPECT_EQ(page.lookups[3].text, QString("丙"));
    EXPECT_EQ(page.lookups[6].text, QString("关"));
    EXPECT_EQ(page.windowTitle(), QString("T:页面"));
    EXPECT_EQ(c1->count(), 3);
    EXPECT_EQ(c1->currentIndex(), 2);
    EXPECT_EQ(c1->currentText(), QString("T:丙"));
    EXPECT_EQ(c2->currentIndex(), 1);
    EXPECT_EQ(c2->itemText(0), QString("T:开"));
    EXPECT_EQ(c3->currentIndex(), -1);
}

TEST(DialogExMid, EditsEmptyTextsAndExcludedIdsKeepTheirText)
{
    TestPage page;
    auto *edit = page.Add<QLineEdit>(2001, "12.5");
    auto *empty = page.Add<QLabel>(2002);
    auto *excluded = page.Add<QPushButton>(2003, "颜色");
    auto *button = page.Add<QCheckBox>(2004, "选择");
    page.m_setNoTranslateIds.insert(2003);
    page.Create(nullptr);
    EXPECT_EQ(Keys(page), std::vector<int>{2004});
    EXPECT_EQ(edit->text(), QString("12.5"));
    EXPECT_EQ(empty->text(), QString());
    EXPECT_EQ(excluded->text(), QString("颜色"));
    EXPECT_EQ(button->text(), QString("T:选择"));
}

TEST(DialogExMid, CaptionWithoutSectionStopsRetexting)
{
    struct Case
    {
        const char *caption;
        bool translateCaption;
        bool result;
        size_t lookups;
    } cases[] = {
        {"标题", true, false, 0},  // needs a section it does not have: children untouched
        {"", true, true, 1},       // no caption to look up: children go on
        {"标题", false, true, 1},  // caption left alone
    };
    for (const Case &c : cases) {
        TestPage page;
        page.m_strLangSection.clear();
        page.m_bTranslateCaption = c.translateCaption;
        page.setWindowTitle(c.caption);
        page.Add<QLabel>(1, "文字");
        EXPECT_EQ(page.TranslateControls(), c.result) << c.caption;
        EXPECT_EQ(page.lookups.size(), c.lookups) << c.caption;
    }
    TestPage off;
    off.m_bTranslateEnabled = false;
    off.Add<QLabel>(1, "文字");
    EXPECT_TRUE(off.TranslateControls());
    EXPECT_TRUE(off.lookups.empty());
}

TEST(DialogExMid, SecondCreationInTheSameLanguageDoesNotRetext)
{
    TestPage page;
    page.Add<QLabel>(1, "文字");
    page.Create(nullptr);
    EXPECT_EQ(page.lookups.size(), 1u);
    page.DestroyWindow();
    page.Create(nullptr);
    EXPECT_EQ(page.lookups.size(), 1u);
    page.DestroyWindow();
    page.m_bForceTranslate = true;
    page.Create(nullptr);
    EXPECT_EQ(page.lookups.size(), 2u);

    TestPage fresh;  // a new object is always re-texted
    fresh.Add<QLabel>(1, "文字");
    fresh.Create(nullptr);
    EXPECT_EQ(fresh.lookups.size(), 1u);
}

TEST(DialogExMid, EscapeDoesNothingAndEnterDoesNotHideAPage)
{
    QWidget view;
    TestPage page;
    auto *edit = page.Add<QLineEdit>(5, "1");
    page.Create(&view);
    view.show();
    page.show();
    for (QWidget *target : {static_cast<QWidget *>(&page), static_cast<QWidget *>(edit)}) {
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_TRUE(page.isVisible());
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_TRUE(page.isVisible());
        QTest::keyClick(target, Qt::Key_Enter);
        EXPECT_TRUE(page.isVisible());
    }
    EXPECT_GE(page.okCalls, 1);  // Enter still reaches the page
    page.EndDialog(IDCANCEL);
    EXPECT_TRUE(page.isVisible());
}

TEST(DialogExMid, ModalDialogIgnoresEscapeAndTakesEnterAsOk)
{
    TestPage dlg;
    bool stillRunningAfterEscape = false;
    QTimer::singleShot(30, [&] {
        QTest::keyClick(&dlg, Qt::Key_Escape);
        stillRunningAfterEscape = dlg.isVisible();
        QTest::keyClick(&dlg, Qt::Key_Return);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(stillRunningAfterEscape);
    EXPECT_FALSE(dlg.IsCreated());

    TestPage closed;
    QTimer::singleShot(30, [&] { closed.close(); });  // the window's close button
    EXPECT_EQ(closed.DoModal(), IDCANCEL);
}

TEST(DialogExMid, LayoutRowsFlowAndWrap)
{
    CDialogExMid dlg(1);
    auto make = [&dlg] {
        auto *w = new QWidget(&dlg);
        w->show();
        return w;
    };
    QWidget *a = make(), *b = make(), *c = make(), *d = make(), *e = make(), *hidden = make();
    hidden->hide();
    // Row 0: a (100 x 20, margins 4/3), b (60 x 30, margins 6/2), c (80 x 10, margin 5/1): c
    // would need 80 * 0.8 = 64 > 200 - 176 left, so it wraps.
    dlg.AddLayoutItem(0, 0, a, 4, 3, 100, 20);
    dlg.AddLayoutItem(0, 1, hidden, 0, 0, 500, 500);  // invisible: skipped
    dlg.AddLayoutItem(0, 2, b, 6, 2, 60, 30);
    dlg.AddLayoutItem(0, 3, c, 5, 1, 80, 10);
    // Row 1: d is proportional (half the width left, all the height left), e fixed.
    dlg.AddLayoutItem(1, 0, d, 10, 0, -1, -1, 0.5f, 1.0f);
    dlg.AddLayoutItem(1, 1, e, 2, 0, 30, 30);
    dlg.RelayoutControls(QRect(0, 0, 200, 300));
    EXPECT_EQ(a->geometry(), QRect(4, 3, 100, 20));
    EXPECT_EQ(b->geometry(), QRect(110, 2, 60, 30));
    // Wrapped: 5 below the tallest of the row so far (2 + 30), at the left edge, no x margin.
    EXPECT_EQ(c->geometry(), QRect(0, 32 + 5 + 1, 80, 10));
    // Row 1 starts below row 0: rowTop 37 + row height 32 = 69.
    EXPECT_EQ(d->geometry(), QRect(10, 69, 90, 231));
    EXPECT_EQ(e->geometry(), QRect(102, 69, 30, 30));

    // The first item of a row never wraps, however wide.
    CDialogExMid one(1);
    auto *wide = new QWidget(&one);
    one.AddLayoutItem(0, 0, wide, 3, 0, 1000, 10);
    one.RelayoutControls(QRect(0, 0, 100, 100));
    EXPECT_EQ(wide->geometry(), QRect(3, 0, 1000, 10));

    one.DestroyWindow();  // not created: nothing happens
    one.Create(nullptr);
    one.DestroyWindow();
    EXPECT_TRUE(one.m_layout.empty());
}

TEST(DialogExMid, RememberedValuesAreCapturedOnDestroy)
{
    CUserCtrlDefValueList *store = CUserCtrlDefValueList::GetInstance();
    store->RemoveAll();
    store->SetValue(700, 1, kCtrlKindEdit, "old");
    store->SetValue(700, 2, kCtrlKindEdit, "old");
    store->SetValue(700, 3, kCtrlKindEdit, "old");
    store->SetValue(700, 4, kCtrlKindEdit, "old");
    store->SetValue(700, 9, kCtrlKindEdit, "no such control");
    store->SetValue(701, 1, kCtrlKindEdit, "other dialog");

    CDialogExMid dlg(700);
    auto *edit = new QLineEdit("  typed ", &dlg);
    SetCtrlId(edit, 1);
    auto *combo = new QComboBox(&dlg);
    combo->addItems({"a", "b"});
    combo->setCurrentIndex(1);
    SetCtrlId(combo, 2);
    auto *check = new QCheckBox(&dlg);
    check->setTristate(true);
    check->setCheckState(Qt::PartiallyChecked);
    SetCtrlId(check, 3);
    auto *label = new QLabel("静态", &dlg);
    SetCtrlId(label, 4);
    auto *unlisted = new QLineEdit("x", &dlg);
    SetCtrlId(unlisted, 5);
    dlg.m_bRememberValues = true;
    dlg.Create(nullptr);
    dlg.DestroyWindow();

    EXPECT_EQ(store->GetValue(700, 1, kCtrlKindEdit), QString("typed"));
    EXPECT_EQ(store->GetValue(700, 2, kCtrlKindCombo), QString("b"));
    EXPECT_EQ(store->GetValue(700, 3, kCtrlKindButton), QString("2"));
    EXPECT_EQ(store->GetValue(700, 4, kCtrlKindStatic), QString("静态"));
    EXPECT_EQ(store->GetValue(700, 9, kCtrlKindEdit), QString("no such control"));
    EXPECT_EQ(store->GetValue(701, 1, kCtrlKindEdit), QString("other dialog"));
    EXPECT_EQ(store->GetValue(700, 5, kCtrlKindEdit), QString());  // only existing entries
    store->RemoveAll();
}

TEST(DialogExMid, PopupItemsTakeTheirUpdateHandlersState)
{
    CDialogExMid dlg(1);
    QMenu menu;
    auto add = [](QMenu *m, int id, const char *text) {
        QAction *a = m->addAction(text);
        platform::SetCommandId(a, id);
        return a;
    };
    QAction *enabled = add(&menu, 10, "enabled");
    QAction *checked = add(&menu, 11, "checked");
    QAction *removes = add(&menu, 12, "removes itself");
    QAction *after = add(&menu, 13, "after the removed one");
    menu.addSeparator();
    QAction *noHandler = add(&menu, 14, "no handler");
    QMenu *sub = menu.addMenu("sub without handler");
    add(sub, 20, "first");
    QMenu *sub2 = menu.addMenu("sub with handler");
    add(sub2, 21, "first");
    enabled->setEnabled(false);
    int afterUpdates = 0;
    dlg.SetCommandUpdateHandler(10, [](platform::CmdUi &ui) { ui.Enable(true); });
    dlg.SetCommandUpdateHandler(11, [](platform::CmdUi &ui) { ui.SetCheck(1); });
    dlg.SetCommandUpdateHandler(12, [&menu](platform::CmdUi &ui) { menu.removeAction(ui.m_pAction); });
    dlg.SetCommandUpdateHandler(13, [&afterUpdates](platform::CmdUi &ui) {
        ++afterUpdates;
        ui.Enable(false);
    });
    dlg.SetCommandUpdateHandler(21, [](platform::CmdUi &ui) { ui.SetText("renamed"); });

    platform::SendMessage(&dlg, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(&menu), 0);
    EXPECT_TRUE(enabled->isEnabled());
    EXPECT_TRUE(checked->isChecked());
    EXPECT_FALSE(menu.actions().contains(removes));
    EXPECT_EQ(afterUpdates, 1);
    EXPECT_FALSE(after->isEnabled());
    EXPECT_TRUE(noHandler->isEnabled());
    EXPECT_FALSE(sub->menuAction()->isEnabled());
    EXPECT_EQ(sub2->menuAction()->text(), QString("renamed"));
    delete removes;
}

TEST(DialogExMid, MessageBoxGoesThroughTheUiServices)
{
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices use(ui);
    ui->PushAnswer(IDNO);
    EXPECT_EQ(CDialogExMid::ShowBCGMessageBox(nullptr, "文本", "提示", MB_YESNO), IDNO);
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].caption, QString("提示"));
}

// ---- with the language library and ini files

#include "platform/IniFile.h"
#include "platform/LanguageConf.h"

#include <QFile>
#include <QTemporaryDir>

#include "LanguageScope.h"

TEST(DialogExMid, RetextsThroughTheLanguageLibraryWhenTheLanguageChanged)
{
    LanguageScope lang("[CDlgLangPage]\n文字\t文字T\tText\n页面\t頁面\tPage\n[]\n甲\t甲T\tFirst\n");
    auto *conf = platform::CLanguageConf::GetTheOne();
    conf->Set(2);
    CDialogExMid dlg(1);
    dlg.m_strLangSection = "CDlgLangPage";
    dlg.setWindowTitle("页面");
    auto *label = new QLabel("文字", &dlg);
    auto *combo = new QComboBox(&dlg);
    combo->addItem("甲");
    dlg.Create(nullptr);
    EXPECT_EQ(dlg.windowTitle(), QString("Page"));
    EXPECT_EQ(label->text(), QString("Text"));
    EXPECT_EQ(combo->itemText(0), QString("First"));
    EXPECT_EQ(dlg.m_nAppliedLanguage, 2);

    dlg.DestroyWindow();
    conf->Set(1);
    dlg.Create(nullptr);  // the language changed since: re-texted from the shown texts
    EXPECT_EQ(label->text(), QString("文字T"));
    EXPECT_EQ(dlg.windowTitle(), QString("頁面"));

    dlg.DestroyWindow();
    label->setText("文字");
    dlg.Create(nullptr);  // same language: left alone
    EXPECT_EQ(label->text(), QString("文字"));
}

namespace {

struct IniScope
{
    QTemporaryDir dir;
    QString file = dir.filePath("placement.ini");
    void Write(const QString &key, int v) { platform::IniFile::WriteInt(file, "DlgPlace", key, v); }
    int Read(const QString &key) const { return platform::IniFile::GetInt(file, "DlgPlace", key, -12345); }
};

void UsePlacement(CDialogExMid &d, const IniScope &ini, bool pos, bool size)
{
    d.m_strIniFile = ini.file;
    d.m_strIniSection = "DlgPlace";
    d.m_bRememberPos = pos;
    d.m_bRememberSize = size;
}

}

TEST(DialogExMid, PlacementIsRestoredFromTheIniFile)
{
    IniScope ini;
    ini.Write("PosX", 120);
    ini.Write("PosY", 80);
    ini.Write("SizeCX", 310);
    ini.Write("SizeCY", 220);
    CDialogExMid dlg(1);
    dlg.resize(100, 100);
    UsePlacement(dlg, ini, true, true);
    dlg.Create(nullptr);
    EXPECT_EQ(dlg.pos(), QPoint(120, 80));
    EXPECT_EQ(dlg.size(), QSize(310, 220));

    CDialogExMid posOnly(1);
    posOnly.resize(100, 100);
    UsePlacement(posOnly, ini, true, false);
    posOnly.Create(nullptr);
    EXPECT_EQ(posOnly.pos(), QPoint(120, 80));
    EXPECT_EQ(posOnly.size(), QSize(100, 100));
}

TEST(DialogExMid, PlacementThatCannotBeUsedIsIgnored)
{
    struct Case
    {
        const char *what;
        int posX;  // -1: key absent
        bool center;
        bool moved;
    } cases[] = {
        {"beyond the virtual screen", 100000, false, false},
        {"no position stored", -1, false, false},
        {"only one coordinate stored", -2, true, false},
        {"no position stored, centred", -1, true, true},
    };
    for (const Case &c : cases) {
        IniScope ini;
        if (c.posX == -2)
            ini.Write("PosY", 10);  // half a position: neither used nor centred
        if (c.posX >= 0) {
            ini.Write("PosX", c.posX);
            ini.Write("PosY", 10);
        }
        CDialogExMid dlg(1);
        dlg.setGeometry(3, 4, 100, 100);
        UsePlacement(dlg, ini, true, false);
        dlg.m_bCenterIfUnplaced = c.center;
        dlg.Create(nullptr);
        EXPECT_EQ(dlg.pos() != QPoint(3, 4), c.moved) << c.what;
    }
}

TEST(DialogExMid, DefaultSizeWhenTheIniFileHasNone)
{
    IniScope ini;
    ini.Write("PosX", 5);
    ini.Write("PosY", 6);
    CDialogExMid dlg(1);
    UsePlacement(dlg, ini, true, true);
    dlg.m_sizeDefault = QSize(333, 222);
    dlg.Create(nullptr);
    EXPECT_EQ(dlg.geometry(), QRect(5, 6, 333, 222));
}

TEST(DialogExMid, PlacementAndFlagsAreSaved)
{
    IniScope ini;
    CDialogExMid dlg(1);
    UsePlacement(dlg, ini, true, true);
    dlg.m_bRememberMax = true;
    dlg.m_bRememberMin = true;
    dlg.Create(nullptr);
    dlg.setGeometry(40, 50, 260, 170);
    dlg.OnOK();
    EXPECT_EQ(ini.Read("PosX"), 40);
    EXPECT_EQ(ini.Read("PosY"), 50);
    EXPECT_EQ(ini.Read("SizeCX"), 260);
    EXPECT_EQ(ini.Read("SizeCY"), 170);
    EXPECT_EQ(ini.Read("MaxFlag"), 0);
    EXPECT_EQ(ini.Read("MinFlag"), 0);

    dlg.move(70, 90);
    dlg.ShowStoredState(SW_HIDE);  // hiding a normal window saves it first
    EXPECT_EQ(ini.Read("PosX"), 70);
    dlg.move(75, 95);
    dlg.DestroyWindow();
    EXPECT_EQ(ini.Read("PosY"), 95);
}

TEST(DialogExMid, NothingIsWrittenWithoutAnIniFile)
{
    QTemporaryDir dir;
    CDialogExMid dlg(1);
    dlg.m_bRememberPos = true;
    dlg.m_bRememberSize = true;
    dlg.m_strIniSection = "DlgPlace";
    dlg.Create(nullptr);
    dlg.OnOK();
    dlg.DestroyWindow();
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_FALSE(dlg.LoadPlacementFromIni());
}
