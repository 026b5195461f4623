// A "Button" control.
#pragma once
#include "ui/ControlBase.h"

namespace WGUI {

class Button : public ControlBase {
public:
    using ControlBase::ControlBase;
};

} // namespace WGUI
