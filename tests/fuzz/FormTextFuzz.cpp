// The form-file step of the text preview, and the converter on its own, over
// any bytes: no crash, no hang, output bounded by the input, and the preview
// always the start of the whole text, failing exactly when the whole text does.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formtext/FormPreview.h"

namespace {

// Each input byte writes at most one line at the deepest indent.
constexpr std::size_t MaxTextPerByte = 2 * sorvak::formtext::MaxNesting + 56;

// A failure as its message; names read from the input may hold NUL bytes,
// so "failed" is kept apart from the text.
struct Outcome {
    bool failed = false;
    std::string message;
    bool operator==(const Outcome&) const = default;
};

std::string Whole(std::string_view file, Outcome& outcome) {
    std::string text;
    try {
        sorvak::StringFormTextSink sink(text);
        sorvak::ConvertFormFile(file, sink);
    } catch (const sorvak::EFormReadError& e) {
        outcome = {true, e.what()};
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);

    Outcome previewOutcome;
    std::string preview;
    try {
        preview = sorvak::FormFilePreview(file);
    } catch (const sorvak::EFormReadError& e) {
        previewOutcome = {true, e.what()};
    }
    Outcome wholeOutcome;
    const std::string whole = Whole(file, wholeOutcome);

    if (!(previewOutcome == wholeOutcome))
        std::abort();
    if (!previewOutcome.failed && preview != whole.substr(0, sorvak::PreviewLimit))
        std::abort();
    if (whole.size() > MaxTextPerByte * size + 1024)
        std::abort();

    // The converter alone, for inputs that do not start with the header.
    std::string text;
    try {
        sorvak::FormBinaryToText(file, text);
    } catch (const sorvak::EFormReadError&) {
    }
    if (text.size() > MaxTextPerByte * size + 1024)
        std::abort();
    return 0;
}
