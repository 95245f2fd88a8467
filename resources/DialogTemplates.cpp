#include "resources/DialogTemplates.h"

namespace sorvak::resources {

namespace {

// WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | DS_CONTROL | DS_3DLOOK | DS_SETFONT
constexpr std::uint32_t ChildDialogStyle = 0x54000444;
// WS_CHILD | WS_GROUP
constexpr std::uint32_t PlaceholderStyle = 0x40020000;
constexpr std::uint16_t StaticClass = 0x0082;

DialogTemplate ChildTemplate(int cx, int cy, int placeholderCx, int placeholderCy) {
    return DialogTemplate{
        ChildDialogStyle,
        0,
        0,
        0,
        cx,
        cy,
        "",
        8,
        "MS Sans Serif",
        {DialogItemTemplate{StaticClass, StandardControlsPlaceholder, PlaceholderStyle, 0, 0, 0,
                            placeholderCx, placeholderCy, ""}}};
}

struct Named {
    const char* name;
    DialogTemplate dialog;
};

const std::vector<Named>& Templates() {
    static const std::vector<Named> templates = {
        // A strip 80 units tall below the standard controls (text preview).
        {"ENHDLG1", ChildTemplate(200, 100, 200, 20)},
        // A column 112 units wide at their right (picture pane).
        {"DLGTEMPLATE", ChildTemplate(316, 76, 204, 76)},
    };
    return templates;
}

} // namespace

const DialogTemplate* FindDialogTemplate(const std::string& name) {
    for (const Named& t : Templates())
        if (name == t.name)
            return &t.dialog;
    return nullptr;
}

const DialogItemTemplate* FindPlaceholder(const DialogTemplate& dialog) {
    for (const DialogItemTemplate& item : dialog.Items)
        if (item.Id == StandardControlsPlaceholder)
            return &item;
    return nullptr;
}

} // namespace sorvak::resources
