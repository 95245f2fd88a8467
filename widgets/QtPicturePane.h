#pragma once
// The picture dialogs' pane as the dialog logic drives it, on a PicturePanel.
#include "dialogs/PicturePane.h"
#include "widgets/PicturePanel.h"

#include <QPointer>

namespace sorvak::widgets {

// PicturePanel belongs to the dialog window; the pane deletes it unless the
// window went first.
class QtPicturePane : public PicturePane {
public:
    explicit QtPicturePane(QWidget* host);
    ~QtPicturePane() override;

    PicturePanel* Panel() const { return panel_; }

    TRect PanelBounds() const override;
    void SetPanelBounds(const TRect& bounds) override;
    TRect PaintPanelBounds() const override;
    TRect PreviewButtonBounds() const override;
    void SetPreviewButtonBounds(const TRect& bounds) override;
    std::string LabelText() const override;
    void SetLabelText(const std::string& text) override;
    bool PreviewEnabled() const override;
    void SetPreviewEnabled(bool enabled) override;
    std::string PaintCaption() const override;
    void SetPaintCaption(const std::string& text) override;
    std::optional<TPictureSize> LoadPicture(const std::string& fileName,
                                            TPictureFormat format) override;
    void ClearPicture() override;
    void ShowPanel() override;
    void ShowPreview() override;
    void HideHints() override;

private:
    QPointer<PicturePanel> panel_;
};

} // namespace sorvak::widgets
