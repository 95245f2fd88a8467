#pragma once
// Pictures of files for the picture pane: read without waiting, decoded from
// memory in the format the file's extension names.
#include "dialogs/PicturePane.h"

#include <QByteArray>
#include <QImage>

#include <optional>
#include <string>

namespace sorvak::widgets {

// Larger files are not read: the pane would not show them anyway.
inline constexpr qint64 PictureFileLimit = 128 * 1024 * 1024;

// The bytes of a regular file of at most `limit` bytes; none for anything
// else (folder, FIFO, device, missing, unreadable, too large). Never blocks.
std::optional<QByteArray> ReadRegularFile(const std::string& fileName,
                                          qint64 limit = PictureFileLimit);

// The picture in that format alone, within Qt's allocation limit; a null
// image when the bytes are not one, or for the Windows metafiles, which are
// not read.
QImage DecodePicture(const QByteArray& bytes, TPictureFormat format);

} // namespace sorvak::widgets
