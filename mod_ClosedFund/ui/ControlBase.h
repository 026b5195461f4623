// Standard child controls seen through the toolkit: they add operations, never state.
#pragma once
#include "ui/WindowBase.h"

namespace WGUI {

class ControlBase : public WindowBase {
public:
    using WindowBase::WindowBase;
};

} // namespace WGUI
