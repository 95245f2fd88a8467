// The options as a table: what each command line asks for, and the one-line
// message of each usage error.
#include "cli/CommandLine.h"
#include "cli/Texts.h"

#include <gtest/gtest.h>

using namespace sorvak::cli;

namespace {

struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::optional<std::string> folder, output, format;
    std::string error; // the whole message for a usage error
};

const Case Cases[] = {
    {{}, Action::Run, {}, {}, {}, ""},
    {{"--help"}, Action::Help, {}, {}, {}, ""},
    {{"-h"}, Action::Help, {}, {}, {}, ""},
    {{"--version"}, Action::Version, {}, {}, {}, ""},
    {{"-v"}, Action::Version, {}, {}, {}, ""},
    // Help wins over everything else, a wrong format included.
    {{"--format", "tiff", "--help"}, Action::Help, {}, {}, {}, ""},
    {{"-o", "x.png", "--version"}, Action::Version, {}, {}, {}, ""},
    {{"--bogus", "--help"}, Action::Help, {}, {}, {}, ""},
    {{"stray", "--version", "-o"}, Action::Version, {}, {}, {}, ""},
    {{"-o", "a", "-o", "b", "-h"}, Action::Help, {}, {}, {}, ""},
    {{"--folder", "/tmp"}, Action::Run, "/tmp", {}, {}, ""},
    {{"--folder=/a b"}, Action::Run, "/a b", {}, {}, ""},
    {{"--folder", "-o"}, Action::Run, "-o", {}, {}, ""},
    {{"-o", "shot.png"}, Action::Run, {}, "shot.png", {}, ""},
    {{"-oshot.png"}, Action::Run, {}, "shot.png", {}, ""},
    {{"--output", "-"}, Action::Run, {}, "-", {}, ""},
    {{"--output=-", "--format", "JPEG"}, Action::Run, {}, "-", "jpeg", ""},
    {{"--format=Gif", "-o", "out"}, Action::Run, {}, "out", "gif", ""},
    {{"--add-thunar-action"}, Action::AddThunarAction, {}, {}, {}, ""},
    {{"--list-types"}, Action::ListTypes, {}, {}, {}, ""},
    {{"--list-types", "-o", "a"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 余分な引数です: --list-types（--help を参照）"},
    // Usage errors.
    {{"--bogus"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 不明なオプションです: --bogus（--help を参照）"},
    {{"-x"}, Action::UsageError, {}, {}, {}, "sorvak: 不明なオプションです: -x（--help を参照）"},
    {{"--help=yes"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 不明なオプションです: --help=yes（--help を参照）"},
    {{"--out", "a"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 不明なオプションです: --out（--help を参照）"},
    {{"file.png"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 余分な引数です: file.png（--help を参照）"},
    {{"-"}, Action::UsageError, {}, {}, {}, "sorvak: 余分な引数です: -（--help を参照）"},
    {{"-o", "a", "b"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 余分な引数です: b（--help を参照）"},
    {{"--folder"}, Action::UsageError, {}, {}, {}, "sorvak: --folder には値が必要です"},
    {{"-o"}, Action::UsageError, {}, {}, {}, "sorvak: -o には値が必要です"},
    {{"--output="}, Action::UsageError, {}, {}, {}, "sorvak: --output には値が必要です"},
    {{"-o", "a", "--output", "b"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: --output が二度指定されています"},
    {{"-o", "a", "--format", "tiff"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 不明な画像形式です: tiff（bmp, png, jpg, jpeg, gif のいずれか）"},
    {{"-o", "a", "--format", "txt"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 不明な画像形式です: txt（bmp, png, jpg, jpeg, gif のいずれか）"},
    {{"--format", "png"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: --format は --output と共に指定してください"},
    {{"--folder", "/tmp", "-o", "a"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: --folder と --output は同時に指定できません"},
    {{"--add-thunar-action", "-o", "a"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 余分な引数です: --add-thunar-action（--help を参照）"},
    {{"--watch", "/tmp", "-o", "a"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: --watch は --output、--folder、--no-clobber と同時に指定できません"},
    {{"--name", "%F"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: --name は --output か --watch と共に指定してください"},
    {{"--notify", "--folder", "/tmp"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: --notify は --output か --watch と共に指定してください"},
    // A line break in a wrong option cannot split the message.
    {{"--a\nb"},
     Action::UsageError,
     {},
     {},
     {},
     "sorvak: 不明なオプションです: --a?b（--help を参照）"},
};

} // namespace

TEST(CommandLine, ParsesEveryCaseOfTheTable) {
    for (const Case& c : Cases) {
        std::string shown;
        for (const auto& argument : c.arguments)
            shown += "[" + argument + "]";
        SCOPED_TRACE(shown);
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.Action, c.action);
        EXPECT_EQ(line.Error, c.error);
        if (c.action == Action::Run) {
            EXPECT_EQ(line.Folder, c.folder);
            EXPECT_EQ(line.Output, c.output);
            EXPECT_EQ(line.Format, c.format);
        }
    }
}

TEST(CommandLine, ScriptOptionsAreFlags) {
    const CommandLine line = ParseCommandLine({"-n", "-o", "a", "--quiet"});
    EXPECT_EQ(line.Action, Action::Run);
    EXPECT_TRUE(line.NoClobber);
    EXPECT_TRUE(line.Quiet);
    const CommandLine plain = ParseCommandLine({"-o", "a"});
    EXPECT_FALSE(plain.NoClobber);
    EXPECT_FALSE(plain.Quiet);
    // Quiet reaches a usage error given before it.
    const CommandLine wrong = ParseCommandLine({"--bogus", "-q"});
    EXPECT_EQ(wrong.Action, Action::UsageError);
    EXPECT_TRUE(wrong.Quiet);
}

TEST(CommandLine, QuickSaveOptions) {
    const CommandLine watch =
        ParseCommandLine({"--watch", "/w", "--name", "%F {kind}", "--format", "PNG", "--notify"});
    EXPECT_EQ(watch.Action, Action::Run);
    EXPECT_EQ(watch.Watch, "/w");
    EXPECT_EQ(watch.NameTemplate, "%F {kind}");
    EXPECT_EQ(watch.Format, "png");
    EXPECT_TRUE(watch.Notify);
    const CommandLine output = ParseCommandLine({"-o", "/d", "--name=x", "--notify"});
    EXPECT_EQ(output.Action, Action::Run);
    EXPECT_EQ(output.NameTemplate, "x");
    EXPECT_FALSE(output.Watch);
    EXPECT_EQ(ParseCommandLine({"--watch", "/w", "--list-types"}).Action, Action::UsageError);
}

TEST(CommandLine, ShownTextsGoThroughTheTranslator) {
    SetTranslator([](std::string_view source) {
        return source == SourceText(TextId::NotAFolder) ? std::string("sorvak: not a folder: %1")
                                                        : std::string(source);
    });
    EXPECT_EQ(Text(TextId::NotAFolder, {"/x%2"}), "sorvak: not a folder: /x%2");
    SetTranslator({});
    EXPECT_EQ(Text(TextId::NotAFolder, {"/x"}), "sorvak: フォルダーではありません: /x");
}

TEST(CommandLine, HelpNamesEveryOptionAndExitStatus) {
    const std::string help = Text(TextId::Help);
    for (const char* word : {"--help", "--version", "--folder", "--output", "--format", "-o",
                             "--add-thunar-action", "--no-clobber", "--quiet", "--list-types",
                             "--name", "--notify", "--watch", "  0  ", "  1  ", "  2  ", "  3  "})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    // Every message but the help is a single line.
    for (int id = static_cast<int>(TextId::Version);
         id <= static_cast<int>(TextId::ThunarFileNotUnderstood); ++id) {
        const std::string_view text = SourceText(static_cast<TextId>(id));
        EXPECT_FALSE(text.empty()) << id;
        EXPECT_EQ(text.substr(0, text.size() - 1).find('\n'), std::string_view::npos) << id;
    }
}
