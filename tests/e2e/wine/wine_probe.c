/* A small Win32 helper for the Wine suite: hosts a preview window and looks at windows of
 * other processes (texts, check states, positions, children) the way a person would see them.
 *
 *   wine_probe host SECONDS          window for /p; prints its handle; ends after SECONDS
 *   wine_probe children HWND         one line per descendant: class|title
 *   wine_probe controls TITLE        one line per control of the top-level window TITLE:
 *                                    id|class|text|checked|left top right bottom
 *   wine_probe close HWND            posts WM_CLOSE
 *   wine_probe alive HWND            exit 0 when HWND is a window
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_TIMER) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

static int Host(int seconds) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    windowClass.lpszClassName = "VorlixPreviewHost";
    if (!RegisterClassA(&windowClass)) return 2;
    HWND window = CreateWindowExA(0, "VorlixPreviewHost", "Vorlix preview host",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 260, 200, NULL, NULL,
                                  windowClass.hInstance, NULL);
    if (window == NULL) return 3;
    printf("%llu\n", (unsigned long long)(ULONG_PTR)window);
    fflush(stdout);
    SetTimer(window, 1, (UINT)seconds * 1000u, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

static BOOL CALLBACK PrintChild(HWND child, LPARAM unused) {
    char className[128] = "";
    char title[256] = "";
    (void)unused;
    GetClassNameA(child, className, sizeof(className));
    GetWindowTextA(child, title, sizeof(title));
    printf("%s|%s\n", className, title);
    return TRUE;
}

static void PrintEscaped(const char* text) {
    for (; *text; ++text) {
        if (*text == '\n') fputs("\\n", stdout);
        else if (*text != '\r') putchar(*text);
    }
}

static BOOL CALLBACK PrintControl(HWND control, LPARAM unused) {
    char className[128] = "";
    char text[2048] = "";
    DWORD_PTR checked = 0;
    RECT box;
    (void)unused;
    GetClassNameA(control, className, sizeof(className));
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        NULL);
    if (_stricmp(className, "Button") == 0) {
        SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
    }
    GetWindowRect(control, &box);
    printf("%d|%s|", GetDlgCtrlID(control), className);
    PrintEscaped(text);
    printf("|%d|%ld %ld %ld %ld\n", (int)checked, box.left, box.top, box.right, box.bottom);
    return TRUE;
}

static HWND HandleArgument(const char* text) { return (HWND)(ULONG_PTR)_strtoui64(text, NULL, 10); }

int main(int argc, char** argv) {
    if (argc < 3) return 64;
    if (strcmp(argv[1], "host") == 0) return Host(atoi(argv[2]));
    if (strcmp(argv[1], "children") == 0) {
        HWND window = HandleArgument(argv[2]);
        if (!IsWindow(window)) return 1;
        EnumChildWindows(window, PrintChild, 0);
        return 0;
    }
    if (strcmp(argv[1], "controls") == 0) {
        HWND window = FindWindowA(NULL, argv[2]);
        if (window == NULL) return 1;
        EnumChildWindows(window, PrintControl, 0);
        return 0;
    }
    if (strcmp(argv[1], "close") == 0) {
        return PostMessageA(HandleArgument(argv[2]), WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (strcmp(argv[1], "alive") == 0) return IsWindow(HandleArgument(argv[2])) ? 0 : 1;
    return 64;
}
