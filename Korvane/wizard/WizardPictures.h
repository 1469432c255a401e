#pragma once
// The setup wizard's pictures, drawn by the program: the step buttons' titles (294-300) and
// simple schematics of the choices (308-341). The images the pages name but the program never
// had (304, 305, 307, 346, 347) and unknown numbers give a null pixmap.
#include <QPixmap>

QPixmap WizardImage(int id);
