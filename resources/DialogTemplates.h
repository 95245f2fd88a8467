#pragma once
// The child dialog templates laid out around the system's standard controls.
// Positions and sizes are in dialog units of the template's font.
#include <cstdint>
#include <string>
#include <vector>

namespace sorvak::resources {

struct DialogItemTemplate {
    std::uint16_t ClassAtom; // 0x0082: Static
    std::uint16_t Id;
    std::uint32_t Style;
    std::uint32_t ExStyle;
    int X, Y, Cx, Cy;
    std::string Text;
};

struct DialogTemplate {
    std::uint32_t Style;
    std::uint32_t ExStyle;
    int X, Y, Cx, Cy;
    std::string Caption;
    int FontPointSize;
    std::string FontFace;
    std::vector<DialogItemTemplate> Items;
};

// The item whose rectangle the standard controls take.
constexpr std::uint16_t StandardControlsPlaceholder = 1119;

// The template of that name, or none.
const DialogTemplate* FindDialogTemplate(const std::string& name);
// The placeholder item of a template, or none.
const DialogItemTemplate* FindPlaceholder(const DialogTemplate& dialog);

} // namespace sorvak::resources
