#pragma once
// Driving the system file dialog from a widget test: finding the running
// dialog, waiting until it is ready, and finding a file in its list.
#include "platform/filedialog/SystemFileDialog.h"
#include "tests/support/OffscreenQt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QModelIndex>
#include <QString>

#include <functional>

namespace sorvak::test {

inline platform::SystemFileDialog* RunningDialog() {
    return qobject_cast<platform::SystemFileDialog*>(QApplication::activeModalWidget());
}

// Runs steps on the running dialog once it has been initialised.
inline void WhenShown(std::function<void(platform::SystemFileDialog&)> steps) {
    When([] { return RunningDialog() != nullptr && RunningDialog()->IsInitDone(); },
         [=] { steps(*RunningDialog()); });
}

// The row of the named file in the list; invalid while the list (filled in
// the background) does not show it.
inline QModelIndex ListedIndex(const QAbstractItemView& view, const QString& name) {
    const QModelIndex root = view.rootIndex();
    for (int row = 0; row < view.model()->rowCount(root); ++row)
        if (view.model()->index(row, 0, root).data().toString() == name)
            return view.model()->index(row, 0, root);
    return QModelIndex();
}

} // namespace sorvak::test
