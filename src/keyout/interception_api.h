// The keyboard-filter driver library as the controller uses it: seven calls
// that every build of the library has, and two that older builds lack,
// reached through a table so that a recording fake can stand in.
#pragma once

#include <cstdint>

extern "C" {
typedef void* InterceptionContext;
typedef int InterceptionDevice;
typedef unsigned short InterceptionFilter;
typedef int (*InterceptionPredicate)(InterceptionDevice device);

struct InterceptionKeyStroke {
    unsigned short code;
    unsigned short state;
    unsigned int information;
};
}

// Stroke state bits.
constexpr unsigned short KeyStateDown = 0x00;
constexpr unsigned short KeyStateUp = 0x01;
constexpr unsigned short KeyStateE0 = 0x02;
constexpr unsigned short KeyStateE1 = 0x04;

// Filter: hold back key-down strokes; downs and ups; or nothing.
constexpr InterceptionFilter FilterKeyDown = 0x01;
constexpr InterceptionFilter FilterKeyDownUp = 0x03;
constexpr InterceptionFilter FilterNone = 0x00;

constexpr InterceptionDevice FirstKeyboard = 1;
constexpr InterceptionDevice LastKeyboard = 10;

struct InterceptionApi {
    InterceptionContext (*create_context)();
    void (*destroy_context)(InterceptionContext context);
    int (*is_keyboard)(InterceptionDevice device);
    void (*set_filter)(InterceptionContext context, InterceptionPredicate predicate,
                       InterceptionFilter filter);
    InterceptionDevice (*wait)(InterceptionContext context);
    // The stroke pointer is the library's InterceptionStroke*: a keyboard
    // stroke is read or written at its start.
    int (*receive)(InterceptionContext context, InterceptionDevice device, void* stroke,
                   unsigned int count);
    int (*send)(InterceptionContext context, InterceptionDevice device, const void* stroke,
                unsigned int count);

    // Optional (null when the library lacks them).
    // Like wait, but gives 0 when no stroke came within the time.
    InterceptionDevice (*wait_with_timeout)(InterceptionContext context,
                                            unsigned long milliseconds);
    // The device's hardware id into the buffer; its size in bytes, 0 when the
    // device has none (nothing is plugged in there).
    unsigned int (*get_hardware_id)(InterceptionContext context, InterceptionDevice device,
                                    void* buffer, unsigned int size);
};

// All null until the library is bound (keyboard_library_win32.cpp) or a fake
// is installed.
extern InterceptionApi interception;
