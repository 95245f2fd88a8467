#pragma once
// One picture offer decoded, in step with the read: a stopped transfer stops
// the decoder at its next read of the bytes.
#include <QImage>

#include <string>

namespace sorvak::platform {

class SelectionSource;

enum class PictureDecoded { None, Decoded, TooLarge };

// Decoded: `image` holds the picture. TooLarge: the header is sound but memory
// cannot hold the picture. None: not a picture Qt reads. Throws
// SelectionStopped once `source` is stopped.
PictureDecoded DecodePicture(const std::string& bytes, QImage& image,
                             const SelectionSource& source);

} // namespace sorvak::platform
