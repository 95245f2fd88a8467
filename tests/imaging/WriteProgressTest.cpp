#include "imaging/Graphic.h"

#include "imaging/Bitmap.h"
#include "imaging/PictureFormats.h"
#include "tests/imaging/WriterTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace sorvak {
namespace {

using test::Load;
using test::RandomPicture;

struct Case {
    std::string_view ext;
    // The last report when AssignFrom returns; -1 when it reports nothing.
    int afterAssign;
    // Distinct percentages a write of the test picture reports at least.
    std::size_t distinct;
};

// BMP and JPEG write in one piece here (JPEG reports at most every 500 ms);
// PNG reports every percent of its rows; GIF converts in the first half.
const Case kCases[] = {{"bmp", -1, 2}, {"jpg", -1, 2}, {"png", -1, 101}, {"gif", 50, 10}};

const PictureFormat& FormatOf(std::string_view ext) {
    for (const PictureFormat& format : PictureFormats())
        if (format.DefaultExt == ext)
            return format;
    throw std::invalid_argument("no such format");
}

TEST(WriteProgress, EveryWriterRisesFromZeroToOneHundredOnOneScale) {
    const auto bitmap = Load(RandomPicture(64, 400, 3));
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.ext);
        const auto writer = FormatOf(c.ext).CreateWriter();
        std::vector<int> reports;
        writer->OnWriteProgress = [&](int percent) { reports.push_back(percent); };
        writer->AssignFrom(*bitmap);
        EXPECT_EQ(reports.empty() ? -1 : reports.back(), c.afterAssign);
        TMemoryStream stream;
        writer->WriteToStream(stream);
        EXPECT_FALSE(stream.Bytes().empty());
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.front(), 0);
        EXPECT_EQ(reports.back(), 100);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        // 100 means written: it comes once, last.
        EXPECT_EQ(std::count(reports.begin(), reports.end(), 100), 1);
        EXPECT_GE(std::set<int>(reports.begin(), reports.end()).size(), c.distinct);
    }
}

TEST(WriteProgress, FailedWritesNeverReachOneHundred) {
    const auto bitmap = Load(RandomPicture(64, 40, 4));
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.ext);
        for (std::size_t capacity : {0u, 100u}) {
            const auto writer = FormatOf(c.ext).CreateWriter();
            std::vector<int> reports;
            writer->OnWriteProgress = [&](int percent) { reports.push_back(percent); };
            writer->AssignFrom(*bitmap);
            test::ShortStream full(capacity);
            EXPECT_THROW(writer->WriteToStream(full), Exception) << capacity;
            EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end())) << capacity;
            EXPECT_EQ(std::count(reports.begin(), reports.end(), 100), 0) << capacity;
        }
    }
}

} // namespace
} // namespace sorvak
