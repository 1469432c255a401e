#include "wizard/WizardSteps.h"

namespace wizard {

int EncoderNextStep(int step, bool is24Bit)
{
    switch (step) {
    case 0: return is24Bit ? 1 : 2;
    case 1: return 2;
    default: return 2;
    }
}

int EncoderPrevStep(int step, bool is24Bit)
{
    switch (step) {
    case 2: return is24Bit ? 1 : 0;
    default: return 0;
    }
}

std::vector<StepEntry> EncoderEntries(const Choice &type, const Choice &mode, const Choice &direction)
{
    static const char *const kTypeValues[] = {"11170", "11230", "19240"};
    static const char *const kModeValues[] = {"0", "1", "2"};
    // CCW is offered first on the page but written as 1.
    static const char *const kDirectionValues[] = {"1", "0"};
    auto pick = [](const Choice &c, const char *const *values, int n) {
        return (c.index >= 0 && c.index < n) ? StepEntry{QString(), c.caption, QString::fromLatin1(values[c.index])}
                                             : StepEntry{};
    };
    std::vector<StepEntry> out;
    StepEntry e = pick(type, kTypeValues, 3);
    e.code = QStringLiteral("P9026");
    out.push_back(e);
    if (type.index == 2) {
        e = pick(mode, kModeValues, 3);
        e.code = QStringLiteral("P000C");
        out.push_back(e);
    }
    e = pick(direction, kDirectionValues, 2);
    e.code = QStringLiteral("P000B");
    out.push_back(e);
    return out;
}

int ControlModeStep(int step, int modeIndex)
{
    return step == 0 ? 1 + qBound(0, modeIndex, 2) : 0;
}

int ControlModeImage(int step, int modeIndex, int speedIndex, int positionIndex, int torqueIndex)
{
    static const int kModeImages[] = {309, 308, 310};
    switch (step) {
    case 1: return 314 + qBound(0, speedIndex, 4);
    case 2: return 311 + qBound(0, positionIndex, 2);
    case 3: return 319 + qBound(0, torqueIndex, 4);
    default: return kModeImages[qBound(0, modeIndex, 2)];
    }
}

std::vector<StepEntry> ControlModeEntries(const QString &modeLabel, int modeIndex, const QString &sourceText,
                                          int sourceIndex)
{
    std::vector<StepEntry> out;
    out.push_back({QStringLiteral("P000A"), modeLabel, QString::number(modeIndex)});
    const QString code = modeIndex == 0 ? QStringLiteral("P0601") : QStringLiteral("暂时无编号");
    out.push_back({code, sourceText, QString::number(sourceIndex)});
    return out;
}

const std::array<QString, 4> &StopCodes()
{
    static const std::array<QString, 4> codes = {QStringLiteral("P001B"), QStringLiteral("P001E"),
                                                  QStringLiteral("P001C"), QStringLiteral("P001D")};
    return codes;
}

std::vector<StepEntry> StopEntries(bool brake, const QString &brakeCaption, const std::array<StopChoice, 4> &choices)
{
    std::vector<StepEntry> out;
    if (brake)
        out.push_back({QStringLiteral("暂时无编号"), brakeCaption, QStringLiteral("1")});
    for (int i = 0; i < 4; ++i)
        out.push_back({StopCodes()[i], choices[i].groupCaption, choices[i].itemText.left(1)});
    return out;
}

std::vector<StepEntry> ResistorEntries(const ResistorChoice &c)
{
    if (!c.useExternal)
        return {};
    return {
        {QStringLiteral("暂时无编号"), QStringLiteral("使用外制动电阻制动"), QStringLiteral("1")},
        {QStringLiteral("P0029"), c.modeCaption, c.modeItemText.left(1)},
        {QStringLiteral("P002F"), c.powerCaption, c.powerText},
        {QStringLiteral("P002E"), c.resistanceCaption, c.resistanceText},
    };
}

int CommandInputNextStep(int step, bool advanced)
{
    if (step >= 6)
        return 6;
    if (!advanced && step == 0)
        return 3;
    return step + 1;
}

int CommandInputPrevStep(int step, bool advanced)
{
    if (step <= 0)
        return 0;
    if (!advanced && step == 3)
        return 0;
    return step - 1;
}

MechanismTexts MechanismTypeTexts(int buttonId)
{
    switch (buttonId) {
    case 2213: return {false, {}, {}, {}, QStringLiteral("°/ p"), QString(), 336};
    case 2214:
        return {true, QStringLiteral("注：滑轮径指滑轮的直径。"), QStringLiteral("滑轮径设置"), QStringLiteral("D ="),
                QStringLiteral("mm/p"), QStringLiteral("滑轮径D:1.00mm"), 337};
    case 2215:
        return {true, QStringLiteral("注：齿轮径指齿轮的直径。"), QStringLiteral("齿轮径设置"), QStringLiteral("D ="),
                QStringLiteral("mm/p"), QStringLiteral("齿轮径D:1.00mm"), 338};
    case 2216:
        return {true, QStringLiteral("注：辊轴径指辊轴的直径。"), QStringLiteral("辊轴径设置"), QStringLiteral("D ="),
                QStringLiteral("mm/p"), QStringLiteral("辊轴径D:1.00mm"), 339};
    default:
        return {true, QStringLiteral("注：节矩标示滚珠丝杠旋转1圈的移动距离"), QStringLiteral("节距设置"), QStringLiteral("P ="),
                QStringLiteral("mm/p"), QStringLiteral("滚珠丝杠节距P:1.00mm"), 330};
    }
}

int SignalLastStep(int choice)
{
    return choice == 2 ? 2 : 1;
}

char SignalPanel(int choice, int step)
{
    if (step == 1)
        return choice == 1 ? 'B' : 'A';
    if (step == 2 && choice == 2)
        return 'B';
    return 0;
}

WizardLayout ComputeWizardLayout(const QRect &client)
{
    const int l = client.left(), t = client.top();
    const int r = client.left() + client.width(), b = client.top() + client.height();
    const int W = (r - l) - 130;
    const int P = (3 * W) / 5;
    const int G = (2 * W) / 5 - 10;
    const int H = b - t;
    WizardLayout out;
    for (int k = 0; k < 7; ++k)
        out.stepButtons[k] = QRect(l, t + 50 * k, 130, 50);
    out.page = QRect(l + 130, t, P, H);
    out.grid = QRect(l + 130 + P, t, G, H - 55);
    out.save = QRect(l + 130 + P, b - 25, 80, 25);
    out.write = QRect(l + 130 + P + G - 80, b - 25, 80, 25);
    return out;
}

int NextStepAfterApply(int step)
{
    return (step >= 0 && step <= 5) ? step + 1 : -1;
}

}
