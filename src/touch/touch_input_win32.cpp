// WM_TOUCH: the records are read from the platform and filed in the table.
#include <windows.h>

#include "touch/touch_input_win32.h"
#include "touch/touch_table.h"

#include <new>

intptr_t handleTouchMessage(WindowHandle window, uintptr_t wParam, intptr_t lParam) {
    HWND hwnd = static_cast<HWND>(window);
    const UINT count = LOWORD(wParam);
    HTOUCHINPUT handle = reinterpret_cast<HTOUCHINPUT>(lParam);
    if (count > 0) {
        TOUCHINPUT* inputs = new (std::nothrow) TOUCHINPUT[count];
        TouchRecord* records = new (std::nothrow) TouchRecord[count];
        if (inputs != nullptr && records != nullptr) {
            if (GetTouchInputInfo(handle, count, inputs, sizeof(TOUCHINPUT))) {
                for (UINT i = 0; i < count; ++i) {
                    records[i] = {inputs[i].x, inputs[i].y, inputs[i].dwID, inputs[i].dwFlags};
                }
                fileTouchRecords(window, records, static_cast<int32_t>(count));
            }
            CloseTouchInputHandle(handle);
        }
        delete[] records;
        delete[] inputs;
    }
    return DefWindowProcA(hwnd, WM_TOUCH, wParam, lParam);
}
