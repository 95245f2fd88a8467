#include "cli/CommandLine.h"

#include "cli/Texts.h"

#include <algorithm>
#include <cctype>

namespace sorvak::cli {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

CommandLine UsageError(std::string message) {
    CommandLine line;
    line.Action = Action::UsageError;
    line.Error = std::move(message);
    return line;
}

enum class Option {
    None,
    Help,
    Version,
    Folder,
    Output,
    Format,
    Watch,
    Name,
    Notify,
    AddThunarAction,
    NoClobber,
    Quiet,
    ListTypes,
};

struct Spelling {
    std::string_view Name;
    Option Which;
    bool TakesValue;
};

constexpr Spelling Spellings[] = {
    {"-h", Option::Help, false},
    {"--help", Option::Help, false},
    {"-v", Option::Version, false},
    {"--version", Option::Version, false},
    {"--folder", Option::Folder, true},
    {"-o", Option::Output, true},
    {"--output", Option::Output, true},
    {"--format", Option::Format, true},
    {"--watch", Option::Watch, true},
    {"--name", Option::Name, true},
    {"--notify", Option::Notify, false},
    {"--add-thunar-action", Option::AddThunarAction, false},
    {"--list-types", Option::ListTypes, false},
    {"-n", Option::NoClobber, false},
    {"--no-clobber", Option::NoClobber, false},
    {"-q", Option::Quiet, false},
    {"--quiet", Option::Quiet, false},
};

const Spelling* Find(std::string_view name) {
    for (const Spelling& spelling : Spellings)
        if (spelling.Name == name)
            return &spelling;
    return nullptr;
}

} // namespace

const std::vector<std::string>& PictureFormatNames() {
    static const std::vector<std::string> names{"bmp", "png", "jpg", "jpeg", "gif"};
    return names;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool help = false, version = false, thunar = false, listTypes = false;
    // The first mistake; help and version still answer over it.
    std::optional<CommandLine> error;
    const auto fail = [&error](std::string message) {
        if (!error)
            error = UsageError(std::move(message));
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--" || argument == "-" || argument.empty() || argument[0] != '-') {
            fail(Text(TextId::UnexpectedArgument, {argument}));
            continue;
        }
        // --name=value, and -oFILE as short options take their value.
        std::string name = argument;
        std::optional<std::string> value;
        if (argument.starts_with("--")) {
            if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
                name = argument.substr(0, equals);
                value = argument.substr(equals + 1);
            }
        } else if (argument.size() > 2) {
            name = argument.substr(0, 2);
            value = argument.substr(2);
        }
        const Spelling* spelling = Find(name);
        if (spelling == nullptr || (value && !spelling->TakesValue)) {
            fail(Text(TextId::UnknownOption, {argument}));
            continue;
        }
        if (spelling->TakesValue && !value) {
            if (i + 1 == arguments.size()) {
                fail(Text(TextId::MissingValue, {name}));
                continue;
            }
            value = arguments[++i];
        }
        std::optional<std::string>* slot = nullptr;
        switch (spelling->Which) {
        case Option::Help:
            help = true;
            break;
        case Option::Version:
            version = true;
            break;
        case Option::AddThunarAction:
            thunar = true;
            break;
        case Option::ListTypes:
            listTypes = true;
            break;
        case Option::NoClobber:
            line.NoClobber = true;
            break;
        case Option::Quiet:
            line.Quiet = true;
            break;
        case Option::Folder:
            slot = &line.Folder;
            break;
        case Option::Output:
            slot = &line.Output;
            break;
        case Option::Format:
            slot = &line.Format;
            break;
        case Option::Watch:
            slot = &line.Watch;
            break;
        case Option::Name:
            slot = &line.NameTemplate;
            break;
        case Option::Notify:
            line.Notify = true;
            break;
        case Option::None:
            break;
        }
        if (slot != nullptr) {
            if (*slot)
                fail(Text(TextId::GivenTwice, {name}));
            else if (value->empty())
                fail(Text(TextId::MissingValue, {name}));
            else
                *slot = *value;
        }
    }
    // Help and version answer whatever else was given, a mistake included.
    if (help) {
        line.Action = Action::Help;
        return line;
    }
    if (version) {
        line.Action = Action::Version;
        return line;
    }
    if (error) {
        error->Quiet = line.Quiet;
        return *error;
    }
    if (line.Format) {
        const std::string format = Lower(*line.Format);
        const auto& names = PictureFormatNames();
        if (std::find(names.begin(), names.end(), format) == names.end())
            return UsageError(Text(TextId::UnknownFormat, {*line.Format}));
        line.Format = format;
        if (!line.Output && !line.Watch)
            return UsageError(Text(TextId::FormatWithoutOutput));
    }
    if (line.Folder && line.Output)
        return UsageError(Text(TextId::FolderWithOutput));
    if (line.Watch && (line.Output || line.Folder || line.NoClobber))
        return UsageError(Text(TextId::WatchWithOthers));
    if (line.NameTemplate && !line.Output && !line.Watch)
        return UsageError(Text(TextId::NeedsOutputOrWatch, {"--name"}));
    if (line.Notify && !line.Output && !line.Watch)
        return UsageError(Text(TextId::NeedsOutputOrWatch, {"--notify"}));
    if (thunar) {
        if (line.Folder || line.Output || line.Watch)
            return UsageError(Text(TextId::UnexpectedArgument, {"--add-thunar-action"}));
        line.Action = Action::AddThunarAction;
    }
    if (listTypes) {
        if (thunar || line.Folder || line.Output || line.Watch)
            return UsageError(Text(TextId::UnexpectedArgument, {"--list-types"}));
        line.Action = Action::ListTypes;
    }
    return line;
}

} // namespace sorvak::cli
