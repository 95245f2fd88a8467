#include "driver/WatchSave.h"

#include "base/ClipboardFormats.h"
#include "base/CodePage.h"
#include "base/FilePath.h"
#include "base/OutputFile.h"
#include "driver/FreeName.h"
#include "driver/ModMain.h"
#include "driver/NameTemplate.h"
#include "driver/QuickSave.h"
#include "imaging/PictureFormats.h"
#include "settings/ExtIniFile.h"

namespace sorvak {

namespace {

// FNV-1a: equal content is told apart from a new one without keeping it.
std::uint64_t Digest(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash ^ bytes.size();
}

std::string RememberedFormatName(const std::string& programPath) {
    TExtIniFile settings(programPath);
    settings.SetAutoUpdate(false); // nothing remembered
    const auto index =
        static_cast<std::uint8_t>(settings.ReadInt("PictureDialog", "SavePicMode", 1) & 0xFF);
    return std::string(PictureFormatOf(index).DefaultExt);
}

} // namespace

std::optional<std::string> WatchSaver::SaveCurrent(TClipboard& clipboard) {
    NameFields fields;
    std::string extension = "txt";
    std::string stem;
    QuickSaveRequest request;
    request.Output = "-";
    request.ProgramPath = request_.ProgramPath;
    if (clipboard.QueryFormat(CF_BITMAP)) {
        request.Format =
            request_.Format ? *request_.Format : RememberedFormatName(request_.ProgramPath);
        extension = PictureFormatOf(*PictureFilterIndexOfName(*request.Format)).DefaultExt;
        const auto [width, height] = clipboard.BitmapSize();
        fields.Kind = SavedKind::Picture;
        fields.Width = width;
        fields.Height = height;
        // Names on disk are UTF-8 in every locale.
        stem = DefaultPictureName(width, height, codepage::Utf8);
    } else if (clipboard.QueryFormat(CF_TEXT)) {
        fields.Kind = SavedKind::Text;
        stem = "ClipboardText";
    } else if (clipboard.QueryFormat(CF_HDROP)) {
        fields.Kind = SavedKind::Files;
        stem = "CopyFiles";
    } else {
        return std::nullopt;
    }
    if (request_.NameTemplate) {
        fields.LocalTime = request_.Now();
        stem = ExpandNameTemplate(*request_.NameTemplate, fields);
    }

    std::string bytes;
    request.WriteStandardOutput = [&bytes](std::string_view piece) { bytes += piece; };
    if (SaveWithoutDialog(clipboard, request) != QuickSaveResult::Written)
        return std::nullopt;
    const std::uint64_t digest = Digest(bytes);
    if (digest == lastSaved_)
        return std::nullopt;

    Reservation reserved;
    const std::string path = ReserveFreeName(request_.Folder, stem, "." + extension, reserved);
    WriteWholeFile(FilePath::FromSystem(path), bytes);
    reserved.Keep();
    lastSaved_ = digest;
    return path;
}

} // namespace sorvak
