#pragma once
// What the picture classes (TBitmap, TPNGObject, TJPEGImage, TGIFImage) have
// in common: take over a bitmap, write their file format to a stream, and
// write it to a file.
#include <string>

#include "imaging/Stream.h"

namespace sorvak {

class TBitmap;

// Stages of the progress notices that the writers give.
enum class TProgressStage { psStarting, psRunning, psEnding };

class TGraphic {
public:
    virtual ~TGraphic() = default;
    // Takes over the picture of source (shared or converted; no reference to
    // source is kept beyond what the class documents).
    virtual void AssignFrom(const TBitmap& source) = 0;
    // Writes the class's file format at the stream's position.
    virtual void WriteToStream(TStream& stream) = 0;
    // Creates or replaces the file through WriteToStream, whole or not at
    // all: a failure part way leaves any old file as it was.
    void WriteToFile(const std::string& fileName);

protected:
    // Raises when the picture cannot be written at all; called by WriteToFile
    // before the file is created, so a refused picture leaves no file behind.
    virtual void CheckWritable() const {}
};

} // namespace sorvak
