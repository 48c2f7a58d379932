#include <windows.h>

#include "framework/runtime/Exceptions.h"
#include "framework/visual/Forms.h"
#include "shell/MainForm.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle(MainWindowTitle);
        Application->Icon()->LoadFromResourceName(instance, "MAINICON");
        Application->CreateForm(MainWindow);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    // The window goes (and with it a running transfer) while the application is still all there.
    delete MainWindow;
    return 0;
}
