// Which of the owner's offers the snapshot takes, in which order, and what
// it tells before the whole content has come, over a transport in memory.
#include "platform/selection/ClipboardSnapshot.h"
#include "tests/platform/FakeSelectionSource.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using sorvak::platform::AfterPicture;
using sorvak::platform::ClipboardSnapshot;
using sorvak::platform::ContentOutline;
using sorvak::platform::SelectionOwnerChanged;
using sorvak::platform::SelectionStopped;
using sorvak::platform::SelectionTimeout;
using sorvak::platform::TakeSnapshot;
using sorvak::test::FakeSelectionSource;
using Picture = ClipboardSnapshot::Picture;

namespace {

std::string Encoded(int width, int height, const char* format) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes.toStdString();
}

struct Expected {
    std::vector<std::string> Fetched{};
    Picture Kind = Picture::None;
    std::string PictureType{};
    QSize Size{0, 0};
    std::optional<std::string> Text{};
    std::optional<std::vector<std::string>> Files{};
    std::optional<ContentOutline> Outline{};
};

struct Case {
    const char* Name;
    std::vector<FakeSelectionSource::Offer> Offers;
    Expected Want;
    AfterPicture After = AfterPicture::Nothing;
};

const std::string Utf8 = "text/plain;charset=utf-8";
const std::string Latin1 = "text/plain;charset=iso-8859-1";
const std::string Gnome = "x-special/gnome-copied-files";
const ContentOutline TextOutline{ContentOutline::Kind::Text, 0, 0};

std::exception_ptr Silent() {
    return std::make_exception_ptr(SelectionTimeout("the clipboard owner does not answer"));
}

} // namespace

TEST(SnapshotChoice, TakesTheOffersInTheirOrderAndTellsWhatTheFirstBytesShow) {
    const std::string png = Encoded(7, 5, "PNG");
    const std::string bmp = Encoded(3, 2, "BMP");
    const Case cases[] = {
        {"lossless picture first; a decoded picture needs nothing else",
         {{Utf8, "hi"}, {"image/bmp", bmp}, {"image/png", png}, {"text/uri-list", "file:///u"}},
         {.Fetched = {"image/png"},
          .Kind = Picture::Decoded,
          .PictureType = "image/png",
          .Size = {7, 5},
          .Outline = ContentOutline{ContentOutline::Kind::Picture, 7, 5}}},
        {"a save to a text name reads the text beside the picture",
         {{Utf8, "hi"}, {"image/png", png}},
         {.Fetched = {"image/png", Utf8},
          .Kind = Picture::Decoded,
          .PictureType = "image/png",
          .Size = {7, 5},
          .Text = "hi",
          .Outline = ContentOutline{ContentOutline::Kind::Picture, 7, 5}},
         AfterPicture::Everything},
        {"text too slow to come beside a picture is absent",
         {{"image/png", png}, {Utf8, std::nullopt, Silent()}, {"text/plain", "late"}},
         {.Fetched = {"image/png", Utf8, "text/plain"},
          .Kind = Picture::Decoded,
          .PictureType = "image/png",
          .Size = {7, 5},
          .Text = "late",
          .Outline = ContentOutline{ContentOutline::Kind::Picture, 7, 5}},
         AfterPicture::Everything},
        {"a picture that does not decode, then a silent one, gives way to the text",
         {{"image/png", "not a picture at all"},
          {"image/bmp", std::nullopt, Silent()},
          {Utf8, "t"}},
         {.Fetched = {"image/png", "image/bmp", Utf8}, .Text = "t"}},
        {"a silent URI list beside a file manager's list is absent",
         {{Gnome, "copy\nfile:///g"}, {"text/uri-list", std::nullopt, Silent()}, {Utf8, "/g"}},
         {.Fetched = {Gnome, "text/uri-list", Utf8},
          .Text = "/g",
          .Files = std::vector<std::string>{"/g"}}},
        {"a picture that does not decode gives way to the next, untold",
         {{"image/png", "not a picture at all"}, {"image/bmp", bmp}},
         {.Fetched = {"image/png", "image/bmp"},
          .Kind = Picture::Decoded,
          .PictureType = "image/bmp",
          .Size = {3, 2}}},
        {"a picture type Qt cannot read is not asked for",
         {{"image/x-sorvak-none", "??"}, {"text/plain", "t"}},
         {.Fetched = {"text/plain"}, .Text = "t", .Outline = TextOutline}},
        {"a refused UTF-8 text falls back to plain text",
         {{Utf8, std::nullopt}, {"text/plain", "plain"}},
         {.Fetched = {Utf8, "text/plain"}, .Text = "plain", .Outline = TextOutline}},
        {"invalid UTF-8 is repaired",
         {{Utf8, "a\xFF"
                 "b"}},
         {.Fetched = {Utf8},
          .Text = "a\xEF\xBF\xBD"
                  "b",
          .Outline = TextOutline}},
        {"Latin-1 text is the last resort",
         {{Latin1, "caf\xE9"}, {"text/plain", std::nullopt}},
         {.Fetched = {"text/plain", Latin1}, .Text = "caf\xC3\xA9", .Outline = TextOutline}},
        {"a file manager's list wins over the URI list; text is not told",
         {{"text/uri-list", "file:///u\r\n"}, {Gnome, "copy\nfile:///g"}, {Utf8, "/g"}},
         {.Fetched = {Gnome, "text/uri-list", Utf8},
          .Text = "/g",
          .Files = std::vector<std::string>{"/g"}}},
        {"a URI list alone is the file list and the text",
         {{"text/uri-list", "# comment\r\nfile:///a%20b\r\n"}},
         {.Fetched = {"text/uri-list"},
          .Text = "file:///a%20b",
          .Files = std::vector<std::string>{"/a b"}}},
        {"text that starts as a file list is not told as text",
         {{Utf8, "x-special/nautilus-clipboard\ncopy\nfile:///n\n"}},
         {.Fetched = {Utf8},
          .Text = "x-special/nautilus-clipboard\ncopy\nfile:///n\n",
          .Files = std::vector<std::string>{"/n"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeSelectionSource source(c.Offers);
        std::vector<ContentOutline> told;
        const ClipboardSnapshot snapshot = TakeSnapshot(
            source, [&](const ContentOutline& outline) { told.push_back(outline); }, c.After);
        const Expected& want = c.Want;
        EXPECT_EQ(source.Fetched(), want.Fetched);
        EXPECT_EQ(snapshot.Kind, want.Kind);
        EXPECT_EQ(snapshot.PictureType, want.PictureType);
        EXPECT_EQ(snapshot.Image.size(), want.Size);
        EXPECT_EQ(snapshot.Utf8Text, want.Text);
        EXPECT_EQ(snapshot.FileList, want.Files);
        ASSERT_LE(told.size(), 1u);
        EXPECT_EQ(told.empty(), !want.Outline.has_value());
        if (!told.empty() && want.Outline) {
            EXPECT_EQ(told[0].What, want.Outline->What);
            EXPECT_EQ(told[0].Width, want.Outline->Width);
            EXPECT_EQ(told[0].Height, want.Outline->Height);
        }
    }
}

TEST(SnapshotChoice, KeepsTheDecodedOffersOwnBytes) {
    const std::string png = Encoded(7, 5, "PNG");
    FakeSelectionSource source({{"image/png", png}});
    const ClipboardSnapshot snapshot = TakeSnapshot(source);
    EXPECT_EQ(snapshot.PictureBytes, png);
    EXPECT_EQ(snapshot.PictureType, "image/png");
}

TEST(SnapshotChoice, AClipboardWithoutOwnerIsEmptyAndNothingIsAskedFor) {
    FakeSelectionSource source({{"image/png", Encoded(7, 5, "PNG")}, {Utf8, "x"}}, false);
    const ClipboardSnapshot snapshot = TakeSnapshot(source);
    EXPECT_TRUE(source.Fetched().empty());
    EXPECT_EQ(snapshot.Kind, Picture::None);
    EXPECT_FALSE(snapshot.Utf8Text);
    EXPECT_FALSE(snapshot.FileList);
}

TEST(SnapshotChoice, FailsWhenTheFirstOfferDoesNotComeOrTheReadMustEnd) {
    const std::string png = Encoded(7, 5, "PNG");
    auto failing = [](auto failure) { return std::make_exception_ptr(failure); };
    struct Case {
        const char* Name;
        std::vector<FakeSelectionSource::Offer> Offers;
        // Which of the three the snapshot throws.
        int Thrown;
    };
    enum { Timeout, OwnerChanged, Stopped };
    const Case cases[] = {
        {"the first offer read is the content: silence there is a failure",
         {{Utf8, std::nullopt, Silent()}, {"text/plain", "t"}},
         Timeout},
        {"another owner beside the picture starts the read again",
         {{"image/png", png}, {Utf8, std::nullopt, failing(SelectionOwnerChanged())}},
         OwnerChanged},
        {"a stop beside the picture ends the read",
         {{"image/png", png}, {Utf8, std::nullopt, failing(SelectionStopped())}},
         Stopped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        FakeSelectionSource source(c.Offers);
        int thrown = -1;
        try {
            TakeSnapshot(source, {}, AfterPicture::Everything);
        } catch (const SelectionStopped&) {
            thrown = Stopped;
        } catch (const SelectionOwnerChanged&) {
            thrown = OwnerChanged;
        } catch (const SelectionTimeout&) {
            thrown = Timeout;
        }
        EXPECT_EQ(thrown, c.Thrown);
    }
}
