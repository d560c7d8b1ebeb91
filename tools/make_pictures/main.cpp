// make_pictures OUTDIR: writes the controller's three pictures, white.bmp
// and blue.bmp (the key pads) and scratch.bmp (the disc), into OUTDIR,
// creating it if needed. The same bytes on every run.
#include "bmp_file.h"
#include "disc_picture.h"
#include "pad_picture.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: make_pictures OUTDIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "make_pictures: cannot create directory %s: %s\n", argv[1],
                     ec ? ec.message().c_str() : "a file of that name is in the way");
        return 1;
    }
    struct Output {
        const char* name;
        Picture picture;
    };
    const Output outputs[] = {{"white.bmp", drawPad(WhitePad, 1)},
                              {"blue.bmp", drawPad(BluePad, 2)},
                              {"scratch.bmp", drawDisc(3)}};
    for (const Output& out : outputs) {
        std::string error;
        if (!writeBmpFile((dir / out.name).string(), out.picture, error)) {
            std::fprintf(stderr, "make_pictures: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
