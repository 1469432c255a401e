// A control that reaches into the main frame: the layout check must find it.
#include "MainFrame.h"
