#include "render_options.h"

#include "graphics/raster_frame_target.h"

#include <cstdio>
#include <iterator>

namespace {

bool fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "padrelle-render: %s%s\n", what, detail.c_str());
    return false;
}

} // namespace

bool parseBoundedNumber(const std::string& text, int32_t max, int32_t& value) {
    if (text.empty() || text.size() > 9) {
        return false;
    }
    int32_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
    }
    if (result > max) {
        return false;
    }
    value = result;
    return true;
}

bool parseRenderTouch(const std::string& text, RenderTouch& touch) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return false;
    }
    return parseBoundedNumber(text.substr(0, comma), FrameWidth - 1, touch.x) &&
           parseBoundedNumber(text.substr(comma + 1), FrameHeight - 1, touch.y);
}

bool parseRenderOptions(int argc, char** argv, RenderOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return true;
        }
        const bool takesValue = arg == "--images" || arg == "--assign" || arg == "--touch" ||
                                arg == "--layout" || arg == "--menu";
        if (takesValue && (i + 1 >= argc || argv[i + 1][0] == '\0')) {
            return fail(arg.c_str(), " needs a value");
        }
        if (arg == "--edit") {
            options.edit = true;
        } else if (arg == "--menu") {
            const std::string value = argv[++i];
            for (int32_t page = 0; page < static_cast<int32_t>(std::size(RenderMenuPages));
                 ++page) {
                options.menuPage = value == RenderMenuPages[page] ? page : options.menuPage;
            }
            if (options.menuPage < 0) {
                return fail("--menu takes main, phone, layout, screen, keys, output, files or "
                            "about, not ",
                            value);
            }
        } else if (arg == "--images") {
            options.imagesDir = argv[++i];
        } else if (arg == "--layout") {
            options.layout = argv[++i];
        } else if (arg == "--assign") {
            const std::string value = argv[++i];
            if (!parseBoundedNumber(value, RenderAssignSteps - 1, options.assignStep)) {
                return fail("--assign takes a prompt from 0 to 27, not ", value);
            }
        } else if (arg == "--touch") {
            const std::string value = argv[++i];
            RenderTouch touch{};
            if (!parseRenderTouch(value, touch)) {
                return fail("--touch takes X,Y with X 0 to 1279 and Y 0 to 719, not ", value);
            }
            if (options.touches.size() >= static_cast<size_t>(RenderMaxTouches)) {
                return fail("at most 10 touches", "");
            }
            options.touches.push_back(touch);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return fail("unknown option ", arg);
        } else if (!options.outPath.empty()) {
            return fail("only one output file can be written", "");
        } else {
            options.outPath = arg;
        }
    }
    if (options.edit && (options.assignStep >= 0 || options.touches.size() > 2)) {
        return fail("--edit takes at most two touches (a drag) and no --assign", "");
    }
    if (options.menuPage >= 0 && (options.edit || options.assignStep >= 0)) {
        return fail("--menu goes with neither --edit nor --assign", "");
    }
    if (options.assignStep >= 0 && !options.touches.empty()) {
        return fail("--touch is for play mode: no touch is filed during key assignment", "");
    }
    if (options.outPath.empty()) {
        return fail("no output file given", "");
    }
    return true;
}
