#pragma once
// What the setup wizard's step pages do, as functions of their choices: where "< 上一步" and
// "下一步 >" lead, which recipe entries "应用" stores, and the wizard's layout arithmetic. The
// page widgets only collect the choices and call these.
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace wizard {

struct StepEntry
{
    QString code, text, value;
    bool operator==(const StepEntry &o) const = default;
};

// A chosen radio button of a group: its index in the group (-1: none) and caption.
struct Choice
{
    int index = -1;
    QString caption;
};

// ---- encoder page: steps 0 encoder type, 1 absolute mode (24-bit only), 2 direction
int EncoderNextStep(int step, bool is24Bit);
int EncoderPrevStep(int step, bool is24Bit);
// type: 17-bit, 23-bit, 24-bit; mode: incremental, linear, rotary; direction: CCW (0), CW (1).
std::vector<StepEntry> EncoderEntries(const Choice &type, const Choice &mode, const Choice &direction);

// ---- control mode page: step 0 the mode, then 1 + mode
int ControlModeStep(int step, int modeIndex);
// The picture of the current step and choices.
int ControlModeImage(int step, int modeIndex, int speedIndex, int positionIndex, int torqueIndex);
std::vector<StepEntry> ControlModeEntries(const QString &modeLabel, int modeIndex, const QString &sourceText,
                                          int sourceIndex);

// ---- stop settings page: the brake box, then the four stop choices in table order
struct StopChoice
{
    QString groupCaption;
    QString itemText;  // the chosen item, whose first character is the value
};
const std::array<QString, 4> &StopCodes();  // "P001B", "P001E", "P001C", "P001D"
std::vector<StepEntry> StopEntries(bool brake, const QString &brakeCaption, const std::array<StopChoice, 4> &choices);

// ---- braking resistor page
struct ResistorChoice
{
    bool useExternal = false;
    QString modeCaption, modeItemText;
    QString powerCaption, powerText;
    QString resistanceCaption, resistanceText;
};
std::vector<StepEntry> ResistorEntries(const ResistorChoice &c);

// ---- command input page (steps 0..6; without "高级设定" 1 and 2 are skipped)
int CommandInputNextStep(int step, bool advanced);
int CommandInputPrevStep(int step, bool advanced);

// The texts that the command input page's mechanism type sets; `changesLabels` false for the
// rotary table, which leaves the note, group and label as they were.
struct MechanismTexts
{
    bool changesLabels = true;
    QString note, group, label, unit, summary;
    int image = 0;
};
MechanismTexts MechanismTypeTexts(int buttonId);

// ---- signal page: 0 hardware, 1 virtual, 2 both
int SignalLastStep(int choice);
// The panel a step shows: 0 none, 'A' hardware, 'B' virtual.
char SignalPanel(int choice, int step);

// ---- the wizard frame
struct WizardLayout
{
    std::array<QRect, 7> stepButtons;
    QRect page, grid, save, write;
};
WizardLayout ComputeWizardLayout(const QRect &client);

// The step after a page's "应用": steps 0..5 go on, 6 stays (-1: no switch).
int NextStepAfterApply(int step);

}
