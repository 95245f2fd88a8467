#pragma once
// The controls of the text dialogs' preview strip, as the dialog logic drives
// them.

namespace sorvak {

class TextPreviewPane {
public:
    virtual ~TextPreviewPane() = default;
};

} // namespace sorvak
