// Any bytes as the settings file: load, read, write, save, load again.
#include "settings/ExtIniFile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using sorvak::TExtIniFile;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

const std::string& Folder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/sorvak-settings-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made == nullptr)
            std::abort();
        return std::string(made);
    }();
    return folder;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The first line of the input, short, as a name to look up.
std::string NameFrom(std::string_view bytes) {
    const std::size_t end = bytes.find_first_of(std::string_view("\r\n\0=", 4));
    return std::string(bytes.substr(0, std::min<std::size_t>(end, 32)));
}

void FuzzStore(std::string_view bytes) {
    const std::string program = Folder() + "/fuzz";
    const std::string ini = program + ".ini";
    WriteAll(ini, bytes);
    // Never empty: an empty section name makes no header line of its own.
    const std::string name = "N" + NameFrom(bytes);
    {
        TExtIniFile store(program);
        (void)store.ReadInt("PictureDialog", "SavePicMode", 1);
        (void)store.ReadStr(name, name, "");
        (void)store.ReadInt(name, "x", 0);
        store.WriteInt("PictureDialog", "SavePicMode", 3);
        store.WriteStr("TextSaveDialog", "InitialDir", "/home/u");
        store.WriteStr(name, "k", "");
        Check(store.ReadInt("PictureDialog", "SavePicMode", 1) == 3);
    }
    // A file holding a NUL is not the store's to rewrite.
    if (bytes.find('\0') != std::string_view::npos) {
        Check(ReadAll(ini) == bytes);
        return;
    }
    // What was written reads back the same and writes the same bytes again.
    const std::string first = ReadAll(ini);
    {
        TExtIniFile store(program);
        Check(store.ReadInt("PictureDialog", "SavePicMode", 1) == 3);
        Check(store.ReadStr("TextSaveDialog", "InitialDir", "") == "/home/u");
    }
    Check(ReadAll(ini) == first);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FuzzStore(bytes);
    return 0;
}
