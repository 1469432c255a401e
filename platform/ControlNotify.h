#pragma once
// How a control tells its parent window about a user action: WM_COMMAND with the control id in
// the low word of wParam and the notification code in the high word, sent at once.
#include "platform/Messages.h"

class QWidget;

constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high)
{
    return static_cast<WPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr unsigned LOWORD(std::uintptr_t v) { return static_cast<unsigned>(v & 0xFFFFu); }
constexpr unsigned HIWORD(std::uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFFu); }

// Button notification codes.
constexpr unsigned BN_CLICKED = 0;

// Owner-draw item state flags handed to paint routines.
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;

namespace platform {

// Sends WM_COMMAND (control id, code) to the control's parent window; 0 when the parent is no
// message target.
LRESULT NotifyParent(QWidget *control, unsigned code);

}
