#include "platform/filedialog/FileDialogTemplate.h"

#include "resources/DialogTemplates.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>

namespace sorvak::platform {

std::optional<TemplateLayout> LayoutOfTemplate(const std::string& name) {
    const resources::DialogTemplate* dialog = resources::FindDialogTemplate(name);
    const resources::DialogItemTemplate* placeholder =
        dialog != nullptr ? resources::FindPlaceholder(*dialog) : nullptr;
    if (placeholder == nullptr)
        return std::nullopt;
    const QFont font(QString::fromStdString(dialog->FontFace), dialog->FontPointSize);
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int charWidth = (alphabet / 26 + 1) / 2;
    const int charHeight = metrics.height();
    auto across = [&](int units) { return (units * charWidth + 2) / 4; };
    auto down = [&](int units) { return (units * charHeight + 4) / 8; };
    return TemplateLayout{QSize(across(dialog->Cx), down(dialog->Cy)),
                          QRect(across(placeholder->X), down(placeholder->Y),
                                across(placeholder->Cx), down(placeholder->Cy))};
}

TemplateWindow::TemplateWindow(QWidget* parent, QWidget* standard)
    : QWidget(parent), standard_(standard) {
    standard_->setParent(this);
}

void TemplateWindow::SetLayout(const TemplateLayout& layout) {
    layout_ = layout;
    updateGeometry();
}

QSize TemplateWindow::Extra() const {
    return {std::max(0, layout_.Size.width() - layout_.Placeholder.right() - 1),
            std::max(0, layout_.Size.height() - layout_.Placeholder.bottom() - 1)};
}

QRect TemplateWindow::ExtraArea() const {
    const QRect area = standard_->geometry();
    if (Extra().height() > 0)
        return QRect(0, area.bottom() + 1, width(), height() - area.bottom() - 1);
    if (Extra().width() > 0)
        return QRect(area.right() + 1, 0, width() - area.right() - 1, height());
    return {};
}

QSize TemplateWindow::sizeHint() const {
    const QSize lead(layout_.Placeholder.left(), layout_.Placeholder.top());
    return (standard_->sizeHint() + lead + Extra()).expandedTo(layout_.Size);
}

QSize TemplateWindow::minimumSizeHint() const {
    const QSize lead(layout_.Placeholder.left(), layout_.Placeholder.top());
    return standard_->minimumSizeHint() + lead + Extra();
}

void TemplateWindow::resizeEvent(QResizeEvent*) {
    const QRect before = standard_->geometry();
    const QSize extra = Extra();
    const QRect& p = layout_.Placeholder;
    standard_->setGeometry(p.left(), p.top(), width() - p.left() - extra.width(),
                           height() - p.top() - extra.height());
    const QRect after = standard_->geometry();
    if (before == after || before.isEmpty())
        return;
    // Panes of the strip below follow the standard controls down and take
    // the new width; panes of the column at the right follow them across and
    // take the new height.
    const int dx = after.width() - before.width();
    const int dy = after.height() - before.height();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child == standard_ || child->isWindow())
            continue;
        QRect g = child->geometry();
        if (extra.height() > 0 && g.top() >= before.bottom() + 1 - PaneOverlap) {
            g.translate(0, dy);
            g.setWidth(g.width() + dx);
        } else if (extra.width() > 0 && g.left() >= before.right() + 1) {
            g.translate(dx, 0);
            g.setHeight(g.height() + dy);
        } else {
            continue;
        }
        child->setGeometry(g);
    }
}

} // namespace sorvak::platform
