#pragma once
// The window made from a child dialog template around the standard controls.
#include <QRect>
#include <QSize>
#include <QWidget>

#include <optional>
#include <string>

namespace sorvak::platform {

// Room the standard controls keep free at their lower edge above a strip:
// the panes of the text dialogs start this far above it.
constexpr int PaneOverlap = 10;

struct TemplateLayout {
    QSize Size;        // the whole template, in pixels
    QRect Placeholder; // the standard controls' item, in pixels
};

// The template of that name in pixels: dialog units of its font, a quarter
// of the average character width across and an eighth of the character
// height down. None for an unknown template or one without a placeholder.
std::optional<TemplateLayout> LayoutOfTemplate(const std::string& name);

// The placeholder takes the standard controls and grows with the window; the
// rest of the template (a strip below or a column at the right) keeps its
// size, and the panes put there follow the standard controls' edge.
class TemplateWindow : public QWidget {
public:
    TemplateWindow(QWidget* parent, QWidget* standard);

    void SetLayout(const TemplateLayout& layout);
    // The template's size beyond the placeholder.
    QSize Extra() const;
    // The rectangle outside the placeholder, in this window's coordinates.
    QRect ExtraArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* standard_;
    TemplateLayout layout_;
};

} // namespace sorvak::platform
