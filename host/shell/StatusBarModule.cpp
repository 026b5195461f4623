#include "StatusBarModule.h"

namespace HostShell {

StatusBarModule::StatusBarModule(MainFrameModule* mainFrame)
    : BuiltInModule(Host::kStatusBarModuleName, L"状态栏"), mainFrame_(mainFrame)
{}

void StatusBarModule::setStatusText(const XStringW& text)
{
    if (mainFrame_) mainFrame_->setStatusText(text);
}

} // namespace HostShell
