// The transfer on its thread: an owner change starts it once more from the
// new owner, and the end of the program never waits long for a blocked read.
#include "platform/selection/ClipboardTransfer.h"
#include "tests/platform/FakeSelectionSource.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

using sorvak::platform::ClipboardTransfer;
using sorvak::platform::ContentOutline;
using sorvak::platform::SelectionOwnerChanged;
using sorvak::platform::SelectionSource;
using sorvak::platform::SelectionTimeout;
using sorvak::test::FakeSelectionSource;

namespace {

std::string Png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkMagenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return bytes.toStdString();
}

// Hands the transfer a fake the test keeps seeing after the transfer has
// dropped it.
class Borrowed : public SelectionSource {
public:
    explicit Borrowed(std::shared_ptr<FakeSelectionSource> fake) : fake_(std::move(fake)) {}
    bool HasOwner() override { return fake_->HasOwner(); }
    std::vector<std::string> Targets() override { return fake_->Targets(); }
    std::optional<std::string> Fetch(const std::string& type, const Watch& watch) override {
        return fake_->Fetch(type, watch);
    }
    void Stop() override { fake_->Stop(); }
    bool Stopped() const override { return fake_->Stopped(); }
    std::chrono::steady_clock::time_point End() const override { return fake_->End(); }
    void EndBy(std::chrono::steady_clock::time_point end) override { fake_->EndBy(end); }

private:
    std::shared_ptr<FakeSelectionSource> fake_;
};

std::exception_ptr OwnerChanged() {
    return std::make_exception_ptr(SelectionOwnerChanged());
}

} // namespace

TEST(ClipboardTransfer, StartsOnceMoreFromANewOwnerAndOnlyThen) {
    const std::string first = Png(7, 5), second = Png(9, 4);
    struct Case {
        const char* Name;
        // The owners in turn: each offer list is one owner; no list, none.
        std::vector<std::optional<std::vector<FakeSelectionSource::Offer>>> Owners;
        std::size_t Opened;
        // The whole picture's size, or nothing when the transfer fails.
        std::optional<QSize> Whole;
    };
    const Case cases[] = {
        {"a manager takes over during the picture: its picture is saved",
         {{{{"image/png", first, OwnerChanged()}}}, {{{"image/png", second}}}},
         2,
         QSize(9, 4)},
        {"a second change is a failure",
         {{{{"image/png", first, OwnerChanged()}}}, {{{"image/png", second, OwnerChanged()}}}},
         2,
         std::nullopt},
        {"nobody taking over is a failure, not an empty clipboard",
         {{{{"image/png", first, OwnerChanged()}}}, std::nullopt},
         2,
         std::nullopt},
        {"an owner that falls silent is not asked again",
         {{{{"image/png", first, std::make_exception_ptr(SelectionTimeout("silent"))}}},
          {{{"image/png", second}}}},
         1,
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::shared_ptr<FakeSelectionSource>> opened;
        {
            ClipboardTransfer transfer([&]() -> std::unique_ptr<SelectionSource> {
                const auto& owner = c.Owners.at(opened.size());
                opened.push_back(std::make_shared<FakeSelectionSource>(
                    owner.value_or(std::vector<FakeSelectionSource::Offer>{}), owner.has_value()));
                return std::make_unique<Borrowed>(opened.back());
            });
            // The dialog the first owner's header opened is the one shown.
            const std::optional<ContentOutline> outline = transfer.Outline();
            ASSERT_TRUE(outline);
            EXPECT_EQ(outline->Width, 7);
            EXPECT_EQ(outline->Height, 5);
            if (c.Whole) {
                EXPECT_EQ(transfer.Whole().Image.size(), *c.Whole);
            } else {
                EXPECT_THROW(transfer.Whole(), SelectionTimeout);
            }
        }
        ASSERT_EQ(opened.size(), c.Opened);
        // The bound on the whole transfer counts from the first start.
        if (opened.size() == 2) {
            EXPECT_EQ(opened[1]->End(), opened[0]->End());
        }
    }
}

namespace {

// A read blocked where no stop reaches (a server that does not answer):
// it ends only when the test lets it.
struct Latch {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Open = false;
    bool SourceGone = false;
};

class Stuck : public FakeSelectionSource {
public:
    explicit Stuck(std::shared_ptr<Latch> latch)
        : FakeSelectionSource({{"image/png", std::string("x")}}), latch_(std::move(latch)) {}
    ~Stuck() override {
        const std::lock_guard lock(latch_->Mutex);
        latch_->SourceGone = true;
        latch_->Changed.notify_all();
    }
    std::optional<std::string> Fetch(const std::string&, const Watch&) override {
        std::unique_lock lock(latch_->Mutex);
        latch_->Changed.wait(lock, [this] { return latch_->Open; });
        return std::nullopt;
    }

private:
    std::shared_ptr<Latch> latch_;
};

} // namespace

TEST(ClipboardTransfer, TheEndOfTheProgramDoesNotWaitForABlockedRead) {
    const auto latch = std::make_shared<Latch>();
    {
        ClipboardTransfer transfer([latch] { return std::make_unique<Stuck>(latch); });
    }
    // The transfer is gone while its read still blocks; the thread left
    // behind then ends touching only what it shares.
    std::unique_lock lock(latch->Mutex);
    EXPECT_FALSE(latch->SourceGone);
    latch->Open = true;
    latch->Changed.notify_all();
    latch->Changed.wait(lock, [&] { return latch->SourceGone; });
}
