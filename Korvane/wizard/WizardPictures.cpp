#include "wizard/WizardPictures.h"

#include "platform/LanguageConf.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <map>

namespace {

// What each schematic shows: a caption under a simple drawing of its kind.
enum class Kind { Mode, Source, Resistor, Pulse, Mechanism, Gear, Port, Phase };

struct Picture
{
    Kind kind;
    const char *caption;
};

const std::map<int, Picture> &Pictures()
{
    static const std::map<int, Picture> pictures = {
        {308, {Kind::Mode, "位置模式"}},         {309, {Kind::Mode, "速度模式"}},
        {310, {Kind::Mode, "转矩模式"}},         {311, {Kind::Source, "脉冲指令"}},
        {312, {Kind::Source, "步进量"}},         {313, {Kind::Source, "多段位置指令"}},
        {314, {Kind::Source, "主速度指令A"}},    {315, {Kind::Source, "辅助速度指令B"}},
        {316, {Kind::Source, "A+B"}},            {317, {Kind::Source, "A/B切换"}},
        {318, {Kind::Source, "通讯给定"}},       {319, {Kind::Source, "主转矩指令A"}},
        {320, {Kind::Source, "辅助转矩指令B"}},  {321, {Kind::Source, "A+B"}},
        {322, {Kind::Source, "A/B切换"}},        {323, {Kind::Source, "通讯给定"}},
        {324, {Kind::Resistor, "外置制动电阻"}}, {325, {Kind::Pulse, "分频输出"}},
        {327, {Kind::Phase, "A超前B"}},          {328, {Kind::Phase, "A滞后B"}},
        {329, {Kind::Gear, "电子齿轮"}},         {330, {Kind::Mechanism, "滚珠丝杠"}},
        {331, {Kind::Mechanism, "滚珠丝杠"}},    {332, {Kind::Mechanism, "圆台"}},
        {333, {Kind::Mechanism, "皮带轮"}},      {334, {Kind::Mechanism, "齿轮齿条"}},
        {335, {Kind::Mechanism, "辊轴"}},        {336, {Kind::Mechanism, "圆台"}},
        {337, {Kind::Mechanism, "皮带轮"}},      {338, {Kind::Mechanism, "齿轮齿条"}},
        {339, {Kind::Mechanism, "辊轴"}},        {340, {Kind::Port, "低速脉冲口"}},
        {341, {Kind::Port, "高速脉冲口"}},
    };
    return pictures;
}

void DrawKind(QPainter &p, Kind kind, const QRect &r)
{
    p.setPen(QPen(QColor(40, 70, 120), 2));
    const QPoint c = r.center();
    switch (kind) {
    case Kind::Mode:
    case Kind::Source: {
        // A command block feeding the drive and the motor.
        p.drawRect(r.left() + 10, c.y() - 15, 50, 30);
        p.drawLine(r.left() + 60, c.y(), r.left() + 90, c.y());
        p.drawRect(r.left() + 90, c.y() - 20, 50, 40);
        p.drawLine(r.left() + 140, c.y(), r.left() + 165, c.y());
        p.drawEllipse(QPoint(r.left() + 185, c.y()), 20, 20);
        break;
    }
    case Kind::Resistor:
        p.drawRect(c.x() - 40, c.y() - 10, 80, 20);
        p.drawLine(r.left() + 20, c.y(), c.x() - 40, c.y());
        p.drawLine(c.x() + 40, c.y(), r.right() - 20, c.y());
        break;
    case Kind::Pulse:
    case Kind::Phase: {
        QPainterPath path;
        int x = r.left() + 10;
        const int hi = c.y() - 15, lo = c.y() + 15;
        path.moveTo(x, lo);
        for (int i = 0; i < 5; ++i) {
            path.lineTo(x, hi);
            path.lineTo(x + 15, hi);
            path.lineTo(x + 15, lo);
            path.lineTo(x + 30, lo);
            x += 30;
        }
        p.drawPath(path);
        break;
    }
    case Kind::Mechanism:
        p.drawEllipse(QPoint(r.left() + 30, c.y()), 20, 20);
        p.drawLine(r.left() + 50, c.y(), r.right() - 20, c.y());
        p.drawRect(c.x(), c.y() - 20, 40, 15);
        break;
    case Kind::Gear:
        p.drawEllipse(QPoint(c.x() - 30, c.y()), 25, 25);
        p.drawEllipse(QPoint(c.x() + 25, c.y()), 15, 15);
        break;
    case Kind::Port:
        p.drawRect(c.x() - 30, c.y() - 20, 60, 40);
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPoint(c.x() - 18 + 12 * i, c.y()), 4, 4);
        break;
    }
}

}

QPixmap WizardImage(int id)
{
    // The titles as the pages show them (step 3's group is named apart from its page).
    static const char16_t *const kStepTitles[] = {u"编码器识别与设定", u"控制方式选择", u"指令输入设定", u"分频输出设定",
                                                  u"停机设定", u"制动电阻设定", u"输入输出信号设定"};
    if (id >= 294 && id <= 300) {
        // A step button: the step's title with a small down arrow.
        QPixmap pm(130, 50);
        pm.fill(QColor(236, 240, 246));
        QPainter p(&pm);
        p.setPen(QColor(30, 50, 90));
        p.drawText(QRect(4, 4, 122, 30), Qt::AlignCenter | Qt::TextWordWrap,
                   platform::TrText(QString::fromUtf16(kStepTitles[id - 294])));
        QPainterPath arrow;
        arrow.moveTo(59, 36);
        arrow.lineTo(71, 36);
        arrow.lineTo(65, 44);
        arrow.closeSubpath();
        p.fillPath(arrow, QColor(30, 50, 90));
        return pm;
    }
    const auto it = Pictures().find(id);
    if (it == Pictures().end())
        return QPixmap();
    QPixmap pm(220, 120);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawKind(p, it->second.kind, QRect(0, 0, 220, 90));
    p.setPen(Qt::black);
    p.drawText(QRect(0, 90, 220, 28), Qt::AlignCenter, platform::TrText(QString::fromUtf8(it->second.caption)));
    return pm;
}

namespace {
const char *const kImageProperty = "wizardImage";
const char *const kIconProperty = "wizardIcon";
}

void SetWizardImage(QLabel *label, int id)
{
    label->setProperty(kImageProperty, id);
    label->setPixmap(WizardImage(id));
}

void SetWizardIcon(QAbstractButton *button, int id)
{
    button->setProperty(kIconProperty, id);
    button->setIcon(QIcon(WizardImage(id)));
}

void RedrawWizardImages(QWidget *root)
{
    for (QLabel *label : root->findChildren<QLabel *>())
        if (const QVariant id = label->property(kImageProperty); id.isValid())
            label->setPixmap(WizardImage(id.toInt()));
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>())
        if (const QVariant id = button->property(kIconProperty); id.isValid())
            button->setIcon(QIcon(WizardImage(id.toInt())));
}
