#pragma once
// The octree quantizer of the GIF colour reduction: a palette made from the
// picture's own colours.
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/GifPalettes.h"

namespace sorvak {

// Octree colour quantizer: at most maxColors representative colours.
class TColorQuantizer {
public:
    explicit TColorQuantizer(int maxColors, int colorBits = 8);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;
    void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    std::vector<TGIFColor> Palette() const;

private:
    struct Node;
    void Reduce();

    std::unique_ptr<Node> FRoot;
    std::vector<Node*> FReducible[8];
    int FLeaves = 0;
    int FMaxColors;
    int FColorBits;
};

} // namespace sorvak
