// The yardstick of the start-up benchmark: a program that does nothing but
// show the main dialog template (IDD_KMXLOGCTL_DIALOG) modally, with no
// settings, no registry and no handlers beyond closing.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK MinimalDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    // The template's spin controls are common controls.
    InitCommonControls();
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_KMXLOGCTL_DIALOG), nullptr, MinimalDialogProc, 0);
    return 0;
}
