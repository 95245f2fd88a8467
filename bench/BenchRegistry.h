#pragma once
// The benchmark's writers and their references. Each writer registers itself
// from its own source file, bench/<Name>Bench.cpp, which a bench/<Name>Bench.cmake
// adds to the program (target_sources(sorvak-bench PRIVATE ...), plus
// target_link_libraries for the libraries its references need):
//
//     static const sorvak::bench::WriterRegistration registration({
//         "gif", "gif", [] { return std::make_unique<sorvak::TGIFImage>(); },
//         {{"giflib", [](const sorvak::bench::BenchPicture& p) {
//               /* untimed preparation from p */
//               return [=] { /* the timed reference run */ };
//           }}}});
//
// The program's own run is the same for every writer: create the object,
// AssignFrom the clipboard bitmap, WriteToFile, which flushes the file and
// its folder; every reference that writes a file ends with FlushDurably.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Bitmap.h"
#include "imaging/Graphic.h"

namespace sorvak::bench {

// One input picture, made into a clipboard bitmap as the program makes it
// (32-bit device pixels, LoadClipboardBitmap).
struct BenchPicture {
    std::string Name;
    const TBitmap* Bitmap = nullptr;
    // A folder for files the references write; emptied by the bench.
    std::string ScratchDir;
    int Width() const { return Bitmap->Width(); }
    int Height() const { return Bitmap->Height(); }
    // Row y (0 = top) of the device pixels: blue, green, red, 0 per pixel.
    const std::uint8_t* Row(int y) const {
        const std::size_t stride = TBitmap::RowStride(Width(), 32);
        return Bitmap->Bits().data() + stride * static_cast<std::size_t>(Height() - 1 - y);
    }
};

using TimedRun = std::function<void()>;

struct BenchReference {
    std::string Name;
    // Untimed preparation; returns the run that is timed.
    std::function<TimedRun(const BenchPicture&)> Prepare;
};

struct BenchWriter {
    std::string Name;      // "png"; also what --only takes
    std::string Extension; // of the files --out writes
    std::function<std::unique_ptr<TGraphic>()> Create;
    std::vector<BenchReference> References;
};

// What every file the program saves gets once written, so that a reference
// pays for it as the writer does: the file's data and its folder's entry
// flushed to the disk.
void FlushDurably(const std::string& path);

void RegisterWriter(BenchWriter writer);
const std::vector<BenchWriter>& Writers();

struct WriterRegistration {
    explicit WriterRegistration(BenchWriter writer) { RegisterWriter(std::move(writer)); }
};

} // namespace sorvak::bench
