#pragma once
// The controls of the text dialogs' preview strip, as the dialog logic drives
// them: a borderless panel made with the pane, and on it a check box and a
// read-only multi-line preview control. Bounds are in pixels, the panel's in
// the dialog window's client coordinates, the others in the panel's.
#include "dialogs/Geometry.h"

#include <functional>
#include <string>
#include <string_view>

namespace sorvak {

class TextPreviewPane {
public:
    virtual ~TextPreviewPane() = default;

    virtual void SetPanelBounds(const TRect& bounds) = 0;
    virtual TRect PanelClientRect() const = 0;

    // The check box; caption in UTF-8, "&" marking the access key.
    virtual void CreateCheckBox(const TRect& bounds, const std::string& caption, bool checked) = 0;
    virtual void DestroyCheckBox() = 0;
    virtual bool HasCheckBox() const = 0;
    virtual bool Checked() const = 0;
    // Raises OnCheckClick when the state changes.
    virtual void SetChecked(bool checked) = 0;
    // Raised after every change of the check box's state, by the user or by
    // SetChecked.
    std::function<void()> OnCheckClick;

    // The preview control: read-only, word wrap, in a monospaced font of the
    // face asked for (UTF-8) or the system's fixed-pitch font without it.
    virtual void CreatePreview(const TRect& bounds, const std::string& fontFace) = 0;
    virtual void DestroyPreview() = 0;
    virtual bool HasPreview() const = 0;
    virtual TRect PreviewBounds() const = 0;
    virtual void SetPreviewBounds(const TRect& bounds) = 0;
    // Text in the ANSI code page, line breaks as CR LF.
    virtual void SetPreviewText(std::string_view ansi) = 0;
    virtual void ClearPreview() = 0;

    // Width of the size grip that a sizeable dialog shows in its lower right
    // corner, which the preview keeps clear of.
    virtual int SizeGripWidth() const = 0;
};

} // namespace sorvak
