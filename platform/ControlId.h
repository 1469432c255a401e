#pragma once
// Child controls named by a numeric id (as dialog templates name them), so that re-texting,
// remembered values and tests find them by id.
class QWidget;

namespace platform {

// Id carried by a widget that has none.
constexpr int kNoCtrlId = 0;

void SetCtrlId(QWidget *w, int id);
int GetCtrlId(const QWidget *w);  // kNoCtrlId when none was set
// First descendant (depth first, in child order) carrying the id, or nullptr.
QWidget *FindCtrl(QWidget *parent, int id);
}
