#pragma once
// The controls of the picture dialogs' pane, as the dialog logic drives them.

namespace sorvak {

class PicturePane {
public:
    virtual ~PicturePane() = default;
};

} // namespace sorvak
