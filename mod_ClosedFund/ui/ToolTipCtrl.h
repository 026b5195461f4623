// A "tooltips_class32" window.
#pragma once
#include "ui/ControlBase.h"
#include <commctrl.h>

namespace WGUI {

class ToolTipCtrl : public ControlBase {
public:
    using ControlBase::ControlBase;
    void SetMaxTipWidth(int width) { SendMessage(TTM_SETMAXTIPWIDTH, 0, width); }
    BOOL AddTool(TTTOOLINFOW* tool) { return BOOL(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(tool))); }
    void DelTool(TTTOOLINFOW* tool) { SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(tool)); }
};

} // namespace WGUI
