#pragma once
// The text of a control as one value, whatever the widget: a label's or button's caption, a
// group box's title, an edit box's or combo box's text, a window's title. Setting the text of
// a drop-down list (a combo box that is not editable) does nothing.
#include <QString>

class QWidget;

namespace platform {

QString GetWindowText(const QWidget *w);
void SetWindowText(QWidget *w, const QString &text);
// Edit boxes: their text is the user's, never a caption.
bool IsEditControl(const QWidget *w);

}
