// A touch trace: what the window system and the keyboard would have done,
// written down one main-loop pass per line, and the parser that reads it.
//
//   # comment                  blank lines and text after '#' are ignored
//   keys K0 ... K10            before the first pass: the keys that key
//                              assignment captures (eleven for the default
//                              layout), hex, optionally e0:/e1:
//   client W H                 before the first pass: client size (1280 720)
//   pass                       one pass without a message
//   pass id,flags,x,y ...      one pass with one touch message
//   return                     one pass with Return down
//   mouse down|move|up X Y [touch|pen]
//                              one pass with a left-button message of the mouse
//                              (or one the system made from a touch or a pen)
//                              with the cursor at client position X Y
//   mouse lost                 one pass in which the window loses the mouse
#pragma once

#include "controller/layouts/key_set.h"

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

constexpr int32_t TraceKeyCount = MaxAssignedKeys;
constexpr int32_t TraceDefaultClientWidth = 1280;
constexpr int32_t TraceDefaultClientHeight = 720;
constexpr int32_t TraceMaxClientSize = 65535;
// A touch message counts its points in 16 bits.
constexpr size_t TraceMaxPoints = 65535;

// Prefix bits of a key, as the keyboard driver puts them in a stroke's state.
constexpr uint16_t TracePrefixE0 = 0x02;
constexpr uint16_t TracePrefixE1 = 0x04;

using TraceKey = AssignedKey;

// One touch point as the platform reports it.
struct TracePoint {
    uint32_t id;
    uint32_t flags; // 1 move, 2 down, 4 up; others passed on unchanged
    int32_t x;      // screen position in hundredths of a pixel
    int32_t y;
};

enum TraceStepKind : int32_t { TracePass = 0, TraceReturn = 1, TraceMouse = 2 };

enum TraceMouseAction : int32_t { MouseDown = 0, MouseMove = 1, MouseUp = 2, MouseLost = 3 };
enum TraceMouseSource : int32_t { SourceMouse = 0, SourceTouch = 1, SourcePen = 2 };

struct TraceMouseStep {
    TraceMouseAction action = MouseMove;
    TraceMouseSource source = SourceMouse;
    int32_t x = 0; // client position of the cursor
    int32_t y = 0;
};

struct TraceStep {
    TraceStepKind kind;
    int32_t line;                   // line number in the trace, from 1
    std::vector<TracePoint> points; // empty: no touch message in this pass
    TraceMouseStep mouse = {};      // for TraceMouse
};

struct Trace {
    bool hasKeys = false;
    TraceKey keys[TraceKeyCount] = {};
    int32_t keyCount = 0;
    // How many keys the layout it is played on asks for.
    int32_t keysWanted = AssignedKeyCount;
    int32_t clientWidth = TraceDefaultClientWidth;
    int32_t clientHeight = TraceDefaultClientHeight;
    std::vector<TraceStep> steps;
};

struct TraceError {
    int32_t line = 0; // 0: no error
    std::string message;
};

// Reads a whole trace. On the first malformed line it stops, fills `error`
// with that line's number and what is wrong with it, and gives false; `trace`
// then holds what was read before that line.
bool parseTrace(std::istream& in, Trace& trace, TraceError& error);
bool parseTraceText(const std::string& text, Trace& trace, TraceError& error);

// Single fields, for the parser and its tests. Each accepts the whole token
// or nothing.
bool parseTraceKey(const std::string& token, TraceKey& key);
bool parseTracePoint(const std::string& token, TracePoint& point, std::string& problem);
// The words of a mouse line after "mouse".
bool parseTraceMouse(const std::vector<std::string>& words, TraceMouseStep& mouse,
                     std::string& problem);
