#include "base/window_owners.h"

namespace {

constexpr std::string_view CoreWindowClass = "Windows.UI.Core.CoreWindow";

} // namespace

bool sameProgramName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool isAppFrameHost(std::string_view program) {
    return sameProgramName(program, "ApplicationFrameHost.exe");
}

std::string_view programOfWindow(std::string_view program, std::string_view content) {
    return isAppFrameHost(program) ? content : program;
}

bool isShellWindow(std::string_view windowClass, std::string_view program) {
    for (const std::string_view shell :
         {"Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow",
          "TopLevelWindowForOverflowXamlIsland", "XamlExplorerHostIslandWindow"}) {
        if (windowClass == shell) {
            return true;
        }
    }
    if (windowClass != CoreWindowClass) {
        return false;
    }
    // Start, the action center, search, the touch keyboard.
    for (const std::string_view host :
         {"explorer.exe", "StartMenuExperienceHost.exe", "ShellExperienceHost.exe",
          "SearchHost.exe", "SearchApp.exe", "SearchUI.exe", "TextInputHost.exe"}) {
        if (sameProgramName(program, host)) {
            return true;
        }
    }
    return false;
}
