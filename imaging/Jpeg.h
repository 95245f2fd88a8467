#pragma once
// JPEG export through libjpeg: the picture is compressed on the first write
// after AssignFrom and the finished byte stream is kept and copied out.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/Exception.h"
#include "imaging/Bitmap.h"
#include "imaging/Graphic.h"

namespace sorvak {

// A fatal library error: "JPEG エラー #<library message code>".
class EJPEG : public Exception {
public:
    explicit EJPEG(int code);
    int Code() const { return FCode; }

private:
    int FCode;
};

// The compressed picture, shared between JPEG objects.
class TJPEGData {
public:
    std::vector<std::uint8_t> Data; // empty until compressed
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Grayscale = false;
};

struct TJPEGDefaults {
    int CompressionQuality = 90;
    bool Grayscale = false;
    bool ProgressiveEncoding = false;
};
// What every new TJPEGImage starts from.
extern TJPEGDefaults JPEGDefaults;

// Stage and percentage done of one compression.
using TProgressEvent = std::function<void(TProgressStage stage, int percentDone)>;

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    // Keeps a bitmap sharing source's picture and forgets earlier compressed data.
    void AssignFrom(const TBitmap& source) override;
    // Compresses on first need, then writes the compressed bytes in one write.
    // An empty picture gives no bytes.
    void WriteToStream(TStream& stream) override;
    void Compress();
    const TJPEGData& Data() const { return *FData; }

    int QualityPercent;
    bool GrayOutput;
    bool ProgressiveScans;
    // A starting notice, at most one report every 500 ms with a changed
    // percentage while compressing, and an ending notice with 100 (0 when
    // compression failed). An exception it raises ends the compression. The
    // reports while compressing also go to OnWriteProgress.
    TProgressEvent OnProgress;

private:
    void Progress(TProgressStage stage, int percent);

    std::shared_ptr<TJPEGData> FData;
    std::unique_ptr<TBitmap> FBitmap;
};

} // namespace sorvak
