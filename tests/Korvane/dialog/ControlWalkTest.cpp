// Both re-texting paths and the remembered values walk the same controls: captions nested in
// frames, group boxes, tab pages and scroll areas are re-texted, edit boxes are left alone,
// and every control with an id is remembered.
#include "BCGPPropertyPageEx.h"
#include "DialogExMid.h"
#include "UserCtrlDefValue.h"
#include "platform/ControlId.h"
#include "platform/ControlWalk.h"
#include "platform/LanguageConf.h"

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include "LanguageScope.h"

namespace {

const char *const kTable = "[CDlgWalk]\n"
                           "平面\t平面T\tFlat\n"
                           "框内\t框内T\tIn frame\n"
                           "组内\t组内T\tIn group\n"
                           "分组\t分组T\tGroup\n"
                           "选项\t选项T\tOption\n"
                           "[]\n";

// The shape of the page: returns the controls the checks look at.
struct Shape {
    QLabel *flat, *inFrame, *inGroup;
    QGroupBox *group;
    QComboBox *onTab;
    QLineEdit *inScroll;
};

template <class W>
W *WithId(W *w, int id)
{
    platform::SetCtrlId(w, id);
    return w;
}

Shape Build(QWidget *page)
{
    Shape s{};
    s.flat = WithId(new QLabel("平面", page), 1);
    auto *frame = new QFrame(page);  // no id
    s.inFrame = WithId(new QLabel("框内", frame), 2);
    s.group = WithId(new QGroupBox("分组", page), 3);
    s.inGroup = WithId(new QLabel("组内", s.group), 4);
    auto *tabs = new QTabWidget(page);
    auto *tabPage = new QWidget;
    tabs->addTab(tabPage, "tab");
    s.onTab = WithId(new QComboBox(tabPage), 5);
    s.onTab->addItem("选项");
    auto *scroll = new QScrollArea(page);
    auto *inner = new QWidget;
    s.inScroll = WithId(new QLineEdit("平面", inner), 6);
    scroll->setWidget(inner);
    return s;
}

void ExpectRetexted(const Shape &s)
{
    EXPECT_EQ(s.flat->text(), QString("Flat"));
    EXPECT_EQ(s.inFrame->text(), QString("In frame"));
    EXPECT_EQ(s.group->title(), QString("Group"));
    EXPECT_EQ(s.inGroup->text(), QString("In group"));
    EXPECT_EQ(s.onTab->itemText(0), QString("Option"));
    EXPECT_EQ(s.inScroll->text(), QString("平面")) << "an edit box keeps what it holds";
}

TEST(ControlWalk, DialogBaseRetextsNestedCaptions)
{
    LanguageScope lang(kTable, 2);
    CDialogExMid dlg(880);
    dlg.m_strLangSection = "CDlgWalk";
    const Shape s = Build(&dlg);
    dlg.Create(nullptr);
    ExpectRetexted(s);
}

TEST(ControlWalk, PropertyPageRetextsNestedCaptions)
{
    LanguageScope lang(kTable, 2);
    CBCGPPropertyPageEx page(881);
    page.m_strLangSection = "CDlgWalk";
    const Shape s = Build(&page);
    page.Create(881, nullptr);
    ExpectRetexted(s);
}

TEST(ControlWalk, RememberedValuesReachNestedControls)
{
    CUserCtrlDefValueList *store = CUserCtrlDefValueList::GetInstance();
    store->RemoveAll();
    for (int id = 1; id <= 6; ++id)
        store->SetValue(882, id, kCtrlKindStatic, "old");
    CDialogExMid dlg(882);
    const Shape s = Build(&dlg);
    s.inScroll->setText("typed");
    dlg.m_bRememberValues = true;
    dlg.Create(nullptr);
    dlg.DestroyWindow();
    EXPECT_EQ(store->GetValue(882, 1, kCtrlKindStatic), QString("平面"));
    EXPECT_EQ(store->GetValue(882, 2, kCtrlKindStatic), QString("框内"));
    EXPECT_EQ(store->GetValue(882, 4, kCtrlKindStatic), QString("组内"));
    EXPECT_EQ(store->GetValue(882, 5, kCtrlKindCombo), QString("选项"));
    EXPECT_EQ(store->GetValue(882, 6, kCtrlKindEdit), QString("typed"));
    store->RemoveAll();
}

// Composite controls are not entered: the edit box inside an editable combo box is its own.
TEST(ControlWalk, CompositeControlsAndWindowsAreNotEntered)
{
    QWidget root;
    auto *combo = new QComboBox(&root);
    combo->setEditable(true);
    auto *window = new QWidget(&root, Qt::Window);
    new QLabel("x", window);
    std::vector<QWidget *> seen;
    platform::ForEachControl(&root, [&seen](QWidget *w) { seen.push_back(w); });
    EXPECT_EQ(seen, std::vector<QWidget *>{combo});
}

}
