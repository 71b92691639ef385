#include "PDFEngine.h"

#include "PdfFixtures.h"
#include "PdfInspection.h"
#include "QPDFRunner.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace zurbo {
namespace {

using testing::PdfInspection;
using testing::TestFolder;

// Sets an environment variable for the life of the value and puts back what
// was there before.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        ::setenv(name, value, 1);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class SystemEngineEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (engine::bundledQPDFPath()) {
            GTEST_SKIP() << "a bundled qpdf would be chosen before the native engine";
        }
        testing::writeFixturePdf(folder / "in.pdf", testing::imageHeavyDocument(2));
    }

    // The native engine is the only one that names itself the creator.
    void expectNativeOutput(const std::filesystem::path& output)
    {
        EXPECT_LT(std::filesystem::file_size(output),
                  std::filesystem::file_size(folder / "in.pdf") / 10);
        const PdfInspection inspection(output);
        EXPECT_EQ(inspection.information().at("Creator"), "ZURBO");
        EXPECT_EQ(inspection.pageImages(1).at("Im0").width, 300);
    }

    TestFolder folder;
    ScopedEnvironment force{"ZURBO_FORCE_SYSTEM_ENGINE", "1"};
};

TEST_F(SystemEngineEndToEndTest, CompressUsesTheNativeEngine)
{
    const PDFEngine::Result result = PDFEngine::compress(
        folder / "in.pdf", folder / "out.pdf", CompressionProfile::balanced, std::nullopt, false);
    EXPECT_EQ(result.bytes,
              static_cast<std::int64_t>(std::filesystem::file_size(folder / "out.pdf")));
    expectNativeOutput(folder / "out.pdf");
}

TEST_F(SystemEngineEndToEndTest, TheCommandUsesTheNativeEngine)
{
    const std::string command = std::string(ZURBO_COMPRESS_EXECUTABLE) + " --output '" +
                                (folder / "out.pdf").string() + "' '" +
                                (folder / "in.pdf").string() + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    expectNativeOutput(folder / "out.pdf");
}

} // namespace
} // namespace zurbo
