#pragma once
// What the picture classes (TBitmap, TPNGObject, TJPEGImage, TGIFImage) have
// in common: take over a bitmap, write their file format to a stream or a
// file, and report how far a write has come.
#include <functional>
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
    void WriteToFile(const FilePath& path);

    // How far the write has come, on one scale for every format: the
    // percentage done, rising from 0, with 100 only once the picture is
    // written. A format that converts the picture when it takes it over
    // (GIF) starts the scale in AssignFrom. A failed write reports no more;
    // its exception says why. Given beside the writers' own notices.
    std::function<void(int percent)> OnWriteProgress;

protected:
    void ReportWriteProgress(int percent) const {
        if (OnWriteProgress)
            OnWriteProgress(percent);
    }

    // Raises when the picture cannot be written at all; called by WriteToFile
    // before the file is created, so a refused picture leaves no file behind.
    virtual void CheckWritable() const {}
};

} // namespace sorvak
