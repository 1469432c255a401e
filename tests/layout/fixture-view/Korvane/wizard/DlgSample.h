#pragma once
// A wizard page that takes its page ids from the view: the layout check must find it.
#include "../KorvaneView.h"
