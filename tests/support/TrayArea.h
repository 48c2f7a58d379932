#pragma once
// The notification area of Wine's virtual desktop as a user meets it: an icon found by its picture in the
// taskbar, right-clicked with the real mouse, and the popup menu that opens. (Menus live in their own process
// under Wine: another process cannot read their items, so they are worked with the keyboard.)

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

// The small icon of a program's icon resource (MAINICON), to be freed with DestroyIcon; null when it has none.
HICON LoadProgramIcon(const std::string& exePath);

// The visible popup menu window of a process (any process for 0), or null.
HWND FindPopupMenuWindow(DWORD processId);

// Right-clicks the icon (again, while its program shows no menu) until its menu opens; the menu's window, or
// null when that does not happen within timeoutMs. processId 0: any program's menu.
HWND OpenTrayMenu(HICON icon, DWORD processId, DWORD timeoutMs);
// Presses the key of an item (its '&' letter) in the open menu, once the menu's program is in front so the key
// goes to it; true when the menu has closed.
bool PressMenuKey(HWND menu, char key, DWORD timeoutMs);
