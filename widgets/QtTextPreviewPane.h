#pragma once
// The text dialogs' preview strip in Qt: a borderless panel holding the
// check box and a read-only, monospaced preview.
#include "dialogs/TextPreviewPane.h"

#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPointer>

namespace sorvak::widgets {

class QtTextPreviewPane : public TextPreviewPane {
public:
    // The panel is made at once, as a child of host.
    explicit QtTextPreviewPane(QWidget* host);
    ~QtTextPreviewPane() override;

    void SetPanelBounds(const TRect& bounds) override;
    TRect PanelClientRect() const override;

    void CreateCheckBox(const TRect& bounds, const std::string& caption, bool checked) override;
    void DestroyCheckBox() override;
    bool HasCheckBox() const override { return checkBox_ != nullptr; }
    bool Checked() const override;
    void SetChecked(bool checked) override;

    void CreatePreview(const TRect& bounds, const std::string& fontFace) override;
    void DestroyPreview() override;
    bool HasPreview() const override { return preview_ != nullptr; }
    TRect PreviewBounds() const override;
    void SetPreviewBounds(const TRect& bounds) override;
    void SetPreviewText(std::string_view ansi) override;
    void ClearPreview() override;

    int SizeGripWidth() const override;

    // For tests and the screenshot.
    QFrame* Panel() const { return panel_; }
    QCheckBox* CheckBox() const { return checkBox_; }
    QPlainTextEdit* PreviewControl() const { return preview_; }

private:
    void CheckToggled();

    QPointer<QFrame> panel_;
    QPointer<QCheckBox> checkBox_;
    QPointer<QPlainTextEdit> preview_;
};

} // namespace sorvak::widgets
