#include "CompressCommand.h"

#include "ByteCountText.h"
#include "CompressionRun.h"
#include "EngineNoticeLines.h"
#include "FilesInFlight.h"
#include "PDFEngine.h"
#include "ProgressLine.h"
#include "Secret.h"
#include "SizeFigures.h"
#include "StopToken.h"
#include "Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <utility>

namespace fs = std::filesystem;

namespace zurbo {

namespace {

constexpr const char* usage =
    "usage: zurbo-compress [--profile respectful|balanced|demolition] [--target-mb N]\n"
    "                      [--clean-metadata] [--in-place | --output FILE] [--force]\n"
    "                      [--json] [--engine auto|ghostscript|qpdf|native] [--jobs N]\n"
    "                      [--password-file FILE] [--] FILE...\n"
    "       zurbo-compress --help | --version\n"
    "\n"
    "Compresses each PDF, one after another. Without --in-place or --output the\n"
    "result goes beside its source as NAME.zurbo.pdf, only when nothing has that\n"
    "name yet; --force replaces whatever has it (a link itself, never the file it\n"
    "points to). --output takes one input only.\n"
    "--engine picks the engine; auto (the default) takes Ghostscript when it is\n"
    "installed, and the native engine where Ghostscript fails, stalls or loses\n"
    "something, then a bundled qpdf, then the native engine. Each result line\n"
    "says which engine made it.\n"
    "--jobs N compresses N files at once (0: one per processor; at most 64), the\n"
    "results still in the order of the files.\n"
    "--password-file reads the password of locked PDFs from the first line of\n"
    "FILE (- for standard input); a password is never taken on the command line.\n"
    "Protected PDFs keep their protection, and locked ones their lock.\n";

// Files compressed at once, whatever --jobs asks: each holds its document in memory.
constexpr unsigned long maximumJobs = 64;

// The longest password line read; passwords are at most 127 bytes.
constexpr std::size_t maximumPasswordBytes = 4096;

using Engine = PDFEngine::Engine;

std::string nameOf(Engine engine)
{
    return std::string(PDFEngine::engineName(engine));
}

// How a report line names the engine that made an output.
std::string spokenName(Engine engine)
{
    switch (engine) {
    case Engine::ghostscript:
        return "Ghostscript";
    case Engine::qpdf:
        return "qpdf";
    default:
        return "el motor nativo";
    }
}

struct Options {
    CompressionProfile profile = CompressionProfile::balanced;
    std::optional<std::int64_t> targetBytes;
    bool cleanMetadata = false;
    bool inPlace = false;
    bool force = false;
    bool json = false;
    bool help = false;
    bool version = false;
    Engine engine = Engine::automatic;
    std::size_t jobs = 1;
    std::optional<std::string> passwordFile;
    std::optional<fs::path> output;
    std::vector<fs::path> sources;
    bool optionsEnded = false;
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::int64_t targetBytesFromMegabytes(const std::string& text)
{
    std::size_t used = 0;
    double megabytes = 0;
    try {
        megabytes = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || !std::isfinite(megabytes) || megabytes <= 0) {
        throw UsageError("--target-mb needs a positive number of megabytes");
    }
    return bytesFromMegabytes(megabytes);
}

// --jobs N: N files at once, 0 for one per processor, beyond the maximum the maximum.
std::size_t jobsFrom(const std::string& text)
{
    unsigned long jobs = 0;
    const char* end = text.data() + text.size();
    const auto [parsed, error] = std::from_chars(text.data(), end, jobs);
    if (text.empty() || parsed != end || error == std::errc::invalid_argument) {
        throw UsageError("--jobs needs a number of files at once, 0 for one per processor");
    }
    if (error == std::errc::result_out_of_range) {
        jobs = maximumJobs;
    }
    return std::min(jobs == 0 ? std::max(std::thread::hardware_concurrency(), 1u) : jobs,
                    maximumJobs);
}

Engine engineNamed(const std::string& text)
{
    if (const auto engine = PDFEngine::engineNamed(text)) {
        return *engine;
    }
    throw UsageError("unknown engine: " + text);
}

// An engine named on the command line must be one this machine has.
void requireAvailable(Engine engine)
{
    const std::vector<Engine> available = PDFEngine::availableEngines();
    if (engine == Engine::automatic ||
        std::find(available.begin(), available.end(), engine) != available.end()) {
        return;
    }
    std::string names;
    for (const Engine other : available) {
        names += (names.empty() ? "" : ", ") + nameOf(other);
    }
    throw UsageError("engine " + nameOf(engine) + " is not available here; available: " + names);
}

Options parseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) {
                throw UsageError(argument + " needs a value");
            }
            return arguments[++i];
        };
        if (options.optionsEnded) {
            options.sources.emplace_back(argument);
        } else if (argument == "--") {
            options.optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--profile") {
            const auto profile = compressionProfileFromRaw(value());
            if (!profile) {
                throw UsageError("unknown profile: " + arguments[i]);
            }
            options.profile = *profile;
        } else if (argument == "--target-mb") {
            options.targetBytes = targetBytesFromMegabytes(value());
        } else if (argument == "--clean-metadata") {
            options.cleanMetadata = true;
        } else if (argument == "--in-place") {
            options.inPlace = true;
        } else if (argument == "--force") {
            options.force = true;
        } else if (argument == "--output") {
            options.output = value();
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--engine") {
            options.engine = engineNamed(value());
        } else if (argument == "--jobs") {
            options.jobs = jobsFrom(value());
        } else if (argument == "--password-file") {
            options.passwordFile = value();
        } else if (argument.starts_with("--")) {
            throw UsageError("unknown option: " + argument);
        } else {
            options.sources.emplace_back(argument);
        }
    }
    if (options.help || options.version) {
        return options;
    }
    if (options.sources.empty()) {
        throw UsageError("no PDF given");
    }
    if (options.inPlace && options.output) {
        throw UsageError("--in-place and --output exclude each other");
    }
    if (options.output && options.sources.size() != 1) {
        throw UsageError("--output takes one input only");
    }
    requireAvailable(options.engine);
    return options;
}

// The first line of the password file, "-" being standard input, without its
// line end. Read a byte at a time into room reserved once, so that no copy of
// it is left behind in memory given back, and never more than a line's worth.
std::string readPassword(const std::string& file, std::istream& in)
{
    std::ifstream opened;
    if (file != "-") {
        opened.open(file, std::ios::binary);
        if (!opened || fs::is_directory(file)) {
            throw UsageError("cannot read the password file " + file);
        }
    }
    std::istream& from = file == "-" ? in : opened;
    std::string password;
    password.reserve(maximumPasswordBytes + 1);
    for (char c = 0; password.size() <= maximumPasswordBytes && from.get(c) && c != '\n';) {
        password += c;
    }
    if (password.size() > maximumPasswordBytes) {
        wipeSecret(password);
        throw UsageError("the password file's first line is too long");
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

// Where a file's result goes, and what may happen to what is already there:
// a name the user typed is written through its links; one made up here is
// only created, or with --force replaces the name itself.
std::pair<fs::path, PDFEngine::Overwrite> destinationFor(const Options& options,
                                                         const fs::path& source)
{
    using Overwrite = PDFEngine::Overwrite;
    if (options.output) {
        return {*options.output, Overwrite::throughLinks};
    }
    if (options.inPlace) {
        return {source, Overwrite::throughLinks};
    }
    fs::path destination = source;
    destination.replace_extension(".zurbo.pdf");
    return {destination, options.force ? Overwrite::nameOnly : Overwrite::never};
}

std::string jsonEscape(unsigned code)
{
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
    return escaped;
}

// A JSON string of any bytes: well-formed UTF-8 as it is, each other byte as
// the lone surrogate U+DC80 + byte, as Python's "surrogateescape" reads names.
std::string jsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            quoted += jsonEscape(0xDC00 + c);
        } else if (c == '"' || c == '\\') {
            quoted += {'\\', static_cast<char>(c)};
        } else if (c < 0x20) {
            quoted += c == '\n' ? "\\n" : jsonEscape(c);
        } else {
            quoted.append(text, i, length);
        }
        i += std::max<std::size_t>(length, 1);
    }
    return quoted + "\"";
}

std::int64_t sizeOf(const fs::path& file)
{
    std::error_code error;
    const auto size = fs::file_size(file, error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

void report(const CompressionRun::File& file, std::int64_t originalBytes,
            const CompressionRun::Outcome& outcome, bool json, std::ostream& out, std::ostream& err)
{
    if (json) {
        out << "{\"source\":" << jsonString(file.source.string())
            << ",\"destination\":" << jsonString(file.destination.string())
            << ",\"originalBytes\":" << originalBytes
            << ",\"bytes\":" << (outcome.result ? std::to_string(outcome.result->bytes) : "null")
            << ",\"targetReached\":"
            << (outcome.result && outcome.result->targetReached
                    ? (*outcome.result->targetReached ? "true" : "false")
                    : "null")
            << ",\"engine\":"
            << (outcome.result ? jsonString(nameOf(outcome.result->engine)) : "null")
            << ",\"error\":" << (outcome.result ? "null" : jsonString(outcome.error)) << "}\n";
    } else if (outcome.result) {
        out << file.source.string() << ": " << byteCountText(originalBytes) << " → "
            << byteCountText(outcome.result->bytes) << " (−"
            << savingsPercent(originalBytes, outcome.result->bytes) << "%)";
        if (outcome.result->targetReached == false) {
            out << ", objetivo no alcanzado";
        }
        out << ", con " << spokenName(outcome.result->engine) << "\n";
    }
    if (!outcome.result) {
        err << file.source.string() << ": " << outcome.error << "\n";
    }
}

// What the command adds to the engine's request for a password.
const std::string howToGiveThePassword =
    " Pásanosla en la primera línea de un archivo con --password-file ARCHIVO, o por la "
    "entrada estándar con --password-file -.";

CompressionRun::Outcome compressOne(const Options& options, const CompressionRun::File& file,
                                    const std::string& password, StopToken stop)
{
    try {
        return {PDFEngine::compress(file.source, file.destination, options.profile,
                                    options.targetBytes, options.cleanMetadata, stop,
                                    options.engine, destinationFor(options, file.source).second,
                                    password, engineNoticeLines(file.source))};
    } catch (const PDFEngine::Cancelled&) {
        return {std::nullopt, {}, true};
    } catch (const PDFEngine::EngineError& error) {
        if (error.kind() == PDFEngine::EngineError::Kind::passwordRequired) {
            return {std::nullopt, std::string(error.what()) + howToGiveThePassword};
        }
        return {std::nullopt, error.what()};
    } catch (const std::system_error& error) {
        // The system's own sentence, without the library's wording and paths.
        return {std::nullopt, error.code().message()};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

// Hands the files of `run` to `calls` until none is left in flight. A `terminal` shows the
// earliest file in flight: its result is the one due next.
void runToTheEnd(CompressionRun& run, FilesInFlight& calls, std::ostream* terminal)
{
    std::optional<ProgressLine> progress;
    for (;;) {
        while (const std::optional<std::size_t> index = run.startNext()) {
            calls.start(*index);
        }
        if (run.inFlight().empty()) {
            return;
        }
        const std::size_t earliest = run.inFlight().front();
        if (terminal && !progress) {
            progress.emplace(*terminal, run.file(earliest).source.filename().string(), earliest + 1,
                             run.size(), calls.startedAt(earliest));
        }
        auto [index, outcome] = calls.nextEnded();
        if (index == earliest) {
            progress.reset();
        }
        run.finish(index, std::move(outcome));
    }
}

// Compresses the files, options.jobs at once, reporting each in their order: the command's
// exit status.
int compressAll(const Options& options, const std::string& password, std::ostream& out,
                std::ostream& err, StopToken stop, bool errIsTerminal)
{
    std::vector<CompressionRun::File> files;
    // Sizes as the run starts: the run never lets a file replace a source it has yet to read.
    std::vector<std::int64_t> originalBytes;
    for (const fs::path& source : options.sources) {
        files.push_back({source, destinationFor(options, source).first});
        originalBytes.push_back(sizeOf(source));
    }
    int status = 0;
    CompressionRun run(
        files, CompressionRun::AfterFailure::goOn, stop,
        [&](std::size_t index, const CompressionRun::Outcome& outcome) {
            if (!outcome.cancelled) {
                report(files[index], originalBytes[index], outcome, options.json, out, err);
                status = outcome.result ? status : 1;
            }
        },
        options.jobs);
    FilesInFlight calls(
        [&](std::size_t index) { return compressOne(options, files[index], password, stop); });
    runToTheEnd(run, calls, errIsTerminal && !options.json ? &err : nullptr);
    return run.wasStopped() ? commandStopped : status;
}

} // namespace

int runCompressCommand(const std::vector<std::string>& arguments, std::istream& in,
                       std::ostream& out, std::ostream& err, StopToken stop, bool errIsTerminal)
{
    Options options;
    std::string password;
    try {
        options = parseOptions(arguments);
        if (options.passwordFile && !options.help && !options.version) {
            password = readPassword(*options.passwordFile, in);
        }
    } catch (const UsageError& error) {
        err << "zurbo-compress: " << error.what() << "\n\n" << usage;
        return 2;
    }
    if (options.help) {
        out << usage;
        return 0;
    }
    if (options.version) {
        out << "zurbo-compress " ZURBO_VERSION "\n";
        return 0;
    }
    const int status = compressAll(options, password, out, err, stop, errIsTerminal);
    wipeSecret(password);
    return status;
}

} // namespace zurbo
