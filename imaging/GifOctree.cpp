#include "imaging/GifOctree.h"

#include <algorithm>

namespace sorvak {

struct TColorQuantizer::Node {
    bool Leaf = false;
    std::uint64_t Count = 0, Red = 0, Green = 0, Blue = 0;
    std::unique_ptr<Node> Child[8];
};

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : FRoot(std::make_unique<Node>()), FMaxColors(std::max(maxColors, 1)),
      FColorBits(std::clamp(colorBits, 1, 8)) {
    FReducible[0].push_back(FRoot.get());
}

TColorQuantizer::~TColorQuantizer() = default;

void TColorQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    Node* node = FRoot.get();
    for (int level = 0; !node->Leaf; ++level) {
        const int shift = 7 - level;
        const int i =
            ((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 | ((blue >> shift) & 1);
        if (!node->Child[i]) {
            node->Child[i] = std::make_unique<Node>();
            if (level + 1 == FColorBits) {
                node->Child[i]->Leaf = true;
                ++FLeaves;
            } else {
                FReducible[level + 1].push_back(node->Child[i].get());
            }
        }
        node = node->Child[i].get();
    }
    node->Count += 1;
    node->Red += red;
    node->Green += green;
    node->Blue += blue;
    while (FLeaves > FMaxColors)
        Reduce();
}

void TColorQuantizer::Reduce() {
    // Merge the deepest reducible node's children into it; deeper levels are
    // emptied first, so every child is a leaf by then.
    int level = 7;
    while (level > 0 && FReducible[level].empty())
        --level;
    if (FReducible[level].empty())
        return;
    Node* node = FReducible[level].back();
    FReducible[level].pop_back();
    int children = 0;
    for (auto& child : node->Child) {
        if (!child)
            continue;
        node->Count += child->Count;
        node->Red += child->Red;
        node->Green += child->Green;
        node->Blue += child->Blue;
        child.reset();
        ++children;
    }
    node->Leaf = true;
    FLeaves -= children - 1;
}

std::vector<TGIFColor> TColorQuantizer::Palette() const {
    std::vector<TGIFColor> out;
    std::vector<const Node*> stack{FRoot.get()};
    while (!stack.empty()) {
        const Node* node = stack.back();
        stack.pop_back();
        if (node->Leaf) {
            if (node->Count > 0)
                out.push_back({static_cast<std::uint8_t>(node->Red / node->Count),
                               static_cast<std::uint8_t>(node->Green / node->Count),
                               static_cast<std::uint8_t>(node->Blue / node->Count)});
            continue;
        }
        for (int i = 7; i >= 0; --i)
            if (node->Child[i])
                stack.push_back(node->Child[i].get());
    }
    return out;
}

} // namespace sorvak
