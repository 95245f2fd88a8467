#pragma once
// The binary component stream of form description files, shown as its text
// form. Pure logic over byte buffers; the text preview calls it for binary
// form files.
#include <cstddef>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace sorvak {

// Any failure of the conversion; what() is the message text.
class EFormReadError : public Exception {
public:
    using Exception::Exception;
};

namespace formtext {

inline constexpr const char* SInvalidImage = SORVAK_TEXT("sorvak", "不正なイメージ リスト");
inline constexpr const char* SInvalidPropValue = SORVAK_TEXT("sorvak", "不正なプロパティの値です");
// Component name, ".", property name, type number.
inline constexpr const char* SPropertyException =
    SORVAK_TEXT("sorvak", "%s%s%s の読み込み中のエラー : %s");
inline constexpr const char* SReadError = SORVAK_TEXT("sorvak", "ストリームからの読み込みエラー");
inline constexpr const char* SNestingTooDeep =
    SORVAK_TEXT("sorvak", "フォーム記述の入れ子が深すぎます");

// Deepest nesting level the converter accepts. Real forms stay far below it;
// the bound keeps hostile streams from nesting without end, which would cost
// stack and indentation quadratic in the input size.
inline constexpr int MaxNesting = 100;

} // namespace formtext

// Receives the converted text in blocks of up to 4096 bytes.
class FormTextSink {
public:
    virtual ~FormTextSink() = default;
    virtual void Write(std::string_view block) = 0;
};

// Appends to a string, keeping at most `limit` bytes of everything written
// (the rest is dropped, so a preview holds no more than it shows).
class StringFormTextSink : public FormTextSink {
public:
    explicit StringFormTextSink(std::string& target, std::size_t limit = std::string::npos)
        : target_(target), limit_(limit) {}
    void Write(std::string_view block) override;

private:
    std::string& target_;
    std::size_t limit_;
    std::size_t kept_ = 0;
};

// Reads the signature "TPF0" and one component from input at `position`
// (advanced past what was read) and writes its text form to output.
// Throws EFormReadError on a wrong signature or a malformed stream.
void FormBinaryToText(std::string_view input, std::size_t& position, FormTextSink& output);

// The same over a whole buffer, appending the text to output.
void FormBinaryToText(std::string_view input, std::string& output);

} // namespace sorvak
