// The cursor tab: what it measures at the trace view's cursors, how the grids show it, and
// how its switches act on the view.
#include "Wnds/scope/NewScopeCursorDlg.h"

#include "AppFlags.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/VScope.h"
#include "controls/ColourPicker.h"
#include "grid/BCGPGridCtrlEx.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class CursorDlg : public ::testing::Test
{
protected:
    std::shared_ptr<platform::ScriptedUiServices> ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scoped{ui};
    CAppFlags flags;
    int saves = 0;
    QWidget page;
    CVScope *view = new CVScope(&page);
    CNewScopeCursorDlg *dlg = nullptr;

    void SetUp() override
    {
        SetAppFlags(&flags);
        flags.m_bScopeShowCursor = TRUE;
        flags.m_fnSaveSysSetIni = [this] { ++saves; };
        CScopeSettings *settings = CScopeSettings::GetInstance();
        const COLORREF colours[4] = {RGB(255, 0, 0), RGB(0, 128, 255), RGB(10, 20, 30), RGB(255, 255, 255)};
        std::copy(std::begin(colours), std::end(colours), settings->m_clrCursorChannel);
        page.resize(1200, 800);
        view->setGeometry(0, 0, 800, 600);
        // CH1: 200 rising samples (sample i = i / 4 - 10); CH3 a constant.
        std::vector<double> rising(200), flat(200, 3.0);
        for (int i = 0; i < 200; ++i)
            rising[static_cast<size_t>(i)] = i / 4.0 - 10;
        view->m_ch[0].AppendFromArray(rising);
        view->m_ch[0].m_strName = "speed";
        view->m_ch[0].SetRange(-20, 60);
        view->m_ch[2].AppendFromArray(flat);
        view->m_ch[2].m_strName = "torque";
        view->m_ch[2].SetRange(-5, 5);
        view->m_nXFirst = 0;
        view->m_nXLast = 200;
        view->m_dSamplePeriod = 0.125;
        dlg = new CNewScopeCursorDlg(view, &page);
        dlg->m_fnGetChannelSourceName = [](int k) { return QString("source %1").arg(k + 1); };
        dlg->Create(&page);
        dlg->setGeometry(810, 0, 350, 700);
        page.show();
    }
    void TearDown() override { SetAppFlags(nullptr); }

    // Time cursors A at sample 100 and B at sample 60.
    void PlaceTimeCursors()
    {
        view->m_nCursorMode = 1;
        view->ResetCursorPositions();
        view->m_nCursorX1 = view->ValueToPoint(0, 200, 0, 1, 100, 0).x();
        view->m_nCursorX2 = view->ValueToPoint(0, 200, 0, 1, 60, 0).x();
        int a, b;
        view->GetCursorSamples(a, b);
        ASSERT_EQ(a, 100);
        ASSERT_EQ(b, 60);
    }

    static QString Cell(CBCGPGridCtrlEx *g, int row, int col)
    {
        platform::GridRow *r = g->GetRow(row);
        return r && r->GetItem(col) ? r->GetItem(col)->GetLabel() : QString("<none>");
    }
};

}

TEST_F(CursorDlg, OpensWithoutCursorsWhateverWasSaved)
{
    EXPECT_FALSE(dlg->m_chkShowCursor->isChecked());
    EXPECT_EQ(flags.m_bScopeShowCursor, FALSE);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(view->m_nCursorMode, 0);
    EXPECT_TRUE(dlg->m_radTime->isChecked());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(dlg->m_pickers[i]->IsPopupEnabled());
}

TEST_F(CursorDlg, TimeCursorTableMeasuresBetweenTheCursors)
{
    PlaceTimeCursors();
    const auto rows = CNewScopeCursorDlg::TimeCursorRows(*view, dlg->m_fnGetChannelSourceName);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], (QStringList{"", "A", "B", "B-A", "有效值", "最小值", "最大值"}));
    EXPECT_EQ(rows[1].mid(1), (QStringList{"12.500", "7.500", "-5.000", "--", "--", "--"}));
    // RMS over samples 60..99, minimum and maximum over 60..100.
    double sum = 0;
    for (int i = 60; i < 100; ++i)
        sum += std::pow(i / 4.0 - 10, 2);
    EXPECT_EQ(rows[2], (QStringList{"speed", "15.000", "5.000", "-10.000", QString::asprintf("%.3f", std::sqrt(sum / 40)),
                                    "5.000", "15.000"}));
    EXPECT_EQ(rows[3], (QStringList{"source 2", "", "", "", "", "", ""}));
    EXPECT_EQ(rows[4], (QStringList{"torque", "3.000", "3.000", "0.000", "3.000", "3.000", "3.000"}));

    // The same cursor on both: an empty RMS range, minimum and maximum that one sample.
    view->m_nCursorX2 = view->m_nCursorX1;
    const auto same = CNewScopeCursorDlg::TimeCursorRows(*view, {});
    EXPECT_EQ(same[2].mid(4), (QStringList{"0.000", "15.000", "15.000"}));
    EXPECT_EQ(same[3], (QStringList{"", "", "", "", "", "", ""}));  // no callback: empty names
}

TEST_F(CursorDlg, GridsShowTheTablesWithColouredHeaders)
{
    PlaceTimeCursors();
    dlg->FillTimeCursorTable();
    EXPECT_TRUE(dlg->m_gridTime->isVisibleTo(dlg));
    ASSERT_EQ(dlg->m_gridTime->GetColumnCount(), 3);
    EXPECT_EQ(dlg->m_gridTime->GetColumnName(2), "B-A");
    EXPECT_EQ(Cell(dlg->m_gridTime, 0, 0), "12.500");
    EXPECT_EQ(Cell(dlg->m_gridTime, 0, 2), "-5.000");

    CBCGPGridCtrlEx *first = dlg->m_gridChannels[0];
    ASSERT_EQ(first->GetColumnCount(), 3);
    ASSERT_EQ(first->GetRowCount(), 6);
    EXPECT_EQ(first->GetColumnName(1), "speed");
    EXPECT_EQ(first->GetColumnName(2), "source 2");
    EXPECT_EQ(Cell(first, 3, 0), "有效值");
    EXPECT_EQ(Cell(first, 0, 1), "15.000");
    EXPECT_EQ(Cell(first, 5, 1), "15.000");
    const auto &colours = first->GetColumnsInfo().m_mapHeaderColors;
    ASSERT_TRUE(colours.count(1));
    EXPECT_EQ(colours.at(1), std::make_pair(RGB(0, 255, 255), RGB(255, 0, 0)));
    EXPECT_EQ(colours.at(2), std::make_pair(RGB(255, 127, 0), RGB(0, 128, 255)));
    EXPECT_EQ(dlg->m_gridChannels[1]->GetColumnName(1), "torque");

    // Value cursors: no time grid, three rows of each channel column filled.
    dlg->m_radTime->click();
    dlg->m_radValue->click();
    EXPECT_EQ(view->m_nCursorMode, 2);
    EXPECT_FALSE(dlg->m_gridTime->isVisibleTo(dlg));
    EXPECT_FALSE(dlg->m_radTime->isChecked());
    double a, b;
    view->GetCursorValues(view->m_ch[0], a, b);
    EXPECT_EQ(Cell(first, 0, 1), QString::asprintf("%.3f", a));
    EXPECT_EQ(Cell(first, 2, 1), QString::asprintf("%.3f", b - a));
    EXPECT_EQ(Cell(first, 3, 1), "");
    EXPECT_EQ(dlg->m_rows.size(), 5u);
}

// A cursor move rewrites the cells of the grids it has, and the view paints once for it.
TEST_F(CursorDlg, CursorMoveRefreshesCellsInPlaceAndPaintsOnce)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    PlaceTimeCursors();
    dlg->FillTimeCursorTable();
    CBCGPGridCtrlEx *first = dlg->m_gridChannels[0];
    platform::GridRow *row = first->GetRow(0);
    QCoreApplication::processEvents();
    view->installEventFilter(&counter);

    view->m_nCursorX2 = view->ValueToPoint(0, 200, 0, 1, 80, 0).x();
    platform::SendMessage(dlg, UM_SCOPE_CURSOR_REFRESH, 0, 0);
    platform::SendMessage(dlg, UM_SCOPE_CURSOR_REFRESH, 0, 0);
    EXPECT_EQ(first->GetRow(0), row) << "the grid was rebuilt";
    EXPECT_EQ(Cell(first, 1, 1), "10.000");
    QCoreApplication::processEvents();
    EXPECT_LE(counter.paints, 1);
    view->removeEventFilter(&counter);
}

TEST_F(CursorDlg, SwitchesActOnTheView)
{
    dlg->m_chkShowCursor->click();
    EXPECT_EQ(flags.m_bScopeShowCursor, TRUE);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(view->m_nCursorMode, 1);
    dlg->m_btnLock->click();
    EXPECT_EQ(view->m_bCursorsLocked, 1);
    dlg->m_chkShowCursor->click();
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(view->m_nCursorMode, 0);

    // A refresh with neither kind chosen changes nothing.
    dlg->m_radTime->setChecked(false);
    dlg->m_radValue->setChecked(false);
    dlg->m_rows.clear();
    platform::SendMessage(platform::WindowRef(dlg), UM_SCOPE_CURSOR_REFRESH);
    EXPECT_TRUE(dlg->m_rows.empty());
    dlg->m_radTime->setChecked(true);
    platform::SendMessage(platform::WindowRef(dlg), UM_SCOPE_CURSOR_REFRESH);
    EXPECT_EQ(dlg->m_rows.size(), 6u);

    // Escape takes the cursors away and leaves the tab in place.
    view->m_nCursorMode = 1;
    dlg->OnCancel();
    EXPECT_EQ(view->m_nCursorMode, 0);
    EXPECT_TRUE(dlg->isVisibleTo(&page));
}
