// Pictures of a table's header menu with one of its popups open, on the main window against the
// simulated drive: grid_menu_shots <folder> writes grid-header-menu-lock.png (the parameter
// table's menu for its "参数名称" column, "锁定" open) and grid-header-menu-other.png (the same
// menu, "其他" open). The menus are separate windows: the pictures are of the whole screen, so run
// it on a display of the window's size (xvfb-run -s '-screen 0 1280x800x24').
#include "CustomTheme.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "MainFrame.h"
#include "SimSettings.h"
#include "Wnds/Params/DlgParams.h"
#include "grid/DlgBCGGrid.h"
#include "platform/LanguageConf.h"
#include "support/Shots.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTableView>
#include <QTimer>

#include <cstdio>

using shots::Pump;

namespace {

QAction *ItemNamed(QMenu &menu, const QString &text)
{
    for (QAction *a : menu.actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto out = shots::OutputFolder(argc, argv, "grid_menu_shots <folder>");
    if (!out)
        return 2;
    const QDir &folder = *out;
    GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini");
    GetLangText().m_strLanguage = QStringLiteral("ChineseS");
    SimDrive sim;
    if (!StartSeededSim(sim))
        return 1;
    CSysParam sys(QString::fromStdString(SimDrive::DefaultDatabasePath()));
    ConnectSettingsToSim(sys, sim);
    InstallCustomTheme();
    int result = 0;
    {
        CMainFrame frame;
        ShowMainFrame(frame, 1280, 800);
        Pump(6000, [&] { return frame.StatusPane(0)->text().contains(QStringLiteral("在线")); });
        Pump(800);
        auto *params = qobject_cast<CDlgParams *>(frame.GetActiveView()->CurrentPage());
        CDlgBCGGrid *page = params ? params->Grid() : nullptr;
        if (!page || !page->GetGrid() || !page->m_mapFieldToCol.count(QStringLiteral("IDS_ParaView_2"))) {
            std::fprintf(stderr, "no parameter table\n");
            return 1;
        }
        const int column = page->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_2"));
        QHeaderView *header = page->GetGrid()->View(1)->horizontalHeader();
        const QPoint over(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                          header->height() / 2);
        const struct {
            const char *popup;
            const char *file;
        } shots[] = {{"锁定", "grid-header-menu-lock.png"}, {"其他", "grid-header-menu-other.png"}};
        for (const auto &shot : shots) {
            QCursor::setPos(header->viewport()->mapToGlobal(over));
            Pump(200);
            bool saved = false;
            QTimer open;
            open.setInterval(50);
            QObject::connect(&open, &QTimer::timeout, [&] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                if (!menu)
                    return;
                open.stop();
                QAction *sub = ItemNamed(*menu, TrText(QString::fromUtf8(shot.popup)));
                if (sub) {
                    menu->setActiveAction(sub);
                    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
                    QApplication::sendEvent(menu, &right);
                }
                Pump(600);
                const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
                const QString path = folder.filePath(QString::fromLatin1(shot.file));
                saved = sub && screen.save(path);
                std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toUtf8().constData());
                while (auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
                    popup->close();
            });
            open.start();
            // What the grid reports for a right click on the column's header.
            platform::SendMessage(platform::WindowRef(page), UM_GRID_HEADER_RCLICK, CDlgBCGGrid::IDC_GRID, column);
            open.stop();
            if (!saved)
                result = 1;
        }
        platform::SetMainWindow(nullptr);
    }
    SetSysParam(nullptr);
    return result;
}
