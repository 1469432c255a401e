// Draws the program's own pictures into Korvane/res (run by scripts/res/make-images; the
// PNGs are committed, so the build does not need this).
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <functional>

namespace {

QString g_dir;

void Save(const QImage &image, int id)
{
    image.save(g_dir + QStringLiteral("/%1.png").arg(id));
}

QImage Blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

using Glyph = std::function<void(QPainter &)>;

// A 50 x 50 toolbar image: the glyph drawn in a 50-unit box.
QImage Icon(const Glyph &glyph, const QColor &colour, bool glow)
{
    QImage image = Blank(50, 50);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (glow) {
        QRadialGradient g(25, 25, 25);
        g.setColorAt(0, QColor(255, 255, 255, 60));
        g.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(image.rect(), g);
    }
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    glyph(p);
    return image;
}

void Plug(QPainter &p)  // connect
{
    p.drawLine(8, 25, 18, 25);
    p.drawRoundedRect(18, 15, 10, 20, 2, 2);
    p.drawLine(28, 19, 36, 19);
    p.drawLine(28, 31, 36, 31);
    p.drawLine(36, 12, 36, 38);
    p.drawLine(36, 25, 44, 25);
}
void Unplug(QPainter &p)  // close the connection
{
    p.drawLine(6, 25, 14, 25);
    p.drawRoundedRect(14, 15, 9, 20, 2, 2);
    p.drawLine(30, 15, 30, 35);
    p.drawRoundedRect(30, 15, 9, 20, 2, 2);
    p.drawLine(39, 25, 45, 25);
    p.drawLine(24, 9, 28, 14);
    p.drawLine(24, 41, 28, 36);
}
void Disk(QPainter &p)  // save
{
    p.drawRoundedRect(9, 9, 32, 32, 3, 3);
    p.drawRect(16, 9, 16, 10);
    p.drawRect(15, 27, 20, 14);
}
void Folder(QPainter &p)  // open
{
    QPainterPath path;
    path.moveTo(7, 14);
    path.lineTo(19, 14);
    path.lineTo(23, 18);
    path.lineTo(43, 18);
    path.lineTo(43, 38);
    path.lineTo(7, 38);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(7, 24, 43, 24);
}
void Question(QPainter &p)  // help
{
    p.drawEllipse(QPointF(25, 25), 17, 17);
    QFont f;
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 0, 50, 50), Qt::AlignCenter, QStringLiteral("?"));
}
void Stop(QPainter &p)  // emergency stop
{
    QPolygonF octagon;
    for (int i = 0; i < 8; ++i) {
        const double a = (22.5 + 45 * i) * M_PI / 180;
        octagon << QPointF(25 + 19 * std::cos(a), 25 + 19 * std::sin(a));
    }
    p.setBrush(QColor(205, 30, 45));
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.drawPolygon(octagon);
    QFont f;
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(0, 0, 50, 50), Qt::AlignCenter, QStringLiteral("STOP"));
}
void Gear(QPainter &p)  // settings
{
    p.drawEllipse(QPointF(25, 25), 6, 6);
    p.drawEllipse(QPointF(25, 25), 13, 13);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        p.drawLine(QPointF(25 + 13 * std::cos(a), 25 + 13 * std::sin(a)),
                   QPointF(25 + 19 * std::cos(a), 25 + 19 * std::sin(a)));
    }
}
void Undo(QPainter &p)  // cancel the stop
{
    p.drawArc(QRectF(11, 11, 28, 28), 30 * 16, 270 * 16);
    p.drawLine(35, 11, 37, 19);
    p.drawLine(37, 19, 29, 20);
}
void Page(QPainter &p)  // new project
{
    QPainterPath path;
    path.moveTo(12, 7);
    path.lineTo(30, 7);
    path.lineTo(38, 15);
    path.lineTo(38, 43);
    path.lineTo(12, 43);
    path.closeSubpath();
    p.drawPath(path);
    p.drawLine(25, 20, 25, 34);
    p.drawLine(18, 27, 32, 27);
}

}

void Magnifier(QPainter &p, bool plus)  // the oscilloscope's zoom in and out
{
    p.drawEllipse(QPointF(21, 21), 12, 12);
    p.drawLine(30, 30, 42, 42);
    p.drawLine(15, 21, 27, 21);
    if (plus)
        p.drawLine(21, 15, 21, 27);
}
void ZoomIn(QPainter &p) { Magnifier(p, true); }
void ZoomOut(QPainter &p) { Magnifier(p, false); }
void Axes(QPainter &p)  // coordinates read-out
{
    p.drawLine(10, 8, 10, 40);
    p.drawLine(10, 40, 42, 40);
    QPen dash = p.pen();
    dash.setStyle(Qt::DashLine);
    dash.setWidth(2);
    p.setPen(dash);
    p.drawLine(28, 10, 28, 40);
    p.drawLine(10, 22, 42, 22);
}
void Waves(QPainter &p)  // comparison of two captures
{
    QPainterPath a, b;
    a.moveTo(6, 24);
    b.moveTo(6, 30);
    for (int x = 6; x <= 44; ++x) {
        a.lineTo(x, 24 - 9 * std::sin((x - 6) / 38.0 * 2 * M_PI));
        b.lineTo(x, 30 - 7 * std::sin((x - 2) / 38.0 * 2 * M_PI));
    }
    p.drawPath(a);
    QPen grey = p.pen();
    grey.setColor(QColor(150, 150, 150));
    p.setPen(grey);
    p.drawPath(b);
}
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    // The background: a deep blue field, lighter towards the top left, with faint diagonal
    // bands.
    {
        QImage bg(1980, 1020, QImage::Format_RGB32);
        QPainter p(&bg);
        QLinearGradient g(0, 0, 0, 1020);
        g.setColorAt(0, QColor(22, 46, 78));
        g.setColorAt(0.12, QColor(14, 30, 54));
        g.setColorAt(1, QColor(8, 16, 30));
        p.fillRect(bg.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        QRadialGradient glow(380, 40, 700);
        glow.setColorAt(0, QColor(60, 110, 170, 70));
        glow.setColorAt(1, QColor(60, 110, 170, 0));
        p.fillRect(bg.rect(), glow);
        p.setPen(QPen(QColor(255, 255, 255, 10), 40));
        for (int x = -1000; x < 2000; x += 260)
            p.drawLine(x, 1020, x + 1020, 0);
        p.end();
        Save(bg, 352);
    }
    // The logo, 164 x 53.
    {
        QImage logo = Blank(164, 53);
        QPainter p(&logo);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath mark;
        mark.moveTo(6, 8);
        mark.lineTo(16, 8);
        mark.lineTo(16, 22);
        mark.lineTo(30, 8);
        mark.lineTo(42, 8);
        mark.lineTo(25, 26);
        mark.lineTo(42, 45);
        mark.lineTo(30, 45);
        mark.lineTo(16, 30);
        mark.lineTo(16, 45);
        mark.lineTo(6, 45);
        mark.closeSubpath();
        QLinearGradient g(0, 8, 0, 45);
        g.setColorAt(0, QColor(255, 90, 100));
        g.setColorAt(1, QColor(200, 20, 50));
        p.fillPath(mark, g);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(22);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(235, 240, 248));
        p.drawText(QRectF(48, 6, 116, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvane"));
        QFont s(QStringLiteral("DejaVu Sans"));
        s.setPixelSize(10);
        p.setFont(s);
        p.setPen(QColor(150, 175, 205));
        p.drawText(QRectF(49, 32, 116, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("SERVO TOOL"));
        p.end();
        Save(logo, 353);
    }
    // Toolbar images: regular, hot and checked/pressed lists.
    const QColor regular(205, 212, 222), hot(255, 255, 255), pressed(255, 110, 125);
    const struct
    {
        Glyph glyph;
        int ids[3];
    } icons[] = {
        {Plug, {2361, 2360, 2362}},     {Disk, {2367, 2366, 2368}}, {Folder, {2364, 2363, 2365}},
        {Question, {2352, 2351, 2353}}, {Unplug, {2358, 2357, 2359}}, {Gear, {2370, 2369, 2371}},
        {Page, {2355, 2354, 2356}},
    };
    for (const auto &icon : icons) {
        Save(Icon(icon.glyph, regular, false), icon.ids[0]);
        Save(Icon(icon.glyph, hot, true), icon.ids[1]);
        Save(Icon(icon.glyph, pressed, false), icon.ids[2]);
    }
    Save(Icon(Stop, regular, false), 2372);
    Save(Icon(Undo, regular, false), 354);
    // The oscilloscope side panel's tool buttons, dark on its light face.
    const QColor ink(40, 70, 120);
    Save(Icon(Folder, ink, false), 232);
    Save(Icon(Disk, ink, false), 233);
    Save(Icon(ZoomIn, ink, false), 230);
    Save(Icon(ZoomOut, ink, false), 231);
    Save(Icon(Axes, ink, false), 234);
    Save(Icon(Waves, ink, false), 228);
    // The small pane images, 16 x 16 each; image 2 is the monitor pane's.
    {
        QImage strip = Blank(48, 16);
        QPainter p(&strip);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(60, 120, 200), 1.5));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.drawRect(QRectF(17.5, 2.5, 13, 11));
        p.drawLine(QPointF(17.5, 6.5), QPointF(30.5, 6.5));
        p.drawRect(QRectF(33.5, 2.5, 13, 11));
        p.drawPolyline(QPolygonF() << QPointF(35, 11) << QPointF(38, 7) << QPointF(41, 9) << QPointF(45, 4));
        p.end();
        Save(strip, 147);
    }
    return 0;
}
