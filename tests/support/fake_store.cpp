#include "support/fake_store.h"

#include <algorithm>
#include <cstring>

FakeStore store;

namespace {

bool copyOut(const std::string& text, char* out, size_t size) {
    if (text.size() >= size) {
        return false;
    }
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}

} // namespace

void installFakeStore() {
    store = FakeStore{};
    settingsStore = SettingsStore{
        .read =
            [](char* buffer, size_t size, size_t* length) {
                *length = std::min(size, store.file.size());
                std::memcpy(buffer, store.file.data(), *length);
                return store.read;
            },
        .write =
            [](const char* text, size_t length, uint32_t* error) {
                *error = store.writable ? 0 : 5;
                if (store.writable) {
                    store.file.assign(text, length);
                    store.read = SettingsFound;
                    ++store.writes;
                }
                return store.writable;
            },
        .writeLog = [](const char* text, size_t length) { store.log.assign(text, length); },
        .appendLog = [](const char* text, size_t length) { store.log.append(text, length); },
        .readFile =
            [](const char* path, char* buffer, size_t size, size_t* length) {
                const auto found = store.files.find(path);
                *length = 0;
                if (found == store.files.end()) {
                    return SettingsMissing;
                }
                if (found->second.size() >= size) {
                    return SettingsUnreadable;
                }
                *length = found->second.size();
                std::memcpy(buffer, found->second.data(), *length);
                return SettingsFound;
            },
        .fullPath =
            [](const char* path, char* out, size_t size) {
                return copyOut(std::strchr(path, ':') != nullptr
                                   ? std::string(path)
                                   : std::string("C:\\Games\\") + path,
                               out, size);
            },
        .eachSavedLayout =
            [](void (*each)(const char* path, void* context), void* context) {
                const std::string folder = FakeLayoutsFolder;
                int32_t count = 0;
                for (const auto& [path, text] : store.files) {
                    const bool inFolder = path.rfind(folder, 0) == 0 &&
                                          path.find('\\', folder.size()) == std::string::npos &&
                                          path.size() > 4 && path.substr(path.size() - 4) == ".txt";
                    if (inFolder && count++ < MaxSavedLayoutFiles) {
                        each(path.c_str(), context);
                    }
                }
            },
        .saveLayout =
            [](const char* name, const char* text, size_t length, char* path, size_t pathSize,
               uint32_t* error) {
                const std::string whole = std::string(FakeLayoutsFolder) + name;
                *error = store.writable ? 0 : 5;
                if (!store.writable || !copyOut(whole, path, pathSize)) {
                    return false;
                }
                store.files[whole].assign(text, length);
                return true;
            },
        .placePath =
            [](SettingsPlaceKind place, char* out, size_t size) {
                const std::string folder = FakeLayoutsFolder;
                return copyOut(place == LayoutsFolderPlace
                                   ? folder.substr(0, folder.size() - 1)
                                   : folder.substr(0, folder.size() - 8) + "padrelle.log",
                               out, size);
            },
    };
}
