#include "BatchSettings.h"
#include "CompressRequest.h"
#include "QueueTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <stdexcept>
#include <system_error>

namespace zurbo {
namespace {

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::error_code(code, std::generic_category()).message());
}

struct FailureCase {
    const char* name;
    friend void PrintTo(const FailureCase& value, std::ostream* out) { *out << value.name; }
    std::function<void()> raise;
    std::function<QString()> message;
};

class CompressFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CompressFailureTest, BecomesTheUserFacingText)
{
    const CompressOutcome outcome = runCompress(
        [](const CompressRequest&) -> PDFEngine::Result {
            GetParam().raise();
            return {};
        },
        {});
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.errorMessage, GetParam().message());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CompressFailureTest,
    ::testing::Values(
        FailureCase{"EngineText",
                    [] { throw PDFEngine::EngineError::documentUnreadable(); },
                    [] {
                        return QStringLiteral(
                            "Este PDF viene con las tripas raras y macOS no consigue abrirlo.");
                    }},
        FailureCase{"ToolMessage",
                    [] { throw PDFEngine::EngineError::compressionFailed("gs: bad xref"); },
                    [] { return QStringLiteral("gs: bad xref"); }},
        FailureCase{"FileSystem",
                    [] {
                        throw std::filesystem::filesystem_error(
                            "cannot rename", "/tmp/x.pdf",
                            std::error_code(EACCES, std::generic_category()));
                    },
                    [] { return systemText(EACCES); }},
        FailureCase{"Launch",
                    [] {
                        throw std::system_error(ENOENT, std::generic_category(), "posix_spawn gs");
                    },
                    [] { return systemText(ENOENT); }},
        FailureCase{"OtherException", [] { throw std::runtime_error("sin memoria"); },
                    [] { return QStringLiteral("sin memoria"); }},
        FailureCase{"NotAnException", [] { throw 42; },
                    [] {
                        return QStringLiteral(
                            "El PDF se ha puesto digno y no se ha dejado comprimir.");
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompressOutcomeTest, PassesTheResultOn)
{
    const CompressOutcome outcome = runCompress(
        [](const CompressRequest& request) {
            return PDFEngine::Result{request.destination.toStdString(), 42, true};
        },
        {"/a.pdf", "/b.pdf", CompressionProfile::balanced, std::nullopt, false});
    ASSERT_TRUE(outcome.result);
    EXPECT_EQ(outcome.result->url, "/b.pdf");
    EXPECT_EQ(outcome.result->bytes, 42);
    EXPECT_EQ(outcome.result->targetReached, true);
    EXPECT_TRUE(outcome.errorMessage.isEmpty());
}

struct TargetCase {
    const char* name;
    friend void PrintTo(const TargetCase& value, std::ostream* out) { *out << value.name; }
    double megabytes;
    std::int64_t bytes;
};

class TargetByteCountTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetByteCountTest, IsBoundedAndTruncated)
{
    EXPECT_EQ(BatchSettings::targetByteCount(GetParam().megabytes), GetParam().bytes);
}

constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Targets, TargetByteCountTest,
    ::testing::Values(TargetCase{"Ten", 10.0, 10'485'760},
                      TargetCase{"TwoAndAHalf", 2.5, 2'621'440},
                      TargetCase{"Zero", 0.0, 10'485}, TargetCase{"BelowSmallest", 0.005, 10'485},
                      TargetCase{"Negative", -3.0, 10'485},
                      TargetCase{"NotANumber", std::nan(""), 10'485},
                      TargetCase{"NegativeInfinity", -INFINITY, 10'485},
                      TargetCase{"LargestThatFits", 8'796'093'022'207.0, 9'223'372'036'853'727'232},
                      TargetCase{"FirstThatOverflows", 8'796'093'022'208.0, largest},
                      TargetCase{"Huge", 1e300, largest},
                      TargetCase{"Infinity", INFINITY, largest}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zurbo
