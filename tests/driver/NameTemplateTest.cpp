// Names from --name templates: the time's and the content's fields, and every
// template that cannot give one file name in the folder.
#include "driver/NameTemplate.h"

#include <gtest/gtest.h>

namespace sorvak {
namespace {

NameFields At(SavedKind kind, std::optional<int> width = {}, std::optional<int> height = {}) {
    NameFields fields;
    fields.LocalTime.tm_year = 2026 - 1900;
    fields.LocalTime.tm_mon = 11;
    fields.LocalTime.tm_mday = 11;
    fields.LocalTime.tm_hour = 9;
    fields.LocalTime.tm_min = 5;
    fields.LocalTime.tm_sec = 7;
    fields.LocalTime.tm_wday = 5;
    fields.LocalTime.tm_yday = 344;
    fields.Kind = kind;
    fields.Width = width;
    fields.Height = height;
    return fields;
}

struct Expansion {
    const char* pattern;
    SavedKind kind;
    const char* name;
};

TEST(NameTemplate, FillsTimeAndContentFields) {
    const Expansion cases[] = {
        {"%Y-%m-%d %H.%M.%S", SavedKind::Picture, "2026-12-11 09.05.07"},
        {"%Y-%m-%d {width}x{height}", SavedKind::Picture, "2026-12-11 3840x2160"},
        {"{kind} %F", SavedKind::Picture, "picture 2026-12-11"},
        {"{kind}", SavedKind::Text, "text"},
        {"{kind}-{kind}", SavedKind::Files, "files-files"},
        // No size for text: the fields are empty, the rest stays.
        {"clip {width}x{height}", SavedKind::Text, "clip x"},
        {"100%% {kind}", SavedKind::Picture, "100% picture"},
        {"%-d.%-m. %_H", SavedKind::Picture, "11.12.  9"},
        {"a}b", SavedKind::Picture, "a}b"},
        {"Image（{width}×{height}）", SavedKind::Picture, "Image（3840×2160）"},
        {"...", SavedKind::Picture, "..."},
    };
    for (const Expansion& c : cases) {
        const NameFields fields =
            c.kind == SavedKind::Picture ? At(c.kind, 3840, 2160) : At(c.kind);
        EXPECT_EQ(ExpandNameTemplate(c.pattern, fields), c.name) << c.pattern;
    }
}

TEST(NameTemplate, RefusesWhatGivesNoSingleName) {
    const char* const refused[] = {
        "",        "%Y/%m", "{kind}/x", "%D", // a "/" made by strftime
        ".",       "..",    "{size}",   "{Width}", "{kind", "%", "abc%", "%Q", "%E", "%5",
        "{width}", // empty for text
    };
    for (const char* pattern : refused) {
        EXPECT_THROW(ExpandNameTemplate(pattern, At(SavedKind::Text)), ENameTemplate) << pattern;
    }
    EXPECT_THROW(ExpandNameTemplate(std::string_view("a\0b", 3), At(SavedKind::Text)),
                 ENameTemplate);
}

TEST(NameTemplate, TheCheckBeforeReadingRefusesOnlyWhatNoContentCanMend) {
    EXPECT_NO_THROW(CheckNameTemplate("{width}"));
    EXPECT_NO_THROW(CheckNameTemplate("%Y-%m-%d %H.%M.%S {kind}"));
    EXPECT_THROW(CheckNameTemplate("{what}"), ENameTemplate);
    EXPECT_THROW(CheckNameTemplate("%Y/%m"), ENameTemplate);
    EXPECT_THROW(CheckNameTemplate("x %"), ENameTemplate);

    try {
        CheckNameTemplate("{what}");
    } catch (const ENameTemplate& refused) {
        EXPECT_NE(std::string(refused.what()).find("{what}"), std::string::npos);
        ASSERT_NE(refused.Format(), nullptr);
    }
}

} // namespace
} // namespace sorvak
