#include "driver/QuickSave.h"

#include "base/CodePage.h"
#include "base/FileErrors.h"
#include "base/FileNames.h"
#include "base/FilePath.h"
#include "base/InterruptCleanup.h"
#include "base/LineList.h"
#include "base/OutputFile.h"
#include "clipboard/DropFiles.h"
#include "driver/FreeName.h"
#include "driver/ModMain.h"
#include "driver/NameTemplate.h"
#include "imaging/Bitmap.h"
#include "imaging/PictureFormats.h"
#include "settings/ExtIniFile.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace sorvak {

namespace {

enum class Asked { Anything, Picture, TextOrFileList };

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The extension of the path's last name, without the dot; a name that
// starts with its only dot (".png") is hidden, not an extension.
std::string ExtensionOf(const std::string& path) {
    const std::size_t start = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot <= start)
        return {};
    return path.substr(dot + 1);
}

bool IsFolder(const std::string& bytes) {
    std::error_code error;
    return std::filesystem::is_directory(bytes, error);
}

class Destination {
public:
    explicit Destination(const QuickSaveRequest& request)
        : request_(request), toStandardOutput_(request.Output == "-"),
          target_(FilePath::FromSystem(request.Output)),
          toFolder_(!toStandardOutput_ && IsFolder(target_.Bytes())) {}

    bool ToStandardOutput() const { return toStandardOutput_; }

    // Writes through write(path) to the file the request names, or to a
    // free proposed or template name (UTF-8, as names on disk are) in its
    // folder; the file-system bytes of the name written.
    template <typename WriteFile>
    std::string Write(const std::string& proposedStem, const std::string& extension,
                      NameFields fields, WriteFile write) {
        Reservation reserved;
        FilePath path = target_;
        if (toFolder_) {
            std::string stem = proposedStem;
            if (request_.NameTemplate) {
                fields.LocalTime = request_.Now();
                stem = ExpandNameTemplate(*request_.NameTemplate, fields);
            }
            path = FilePath::FromSystem(
                ReserveFreeName(target_.Bytes(), stem, "." + extension, reserved));
        } else if (request_.NoClobber && !reserved.Take(target_.Bytes()))
            throw EFCreateError(target_.Name(), errno);
        write(path);
        reserved.Keep();
        return path.Bytes();
    }

    Asked WhatIsAsked() const {
        if (request_.Format)
            return Asked::Picture;
        if (toStandardOutput_ || toFolder_)
            return Asked::Anything;
        const std::string extension = ExtensionOf(request_.Output);
        if (extension.empty())
            return Asked::Anything;
        return PictureFilterIndexOfName(extension) ? Asked::Picture : Asked::TextOrFileList;
    }

private:
    const QuickSaveRequest& request_;
    bool toStandardOutput_;
    FilePath target_;
    bool toFolder_;
};

std::uint8_t RememberedPictureFormat(const std::string& programPath) {
    TExtIniFile settings(programPath);
    settings.SetAutoUpdate(false); // nothing remembered
    return static_cast<std::uint8_t>(settings.ReadInt("PictureDialog", "SavePicMode", 1) & 0xFF);
}

std::string SavePicture(TClipboard& clipboard, const QuickSaveRequest& request,
                        Destination& destination) {
    std::uint8_t index = 0;
    if (request.Format)
        index = PictureFilterIndexOfName(*request.Format).value_or(0);
    else if (auto named = PictureFilterIndexOfName(ExtensionOf(request.Output));
             named && !destination.ToStandardOutput())
        index = *named;
    if (index == 0)
        index = RememberedPictureFormat(request.ProgramPath);
    const PictureFormat& format = PictureFormatOf(index);

    const auto [width, height] = clipboard.BitmapSize();
    // Names on disk are UTF-8 in every locale: the full-width name always.
    const std::string stem = DefaultPictureName(width, height, codepage::Utf8);
    NameFields fields;
    fields.Kind = SavedKind::Picture;
    fields.Width = width;
    fields.Height = height;
    // The owner's own bytes where it offers the format asked for: they
    // decoded, and keep what a conversion loses (alpha, colour profile,
    // metadata).
    if (const std::optional<OwnerPicture> owner = clipboard.OwnerPictureBytes();
        owner && owner->MimeType == format.MimeType) {
        if (destination.ToStandardOutput()) {
            request.WriteStandardOutput(owner->Bytes);
            return "-";
        }
        return destination.Write(stem, std::string(format.DefaultExt), fields,
                                 [&](const FilePath& path) { WriteWholeFile(path, owner->Bytes); });
    }
    TBitmap bitmap;
    clipboard.FillBitmap(bitmap);
    std::unique_ptr<TGraphic> writer = format.CreateWriter();
    writer->AssignFrom(bitmap);
    if (destination.ToStandardOutput()) {
        TMemoryStream stream;
        writer->WriteToStream(stream);
        const auto& bytes = stream.Bytes();
        request.WriteStandardOutput(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return "-";
    }
    return destination.Write(stem, std::string(format.DefaultExt), fields,
                             [&](const FilePath& path) { writer->WriteToFile(path); });
}

std::string SaveLines(const LineList& lines, const QuickSaveRequest& request,
                      Destination& destination, const std::string& proposedStem, SavedKind kind) {
    if (destination.ToStandardOutput()) {
        request.WriteStandardOutput(lines.JoinText());
        return "-";
    }
    NameFields fields;
    fields.Kind = kind;
    return destination.Write(proposedStem, "txt", fields,
                             [&](const FilePath& path) { lines.WriteFile(path); });
}

} // namespace

std::optional<std::uint8_t> PictureFilterIndexOfName(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "jpeg")
        return PictureFormatOf(2).FilterIndex;
    for (const PictureFormat& format : PictureFormats())
        if (format.DefaultExt == lower)
            return format.FilterIndex;
    return std::nullopt;
}

QuickSaveResult SaveWithoutDialog(TClipboard& clipboard, const QuickSaveRequest& request,
                                  std::string* written) {
    Destination destination(request);
    const Asked asked = destination.WhatIsAsked();
    const bool picture = clipboard.QueryFormat(CF_BITMAP);
    const bool text = clipboard.QueryFormat(CF_TEXT);
    const bool files = clipboard.QueryFormat(CF_HDROP);
    std::string path;
    if (picture && asked != Asked::TextOrFileList) {
        path = SavePicture(clipboard, request, destination);
    } else if (asked == Asked::Picture) {
        return picture || text || files ? QuickSaveResult::NoPicture
                                        : QuickSaveResult::NothingToSave;
    } else if (text) {
        LineList lines;
        lines.SplitText(clipboard.ReadText());
        path = SaveLines(lines, request, destination, "ClipboardText", SavedKind::Text);
    } else if (files) {
        LineList paths;
        std::optional<std::string> block;
        {
            ClipboardOpen open(clipboard);
            block = clipboard.ReadDataBlock(CF_HDROP);
        }
        if (block)
            ReadFileNames(*block, paths);
        path = SaveLines(paths, request, destination, "CopyFiles", SavedKind::Files);
    } else {
        return picture ? QuickSaveResult::NoTextOrFileList : QuickSaveResult::NothingToSave;
    }
    if (written != nullptr)
        *written = path;
    return QuickSaveResult::Written;
}

} // namespace sorvak
