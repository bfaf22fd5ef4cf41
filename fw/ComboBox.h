// Thin wrapper over a combo box window.
#pragma once

#include "fw/ControlWindow.h"

#include <windows.h>

#include <string>

namespace fw {

class ComboBox : public ControlWindow {
public:
    // Index of the selected item, CB_ERR when none.
    int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL, 0, 0)); }
    // Selects item index; -1 clears the selection.
    int SetCurSel(int index) { return static_cast<int>(Send(CB_SETCURSEL, index, 0)); }
    // Number of items.
    int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT, 0, 0)); }
    // Removes every item.
    void ResetContent() { Send(CB_RESETCONTENT, 0, 0); }
    // Inserts text at index without sorting; the new item's index.
    int InsertString(int index, const char* text) {
        return static_cast<int>(Send(CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text)));
    }
    // Stores value with item index; CB_ERR when it cannot.
    LRESULT SetItemData(int index, LPARAM value) { return Send(CB_SETITEMDATA, index, value); }
    // The value stored with item index (0 when none was); CB_ERR for no such item.
    LRESULT GetItemData(int index) const { return Send(CB_GETITEMDATA, index, 0); }
    // Text of item index; empty when there is no such item.
    std::string GetLBText(int index) const {
        const LRESULT length = Send(CB_GETLBTEXTLEN, index, 0);
        if (length <= 0) {
            return std::string();
        }
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        const LRESULT copied = Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied > 0 && copied <= length ? static_cast<std::size_t>(copied) : 0);
        return text;
    }
};

} // namespace fw
