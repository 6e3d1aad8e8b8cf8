// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for tests that show a dialog and act inside its modal loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "AfxTesting.h"

// Shows the dialog modally and runs the script while it is up.
inline void RunModal(CDialog& dialog, std::function<void(CDialog&)> script) {
    afxtest::OnNextModal(std::move(script));
    dialog.DoModal();
}

// The texts of all message boxes shown so far, in order.
inline std::vector<std::string> MessageBoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : afxtest::MessageBoxes()) texts.push_back(box.text);
    return texts;
}

inline const afxtest::MessageBoxRecord& LastMessageBox() {
    return afxtest::MessageBoxes().back();
}
