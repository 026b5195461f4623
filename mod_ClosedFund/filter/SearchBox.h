// The filter bar's search box: a cue-text edit whose Esc empties it (the bar hears the change
// like any other edit and lifts the search at once).
#pragma once
#include "ui/TextEdit.h"

namespace ClosedFund {

class SearchBox : public WGUI::TextEdit {
public:
    SearchBox();
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The typed text (at most the box's limit).
    Common::XStringW Text() const;
};

} // namespace ClosedFund
