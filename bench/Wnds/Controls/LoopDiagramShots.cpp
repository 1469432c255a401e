// Pictures of the control-loop diagrams: loop_diagram_shots <folder> writes
// position_mode0.png, position_mode1.png and speed_loop.png (the whole diagram with its live
// boxes). On a real display (xcb) it also shows the position page in a window, commits a
// value into a box with no drive behind it so that the box ends marked, and writes a grab of
// the screen as page_screen.png.

#include "SYSPARAM/SysParam.h"
#include "Wnds/Controls/DlgPositionCtrl.h"
#include "Wnds/Controls/DlgSpeedLoop.h"
#include "support/Shots.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

bool SaveDiagram(CLoopDiagramPage &page, const QString &path)
{
    DiagramScene *scene = page.Diagram();
    const QRectF area = scene->itemsBoundingRect().adjusted(-10, -10, 10, 10).united(QRectF(0, 0, 1, 1));
    QImage image(area.size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    scene->render(&p, QRectF(QPointF(0, 0), area.size()), area);
    p.end();
    return image.save(path);
}

using shots::Pump;

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    int failures = 0;
    // The parameter records without a drive (the port stays closed): the boxes take their units
    // from them.
    CSysParam sys(QStringLiteral(KORVANE_DEFAULT_PARAMS_DB));
    CDataProject loaded;
    if (sys.m_ProjectDatabase.LoadDefaultDatabase(loaded, sys.m_ProjectDatabase.m_nProductID))
        sys.m_ProjectDatabase.m_Project = loaded;
    SetSysParam(&sys);

    CDlgPositionCtrl position;
    position.Create(nullptr);
    position.BoxEdit(1112)->setText("400");
    failures += SaveDiagram(position, out.filePath("position_mode0.png")) ? 0 : 1;
    QComboBox *combo = position.SelectorCombo();
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    failures += SaveDiagram(position, out.filePath("position_mode1.png")) ? 0 : 1;

    CDlgSpeedLoop speed;
    speed.Create(nullptr);
    failures += SaveDiagram(speed, out.filePath("speed_loop.png")) ? 0 : 1;

    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        position.setWindowTitle(QStringLiteral("位置环"));
        position.resize(1240, 600);
        position.move(0, 0);
        position.show();
        Pump(300);
        // No drive: the committed value fails its tries and the box is marked.
        QLineEdit *gain = position.BoxEdit(1112);
        gain->setFocus();
        gain->setText("120");
        emit gain->editingFinished();
        QLineEdit *limit = position.BoxEdit(1113);
        limit->setText("3000");
        Pump(1500);
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        failures += shot.save(out.filePath("page_screen.png")) ? 0 : 1;
        position.StopWorkers();
    }
    speed.StopWorkers();
    position.StopWorkers();
    SetSysParam(nullptr);
    std::printf("%s: %d picture(s) failed\n", qPrintable(out.absolutePath()), failures);
    return failures == 0 ? 0 : 1;
}
