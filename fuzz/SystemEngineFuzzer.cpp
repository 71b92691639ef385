// libFuzzer entry point: every input goes through the native engine, which
// may refuse it with its own error but must not crash or throw anything else.
#include "PDFEngine.h"
#include "SystemPDFEngine.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path scratch(const char* suffix)
{
    return std::filesystem::temp_directory_path() /
           ("zurbo-fuzz-" + std::to_string(::getpid()) + suffix);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path source = scratch("-in.pdf");
    static const std::filesystem::path output = scratch("-out.pdf");
    {
        std::ofstream file(source, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        zurbo::engine::runSystemPDFEngine(source, output, {150, 82}, false);
    } catch (const zurbo::PDFEngine::EngineError&) {
        // Refusing a broken file is a correct outcome.
    }
    return 0;
}
