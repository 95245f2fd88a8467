#pragma once
// The controls of the picture dialogs' pane, as the dialog logic drives them.
// Texts are UTF-8; file names are in the ANSI code page.
#include "dialogs/Geometry.h"

#include <functional>
#include <optional>
#include <string>

namespace sorvak {

// The formats the pane reads; the metafiles are Windows' WMF and EMF.
enum class TPictureFormat { Bitmap, Icon, Metafile, EnhancedMetafile, Jpeg, Png, Gif };

struct TPictureSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

class PicturePane {
public:
    virtual ~PicturePane() = default;

    // PicturePanel, in the dialog window's client coordinates. Its children
    // (label at the top, PaintPanel filling the rest) follow at once.
    virtual TRect PanelBounds() const = 0;
    virtual void SetPanelBounds(const TRect& bounds) = 0;
    // PaintPanel and PreviewButton, in PicturePanel's coordinates.
    virtual TRect PaintPanelBounds() const = 0;
    virtual TRect PreviewButtonBounds() const = 0;
    virtual void SetPreviewButtonBounds(const TRect& bounds) = 0;

    virtual std::string LabelText() const = 0;
    virtual void SetLabelText(const std::string& text) = 0;
    virtual bool PreviewEnabled() const = 0;
    virtual void SetPreviewEnabled(bool enabled) = 0;
    // PaintPanel's caption, shown while no picture is.
    virtual std::string PaintCaption() const = 0;
    virtual void SetPaintCaption(const std::string& text) = 0;

    // Loads the picture of a file into PaintBox in the given format; its
    // size, or none (the picture is then cleared) when the file is not a
    // regular file or cannot be read or decoded. Never waits on the file.
    virtual std::optional<TPictureSize> LoadPicture(const std::string& fileName,
                                                    TPictureFormat format) = 0;
    virtual void ClearPicture() = 0;

    // Makes PicturePanel a visible child of the dialog window.
    virtual void ShowPanel() = 0;
    // Opens the preview window with a copy of the picture, modally.
    virtual void ShowPreview() = 0;
    // Hides any hint window of the application.
    virtual void HideHints() = 0;

    // Raised by a click on PreviewButton and a double-click on PaintBox.
    std::function<void()> OnPreviewClick;
};

} // namespace sorvak
