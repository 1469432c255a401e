#pragma once
// The setup wizard's pictures, drawn by the program: the step buttons' titles (294-300) and
// simple schematics of the choices (308-341). The images the pages name but the program never
// had (304, 305, 307, 346, 347) and unknown numbers give a null pixmap.
#include <QPixmap>

QPixmap WizardImage(int id);

class QAbstractButton;
class QLabel;
class QWidget;

// A label's or a button's picture by number, remembered on the widget so that a language switch
// can draw it again in the new language (RedrawWizardImages).
void SetWizardImage(QLabel *label, int id);
void SetWizardIcon(QAbstractButton *button, int id);
void RedrawWizardImages(QWidget *root);
