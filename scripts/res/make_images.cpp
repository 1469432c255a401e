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
#include <vector>

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
// ---- Pictures with texts, one per language ------------------------------------------------
// Simplified Chinese keeps the plain name; traditional Chinese and English add "_T" and "_E"
// before the extension, as the program's other per-language files do.
const char *const kLanguageSuffix[] = {"", "_T", "_E"};

QString LanguageName(const QString &stem, int language)
{
    return stem + QString::fromLatin1(kLanguageSuffix[language]) + QStringLiteral(".png");
}

QFont TextFont(int pixels, bool bold)
{
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The safety prompt of a page that moves the motor: a warning sign, a title and numbered lines
// beside it, and a small drawing of what will happen.
struct Prompt
{
    const char *stem;
    bool vibrates;  // the frequency analysis: a resonance curve instead of a turning shaft
    const char *title[3];
    std::vector<const char *> lines[3];
};

void DrawPrompt(const Prompt &prompt, int language, const QString &dir)
{
    QImage image(520, 300, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(220, 50, 40), 8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(4, 4, 512, 292));
    // The warning sign.
    QPainterPath sign;
    sign.moveTo(95, 38);
    sign.lineTo(165, 160);
    sign.lineTo(25, 160);
    sign.closeSubpath();
    p.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(245, 190, 0));
    p.drawPath(sign);
    p.setPen(Qt::black);
    p.setFont(TextFont(54, false));
    p.drawText(QRectF(60, 68, 70, 80), Qt::AlignCenter, QStringLiteral("!"));
    // What will happen: a motor with a turning shaft, or a resonance curve.
    if (prompt.vibrates) {
        p.setPen(QPen(QColor(110, 110, 110), 3));
        p.setBrush(QColor(210, 212, 216));
        p.drawRoundedRect(QRectF(30, 190, 150, 80), 6, 6);
        QPainterPath curve;
        curve.moveTo(40, 236);
        curve.cubicTo(90, 236, 110, 226, 120, 205);
        curve.cubicTo(128, 190, 136, 230, 170, 258);
        p.setPen(QPen(QColor(220, 50, 40), 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
    } else {
        p.setPen(QPen(QColor(60, 60, 60), 3));
        p.setBrush(QColor(200, 204, 210));
        p.drawRoundedRect(QRectF(40, 190, 90, 70), 6, 6);
        p.drawRect(QRectF(130, 212, 40, 16));
        p.setPen(QPen(QColor(220, 50, 40), 3));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(150, 198, 44, 44), 100 * 16, 200 * 16);
    }
    // The title and the lines, shrunk where a language needs more room.
    const QRectF room(190, 40, 310, 240);
    int size = 24;
    QFont title = TextFont(size, true);
    while (size > 12 && QFontMetricsF(title).horizontalAdvance(QString::fromUtf8(prompt.title[language])) > room.width()) {
        title = TextFont(--size, true);
    }
    p.setFont(title);
    p.setPen(QColor(220, 50, 40));
    p.drawText(QRectF(room.left(), room.top(), room.width(), 40), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(prompt.title[language]));
    QFont body = TextFont(15, false);
    p.setFont(body);
    p.setPen(QColor(30, 30, 30));
    double y = room.top() + 52;
    for (const char *line : prompt.lines[language]) {
        const QRectF box(room.left(), y, room.width(), 200);
        const QRectF used = p.boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QString::fromUtf8(line));
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QString::fromUtf8(line));
        y += used.height() + 6;
    }
    p.end();
    image.save(dir + QStringLiteral("/") + LanguageName(QString::fromLatin1(prompt.stem), language));
}

// A fault's cause and remedy: its code and name on a red band, then the two paragraphs.
struct Fault
{
    const char *code;
    const char *name[3];
    const char *cause[3];
    const char *remedy[3];
};

void DrawFault(const Fault &fault, int language, const QString &dir)
{
    static const char *const kCause[] = {"原因：", "原因：", "Cause: "};
    static const char *const kRemedy[] = {"处理：", "處理：", "Remedy: "};
    QImage image(460, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, 460, 48), QColor(200, 40, 45));
    p.setPen(QColor(210, 210, 210));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 459, 299));
    QFont head = TextFont(20, true);
    p.setFont(head);
    p.setPen(Qt::white);
    p.drawText(QRectF(14, 0, 436, 48), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(fault.code) + QStringLiteral("  ") + QString::fromUtf8(fault.name[language]));
    p.setFont(TextFont(15, false));
    const QRectF cause(14, 62, 432, 110);
    p.setPen(QColor(30, 30, 30));
    p.drawText(cause, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QString::fromUtf8(kCause[language]) + QString::fromUtf8(fault.cause[language]));
    p.setPen(QColor(20, 110, 40));
    p.drawText(QRectF(14, 168, 432, 120), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QString::fromUtf8(kRemedy[language]) + QString::fromUtf8(fault.remedy[language]));
    p.end();
    image.save(dir + QStringLiteral("/") + LanguageName(QString::fromLatin1(fault.code), language));
}

void DrawLanguagePictures(const QString &commonRes, const QString &programRes)
{
    const std::vector<const char *> turning[3] = {
        {"1. 确认负载已固定，周围无人员。", "2. 确认急停可随时使用。", "3. 首次运行请使用低速。"},
        {"1. 確認負載已固定，周圍無人員。", "2. 確認急停可隨時使用。", "3. 首次運轉請使用低速。"},
        {"1. Make sure the load is secured and no one is near it.", "2. Make sure the emergency stop is at hand.",
         "3. Use a low speed for the first run."},
    };
    const Prompt prompts[] = {
        {"JogTip", false, {"注意：电机将会转动", "注意：馬達將會轉動", "Caution: the motor will turn"},
         {turning[0], turning[1], turning[2]}},
        {"InertiaTip", false, {"注意：电机将会转动", "注意：馬達將會轉動", "Caution: the motor will turn"},
         {turning[0], turning[1], turning[2]}},
        {"DLGAIDANALYZE", true, {"注意：电机将会振动", "注意：馬達將會振動", "Caution: the motor will vibrate"},
         {{turning[0][0], turning[0][1], "3. 扫频时电机振动并发声，属正常。", "4. 首次分析请使用小激励幅值。"},
          {turning[1][0], turning[1][1], "3. 掃頻時馬達振動並發聲，屬正常。", "4. 首次分析請使用小激勵幅值。"},
          {turning[2][0], turning[2][1], "3. The motor vibrates and hums during the sweep: this is normal.",
           "4. Use a small excitation amplitude for the first analysis."}}},
    };
    const Fault faults[] = {
        {"Er0A.1", {"过电流", "過電流", "Overcurrent"},
         {"输出相间短路或对地短路；加减速时间过短；增益过高。", "輸出相間短路或對地短路；加減速時間過短；增益過高。",
          "output phases shorted to each other or to ground; acceleration or deceleration time too short; gain too high."},
         {"检查电机动力线与接线；延长加减速时间；降低速度环增益。", "檢查馬達動力線與接線；延長加減速時間；降低速度環增益。",
          "check the motor power cable and its wiring; lengthen the acceleration and deceleration times; lower the speed loop gain."}},
        {"Er0B.2", {"过电压", "過電壓", "Overvoltage"},
         {"母线电压过高，减速时能量回馈过大，制动电阻未接或损坏。", "母線電壓過高，減速時能量回饋過大，制動電阻未接或損壞。",
          "DC bus voltage too high: too much energy fed back while decelerating, or the braking resistor is missing or damaged."},
         {"检查输入电源电压；延长减速时间；检查制动电阻及其接线。", "檢查輸入電源電壓；延長減速時間；檢查制動電阻及其接線。",
          "check the supply voltage; lengthen the deceleration time; check the braking resistor and its wiring."}},
        {"Er12.0", {"欠电压", "欠電壓", "Undervoltage"},
         {"输入电源电压过低或瞬时掉电。", "輸入電源電壓過低或瞬時掉電。", "supply voltage too low, or a momentary power loss."},
         {"检查输入电源及接线；确认电源容量满足要求。", "檢查輸入電源及接線；確認電源容量滿足要求。",
          "check the supply and its wiring; make sure the supply can deliver enough power."}},
        {"Er23.4", {"编码器通讯异常", "編碼器通訊異常", "Encoder communication error"},
         {"编码器线缆断线、接触不良或受到干扰。", "編碼器線纜斷線、接觸不良或受到干擾。",
          "encoder cable broken, badly connected or disturbed by noise."},
         {"检查编码器线缆与插头；动力线与编码器线分开走线；可靠接地。", "檢查編碼器線纜與插頭；動力線與編碼器線分開走線；可靠接地。",
          "check the encoder cable and its connectors; route the power and encoder cables apart; ground reliably."}},
        {"Er30.1", {"电机过载", "馬達過載", "Motor overload"},
         {"负载过重或机械卡死；电机与驱动器不匹配。", "負載過重或機械卡死；馬達與驅動器不匹配。",
          "load too heavy or the mechanism jammed; the motor does not match the drive."},
         {"检查机械负载；确认电机参数；降低运行负载率。", "檢查機械負載；確認馬達參數；降低運轉負載率。",
          "check the mechanical load; check the motor parameters; run at a lower load ratio."}},
        {"ErFF.F", {"未定义故障", "未定義故障", "Undefined fault"},
         {"驱动器报告了本软件未收录的故障。", "驅動器報告了本軟體未收錄的故障。", "the drive reported a fault this program does not know."},
         {"记录故障码与发生时刻，联系设备供应商。", "記錄故障碼與發生時刻，聯繫設備供應商。",
          "note the fault code and when it occurred, and contact the equipment supplier."}},
    };
    for (int language = 0; language < 3; ++language) {
        for (const Prompt &prompt : prompts)
            DrawPrompt(prompt, language, commonRes + QStringLiteral("/AlarmInfoRes"));
        // The safety tip's own default picture, built into the program.
        DrawPrompt(prompts[0], language, programRes);
        for (const Fault &fault : faults)
            DrawFault(fault, language, commonRes + QStringLiteral("/FaultManagementInfoRes"));
    }
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    g_dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    // The pictures with texts, in each language, into CommonRes (the second folder given).
    if (argc > 2)
        DrawLanguagePictures(QString::fromLocal8Bit(argv[2]), g_dir);

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
