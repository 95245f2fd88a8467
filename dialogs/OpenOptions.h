#pragma once
// Options of the file dialogs and the request flag of each.
#include <array>
#include <cstdint>
#include <initializer_list>

namespace sorvak {

enum class TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
    ofDontAddToRecent,
    ofForceShowHidden,
};

enum class TOpenOptionEx { ofExNoPlacesBar };

// Flag of each option, by ordinal.
inline constexpr std::array<std::uint32_t, 22> OpenOptionFlags = {
    0x1,     0x2,      0x4,      0x8,      0x10,      0x100,      0x200,   0x400,
    0x800,   0x1000,   0x2000,   0x4000,   0x8000,    0x10000,    0x20000, 0x40000,
    0x80000, 0x100000, 0x400000, 0x800000, 0x2000000, 0x10000000,
};

constexpr std::uint32_t OpenOptionFlag(TOpenOption option) {
    return OpenOptionFlags[static_cast<std::size_t>(option)];
}

// A set of enumeration members, one bit per ordinal.
template <typename E> class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> members) {
        for (E m : members)
            Include(m);
    }
    constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
    constexpr void Include(E m) { bits_ |= Bit(m); }
    constexpr void Exclude(E m) { bits_ &= ~Bit(m); }
    constexpr void Set(E m, bool on) { on ? Include(m) : Exclude(m); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    friend constexpr bool operator==(EnumSet, EnumSet) = default;

private:
    static constexpr std::uint32_t Bit(E m) { return 1u << static_cast<unsigned>(m); }
    std::uint32_t bits_ = 0;
};

using TOpenOptions = EnumSet<TOpenOption>;
using TOpenOptionsEx = EnumSet<TOpenOptionEx>;

// The request flags of a set of options.
constexpr std::uint32_t OpenOptionsFlags(TOpenOptions options) {
    std::uint32_t flags = 0;
    for (std::size_t i = 0; i < OpenOptionFlags.size(); ++i)
        if (options.Contains(static_cast<TOpenOption>(i)))
            flags |= OpenOptionFlags[i];
    return flags;
}

} // namespace sorvak
