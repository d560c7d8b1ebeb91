#include "controller/modes/remote_panel.h"

#include "base/format_text.h"
#include "controller/layouts/layout_file.h"
#include "controller/modes/controller_state.h"
#include "controller/modes/remembered.h"
#include "remote/network_reach.h"
#include "remote/remote_link.h"

#include <qrcodegen.hpp>

#include <cstring>
#include <vector>

namespace {

constexpr int32_t QuietModules = 4;
constexpr uint32_t ColourLight = 0xFFFFFF;
constexpr uint32_t ColourDark = 0x000000;

struct Code {
    int32_t size = 0; // modules a side; 0: none
    std::vector<bool> dark;
};

Code code;

// The page's layout: the layout in use as fitted to the frame, as a file.
void pageLayout(char (&layout)[LayoutFileMaxBytes]) {
    if (writeLayoutFile(controllerLayout, layout, sizeof layout) == 0) {
        layout[0] = '\0';
    }
}

} // namespace

void showLayoutToPhone() {
    char layout[LayoutFileMaxBytes];
    pageLayout(layout);
    changeRemoteLayout(layout);
}

void startRemoteController(const char* pairingCode) {
    char layout[LayoutFileMaxBytes];
    pageLayout(layout);
    code = Code{};
    if (!startRemote(pairingCode, layout)) {
        return;
    }
    try {
        const qrcodegen::QrCode qr =
            qrcodegen::QrCode::encodeText(remoteStatus().address, qrcodegen::QrCode::Ecc::MEDIUM);
        code.size = qr.getSize();
        code.dark.resize(static_cast<size_t>(code.size * code.size));
        for (int32_t y = 0; y < code.size; ++y) {
            for (int32_t x = 0; x < code.size; ++x) {
                code.dark[static_cast<size_t>(y * code.size + x)] = qr.getModule(x, y);
            }
        }
    } catch (const std::exception&) {
        code = Code{}; // the line still gives the address
    }
}

namespace {

// How the phones' touches were timed, for the log.
void logTimings() {
    const RemoteTiming timing = remoteTimingsSoFar();
    const WakeFigures wakes = remoteWakeFigures();
    if (timing.touches == 0 && wakes.count == 0) {
        return;
    }
    char line[256];
    formatText(line,
               "the phone's touches: %u timed, %u late (%.1f%%); strokes that waited went out "
               "%.2f ms after their time at the median, %.2f ms at the 99th percentile (%d)",
               static_cast<unsigned>(timing.touches), static_cast<unsigned>(timing.late),
               timing.touches > 0 ? 100.0 * timing.late / timing.touches : 0.0,
               wakes.medianUs / 1000.0, wakes.percentile99Us / 1000.0,
               static_cast<int>(wakes.count));
    noteInLog(line);
}

} // namespace

void stopRemoteController() {
    char figures[128];
    describeRoundTrips(remoteRoundTrips(), figures, sizeof figures);
    if (figures[0] != '\0') {
        char line[160];
        formatText(line, "the phone's round trip: %s", figures);
        noteInLog(line);
    }
    char timing[192];
    describeRemoteTiming(remoteStatus().timing, timing, sizeof timing);
    if (timing[0] != '\0') {
        char line[224];
        formatText(line, "the phone's timing: %s", timing);
        noteInLog(line);
    }
    logTimings();
    stopRemote();
    code = Code{};
}

void changeRemoteDelay(const DelaySetting& setting) {
    setRemoteDelay(setting);
    saveRemoteDelay(setting);
}

void writeRemoteLine(char* out, size_t size) {
    const RemoteStatus& status = remoteStatus();
    switch (status.state) {
    case RemoteState::Off:
        formatTextN(out, size, "%s", "");
        break;
    case RemoteState::Failed:
        formatTextN(out, size, "%s", status.problem);
        break;
    case RemoteState::Waiting: {
        char also[200] = "";
        if (status.otherAddresses[0] != '\0') {
            formatText(also, " (this PC also answers at %s)", status.otherAddresses);
        }
        char reach[200] = "";
        describeReachProblems(status.reachProblems, reach, sizeof reach);
        formatTextN(out, size, "remote: open %s on the phone or scan the code%s%s%s",
                    status.address, also, reach[0] != '\0' ? "; " : "", reach);
        break;
    }
    case RemoteState::Connected:
        if (status.roundTripMs >= 0) {
            formatTextN(out, size, "remote: a phone is connected, round trip %d ms",
                        static_cast<int>(status.roundTripMs));
        } else {
            formatTextN(out, size, "%s", "remote: a phone is connected");
        }
        break;
    }
}

void appendRoundTrips(char* line, size_t size) {
    const RoundTripFigures figures = remoteRoundTrips();
    const size_t used = std::strlen(line);
    if (remoteStatus().state != RemoteState::Connected || figures.count == 0 || used >= size) {
        return;
    }
    formatTextN(line + used, size - used, "  phone round trip %d ms median, %d ms 99th (%d)",
                static_cast<int>(figures.medianMs), static_cast<int>(figures.percentile99Ms),
                static_cast<int>(figures.count));
    char timing[192];
    describeRemoteTiming(remoteStatus().timing, timing, sizeof timing);
    const size_t afterTrips = std::strlen(line);
    if (timing[0] != '\0' && afterTrips < size) {
        formatTextN(line + afterTrips, size - afterTrips, "  %s", timing);
    }
}

bool remoteCodeShown() {
    return code.size > 0 && remoteStatus().state == RemoteState::Waiting;
}

int32_t remoteCodeSide(int32_t modulePixels) {
    return code.size > 0 ? (code.size + 2 * QuietModules) * modulePixels : 0;
}

int32_t composeRemoteCode(Canvas& dc, int32_t left, int32_t top, int32_t modulePixels) {
    const int32_t side = remoteCodeSide(modulePixels);
    if (side == 0) {
        return 0;
    }
    fillRect(dc, Rect{top, left, top + side, left + side}, ColourLight);
    const int32_t inner = QuietModules * modulePixels;
    for (int32_t y = 0; y < code.size; ++y) {
        for (int32_t x = 0; x < code.size; ++x) {
            if (code.dark[static_cast<size_t>(y * code.size + x)]) {
                const int32_t mx = left + inner + x * modulePixels;
                const int32_t my = top + inner + y * modulePixels;
                fillRect(dc, Rect{my, mx, my + modulePixels, mx + modulePixels}, ColourDark);
            }
        }
    }
    return side;
}
