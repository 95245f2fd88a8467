#include "platform/filedialog/FileListColumns.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace sorvak::platform {

void FitListColumns(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr)
        return;
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

} // namespace sorvak::platform
