#pragma once
// The one walk over a window's controls, shared by re-texting and remembered values: depth
// first in child order, entering plain containers (frames, group boxes with or without an id,
// tab widgets and their pages, stacked widgets, scroll areas' viewports, splitters, plain
// widgets) but not composite controls (combo boxes, spin boxes, lists, custom controls, ...)
// and not windows or embedded dialogs, which look after their own controls.
#include <functional>

class QWidget;

namespace platform {

// True for the widgets the walk enters.
bool IsPlainContainer(const QWidget *w);

// Calls `visit` for every control under `root` (root itself excluded): containers too,
// before their contents. Windows are neither visited nor entered.
void ForEachControl(QWidget *root, const std::function<void(QWidget *)> &visit);

}
