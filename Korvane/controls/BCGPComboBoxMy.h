#pragma once
// A combo box of the framework's look with nothing of its own.
#include <QComboBox>

class CBCGPComboBoxMy : public QComboBox
{
public:
    using QComboBox::QComboBox;
};
