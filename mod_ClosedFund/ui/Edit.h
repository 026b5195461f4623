// An "Edit" control.
#pragma once
#include "ui/ControlBase.h"

namespace WGUI {

class Edit : public ControlBase {
public:
    using ControlBase::ControlBase;
    void LimitText(int count) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(count), 0); }
};

} // namespace WGUI
