// The theme files the build copies beside every suite (host/themes as shipped), so that
// tests read the same light and dark themes a person's client does.
#pragma once
#include <string>

namespace TestSupport {

// The "themes" folder beside the running test program.
std::wstring shippedThemeFolder();

} // namespace TestSupport
