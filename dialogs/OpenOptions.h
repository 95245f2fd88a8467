#pragma once
// Options of the file dialogs and the request flag of each.
#include <array>
#include <cstdint>
#include <initializer_list>

#include "dialogs/OpenFileNameRequest.h"

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
// ofOldStyleDialog shares its bit with the explorer flag; the run step sorts
// the two out.
inline constexpr std::array<std::uint32_t, 22> OpenOptionFlags = {
    ofn::ReadOnly,
    ofn::OverwritePrompt,
    ofn::HideReadOnly,
    ofn::NoChangeDir,
    ofn::ShowHelp,
    ofn::NoValidate,
    ofn::AllowMultiSelect,
    ofn::ExtensionDifferent,
    ofn::PathMustExist,
    ofn::FileMustExist,
    ofn::CreatePrompt,
    ofn::ShareAware,
    ofn::NoReadOnlyReturn,
    ofn::NoTestFileCreate,
    ofn::NoNetworkButton,
    ofn::NoLongNames,
    ofn::Explorer,
    ofn::NoDereferenceLinks,
    ofn::EnableIncludeNotify,
    ofn::EnableSizing,
    ofn::DontAddToRecent,
    ofn::ForceShowHidden,
};

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
