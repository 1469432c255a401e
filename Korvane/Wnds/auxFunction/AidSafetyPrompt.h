#pragma once
// The safety prompt a tuning page that moves the motor shows when it comes up, until the user
// ticks "do not show again" (the page's own flag of the application flags).
#include "platform/WinTypes.h"

#include <QString>
#include <functional>

class QWidget;

// Shows the prompt with the picture "<parent of the program directory>/CommonRes/AlarmInfoRes/
// <pictureName>", its check box bound to *flag; nothing when *flag is set. Runs through the
// installed runner; the default one needs the program's main window (none: nothing is shown).
void ShowAidSafetyPrompt(QWidget *owner, const QString &pictureName, BOOL *flag);
// The full path of a prompt picture.
QString AidSafetyPicturePath(const QString &pictureName);

using AidSafetyPromptRunner = std::function<void(QWidget *owner, const QString &picturePath, BOOL *flag)>;
// Replaces the runner (tests); an empty one restores the default. Returns the previous one.
AidSafetyPromptRunner SetAidSafetyPromptRunner(AidSafetyPromptRunner runner);
