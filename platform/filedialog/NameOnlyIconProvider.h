#pragma once
// The file dialog's icon and type provider that never opens a file.
#include <QFileIconProvider>

namespace sorvak::platform {

// Qt's provider reads a file's first bytes to name its type, on the GUI
// thread: a file such as /proc/kmsg then blocks the dialog for ever
// (QTBUG-110416). Types and icons here come from the name alone.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

} // namespace sorvak::platform
