// For windows that draw their own text rather than keep it as the window text: they still
// answer WM_GETTEXT and WM_GETTEXTLENGTH with what they show, so that whoever reads the
// window (a screen reader, a test in another process) reads what a person sees.
#pragma once
#include <windows.h>
#include <common/XString.h>

namespace WGUI {

// Answers the two messages with text; false for any other message.
bool AnswerTextMessage(const Common::XStringW& text, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

} // namespace WGUI
