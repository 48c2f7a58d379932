#pragma once
// The notification area of Wine's virtual desktop as a user meets it: an icon found by its picture in the
// taskbar, right-clicked with the real mouse, and the popup menu that opens read and clicked.

#include <windows.h>

#include <string>
#include <vector>

// The taskbar of the virtual desktop (it holds the notification area); null when there is none.
HWND TaskbarWindow();

// The screen position of the middle of the small icon shown in the taskbar; false when it is not there.
bool FindTrayIcon(HICON icon, POINT& centre);

// Real mouse input: a move to the point, then a click of the right (or left) button.
void MouseMoveTo(POINT p);
void MouseClick(POINT p, bool right);

struct PopupMenuItem {
    std::string text;  // empty for a separator
    bool enabled;
    bool separator;
};

// The small icon of a program's icon resource (MAINICON), to be freed with DestroyIcon; null when it has none.
HICON LoadProgramIcon(const std::string& exePath);

// The visible popup menu window of a process (any process for 0), or null.
HWND FindPopupMenuWindow(DWORD processId);
// The items of the menu shown in that window.
std::vector<PopupMenuItem> PopupMenuItems(HWND menuWindow);
// Clicks item index of the shown menu with the real mouse; false when it has no place on the screen.
bool ClickPopupMenuItem(HWND menuWindow, int index);
