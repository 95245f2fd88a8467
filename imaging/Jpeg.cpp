#include "imaging/Jpeg.h"

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <string>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace sorvak {

TJPEGDefaults JPEGDefaults;

namespace {

constexpr std::size_t BlockSize = 4096;
// The library's message code for a destination that cannot take the data.
constexpr int ErrFileWrite = 37;

struct TErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    int Code = 0;
    bool OutOfMemory = false;
    std::exception_ptr HandlerError; // raised by the progress handler
};

struct TProgressHook {
    jpeg_progress_mgr Pub;
    // Set only when someone listens.
    std::function<void(int percent)> Running;
    std::chrono::steady_clock::time_point Last;
    int LastPercent = -1;
};

void ReportProgress(j_common_ptr cinfo) {
    auto* hook = reinterpret_cast<TProgressHook*>(cinfo->progress);
    if (!hook->Running)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - hook->Last < std::chrono::milliseconds(500))
        return;
    const jpeg_progress_mgr& p = hook->Pub;
    const long total = p.total_passes > 0 ? p.total_passes : 1;
    const long limit = p.pass_limit > 0 ? p.pass_limit : 1;
    const int percent =
        static_cast<int>((p.completed_passes * 100L + p.pass_counter * 100L / limit) / total);
    if (percent == hook->LastPercent)
        return;
    hook->Last = now;
    hook->LastPercent = percent;
    bool failed = false;
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    try {
        hook->Running(percent);
    } catch (...) {
        err->HandlerError = std::current_exception();
        failed = true;
    }
    // Leave the library by its own error path, never by unwinding through it.
    if (failed)
        cinfo->err->error_exit(cinfo);
}

// Library errors leave the library by longjmp back to Compress, which raises
// EJPEG from C++ code; an exception must not unwind through the C library.
void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    err->Code = cinfo->err->msg_code;
    std::longjmp(err->Jump, 1);
}
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}
void ResetErrorManager(j_common_ptr cinfo) {
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

// Appends each full 4096-byte block, and the last partial one, to the data.
struct TMemoryDestination {
    jpeg_destination_mgr Pub;
    std::vector<std::uint8_t>* Target;
    JOCTET Block[BlockSize];
};

bool Append(j_compress_ptr cinfo, std::size_t count) {
    auto* dest = reinterpret_cast<TMemoryDestination*>(cinfo->dest);
    bool outOfMemory = false;
    try {
        dest->Target->insert(dest->Target->end(), dest->Block, dest->Block + count);
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (...) {
        cinfo->err->msg_code = ErrFileWrite;
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
    if (outOfMemory) {
        reinterpret_cast<TErrorManager*>(cinfo->err)->OutOfMemory = true;
        cinfo->err->msg_code = ErrFileWrite;
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
    return true;
}

void InitDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TMemoryDestination*>(cinfo->dest);
    dest->Pub.next_output_byte = dest->Block;
    dest->Pub.free_in_buffer = BlockSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TMemoryDestination*>(cinfo->dest);
    Append(cinfo, BlockSize);
    dest->Pub.next_output_byte = dest->Block;
    dest->Pub.free_in_buffer = BlockSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<TMemoryDestination*>(cinfo->dest);
    Append(cinfo, BlockSize - dest->Pub.free_in_buffer);
}

} // namespace

EJPEG::EJPEG(int code) : Exception("JPEG エラー #" + std::to_string(code)), FCode(code) {}

TJPEGImage::TJPEGImage()
    : QualityPercent(JPEGDefaults.CompressionQuality), GrayOutput(JPEGDefaults.Grayscale),
      ProgressiveScans(JPEGDefaults.ProgressiveEncoding), FData(std::make_shared<TJPEGData>()) {}

void TJPEGImage::AssignFrom(const TBitmap& source) {
    FData = std::make_shared<TJPEGData>();
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->AssignFrom(source);
    FBitmap = std::move(bitmap);
}

// Everything the library touches lives here, outside the frame that calls
// setjmp, so nothing local is changed between setjmp and a longjmp.
struct TCompressState {
    jpeg_compress_struct Info{};
    TErrorManager Err{};
    TProgressHook Progress{};
    TMemoryDestination Dest{};
    std::vector<std::uint8_t> Row;
    TBitmap Working;
    ~TCompressState() { jpeg_destroy(reinterpret_cast<j_common_ptr>(&Info)); }
};

void TJPEGImage::Compress() {
    const auto state = std::make_unique<TCompressState>();
    jpeg_compress_struct& cinfo = state->Info;
    TErrorManager& err = state->Err;

    jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    err.Pub.emit_message = EmitMessage;
    err.Pub.output_message = OutputMessage;
    err.Pub.format_message = FormatMessage;
    err.Pub.reset_error_mgr = ResetErrorManager;
    cinfo.err = &err.Pub;

    Progress(TProgressStage::psStarting, 0);
    if (setjmp(err.Jump) != 0) {
        // Back from a library error: the data stays empty.
        FData->Data.clear();
        Progress(TProgressStage::psEnding, 0);
        if (err.HandlerError)
            std::rethrow_exception(err.HandlerError);
        if (err.OutOfMemory)
            throw Exception("メモリストリームの拡大中にメモリが足りなくなりました");
        throw EJPEG(err.Code);
    }

    jpeg_CreateCompress(&cinfo, 62, sizeof(jpeg_compress_struct));
    state->Progress.Pub.progress_monitor = ReportProgress;
    if (OnProgress || OnWriteProgress)
        state->Progress.Running = [this](int percent) {
            Progress(TProgressStage::psRunning, percent);
        };
    state->Progress.Last = std::chrono::steady_clock::now();
    cinfo.progress = &state->Progress.Pub;

    if (!FData->Data.empty())
        FData = std::make_shared<TJPEGData>();
    TMemoryDestination& dest = state->Dest;
    dest.Pub.init_destination = InitDestination;
    dest.Pub.empty_output_buffer = EmptyOutputBuffer;
    dest.Pub.term_destination = TermDestination;
    dest.Target = &FData->Data;
    cinfo.dest = &dest.Pub;

    if (!FBitmap || FBitmap->Width() == 0 || FBitmap->Height() == 0 || FBitmap->Empty()) {
        Progress(TProgressStage::psEnding, 100);
        return;
    }

    cinfo.image_width = static_cast<JDIMENSION>(FBitmap->Width());
    cinfo.image_height = static_cast<JDIMENSION>(FBitmap->Height());
    FData->Width = FBitmap->Width();
    FData->Height = FBitmap->Height();
    // The rows go in blue, green, red per pixel, the order the picture holds
    // them, through the library's matching input space: no per-pixel swap.
    // The working bitmap shares the picture, so the clipboard bitmap is left
    // unchanged; 32-bit rows are passed in place (the library skips the fourth
    // byte), other depths are read at 24 bits one row at a time, so no second
    // full-size copy of the picture is made.
    TBitmap& working = state->Working;
    working.AssignFrom(*FBitmap);
    const bool inPlace = working.Depth() == 32;
    cinfo.input_components = inPlace ? 4 : 3;
    cinfo.in_color_space = inPlace ? JCS_EXT_BGRX : JCS_EXT_BGR;
    if (!inPlace)
        state->Row.resize(TBitmap::RowStride(working.Width(), 24));

    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, QualityPercent, TRUE);
    if (GrayOutput) {
        FData->Grayscale = true;
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    }
    if (ProgressiveScans)
        jpeg_simple_progression(&cinfo);
    // libjpeg-turbo defaults to the integer DCT; the file is defined by the
    // floating-point one.
    cinfo.dct_method = JDCT_FLOAT;

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto y = static_cast<std::int32_t>(cinfo.next_scanline);
        JSAMPROW rows[1];
        if (inPlace) {
            rows[0] = const_cast<JSAMPROW>(working.ScanLine(y));
        } else {
            working.ReadRow(y, 24, state->Row.data());
            rows[0] = state->Row.data();
        }
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    Progress(TProgressStage::psEnding, 100);
}

void TJPEGImage::Progress(TProgressStage stage, int percent) {
    if (OnProgress)
        OnProgress(stage, percent);
    // The whole write starts before the compression and ends after the
    // bytes are written, so only the compression's own percentages go on.
    if (stage == TProgressStage::psRunning)
        ReportWriteProgress(std::min(percent, 99));
}

void TJPEGImage::WriteToStream(TStream& stream) {
    ReportWriteProgress(0);
    if (FData->Data.empty())
        Compress();
    stream.WriteBuffer(FData->Data.data(), FData->Data.size());
    ReportWriteProgress(100);
}

} // namespace sorvak
