#pragma once

#include "CompressionProfile.h"
#include "EngineNotice.h"
#include "StopToken.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zurbo {

// ----------------------------------------------------------------------------
// PDFEngine: turns one source PDF into a smaller one at a destination.
//
// The engine keeps no state between calls. It runs Ghostscript when it is
// installed (its own native engine where Ghostscript does not deliver),
// otherwise a bundled qpdf, otherwise the native engine (or the engine the
// caller names), into a hidden working file beside the destination, keeps
// whichever of the output and the original is smaller, and installs it at
// the destination.
// ----------------------------------------------------------------------------
class PDFEngine {
public:
    PDFEngine() = delete;

    // One compression attempt: target image resolution (pixels per inch) and
    // JPEG quality (0-100).
    struct Configuration {
        std::int64_t resolution;
        std::int64_t jpegQuality;
        friend bool operator==(const Configuration&, const Configuration&) = default;
    };

    // Which engine compress() runs: the first found of Ghostscript, the bundled
    // qpdf and the native engine, as the application does, or one by name.
    enum class Engine { automatic, ghostscript, qpdf, native };

    // What a successful compress() installed.
    struct Result {
        // Where the outcome lives now: the destination given to compress().
        std::filesystem::path url;
        // Size of the installed outcome: the compressed file's, or the source's
        // when the original was kept.
        std::int64_t bytes = 0;
        // None without a target; otherwise whether `bytes` fits the target.
        std::optional<bool> targetReached;
        // The engine of the last attempt: the one that made the output, or
        // whose output was no smaller than the source when it was kept.
        Engine engine = Engine::native;
    };

    // The engine's own failures. what() is the user-facing Spanish text.
    class EngineError : public std::exception {
    public:
        enum class Kind {
            compressionFailed,
            documentUnreadable,
            systemFilterUnavailable,
            outputMissing,
            // The source is a pipe, a device or a folder, never read.
            sourceNotRegular,
            // The source's name came to name other content during the run.
            sourceChanged,
            // A name Zurbo made up is taken and may not be replaced.
            destinationExists,
            // Writing the output ran out of disk space or quota.
            diskFull,
            // The document inflates to more than a run may read (a Flate bomb).
            inflateBudgetExceeded,
            // The source is locked with a password and none was given.
            passwordRequired,
            // The password given opens neither lock of the source.
            passwordIncorrect,
            // An external engine ran past its time budget and was ended.
            engineStalled,
            // The engine named would write a protected source unprotected.
            protectionWouldBeLost
        };

        static EngineError compressionFailed(std::string message);
        static EngineError documentUnreadable();
        static EngineError systemFilterUnavailable();
        static EngineError outputMissing();
        static EngineError sourceNotRegular();
        static EngineError sourceChanged();
        static EngineError destinationExists(std::string fileName);
        static EngineError diskFull();
        static EngineError inflateBudgetExceeded();
        static EngineError passwordRequired();
        static EngineError passwordIncorrect();
        static EngineError engineStalled();
        static EngineError protectionWouldBeLost();

        // The source needs a password: none was given, or not the right one.
        bool needsPassword() const noexcept
        {
            return m_kind == Kind::passwordRequired || m_kind == Kind::passwordIncorrect;
        }

        Kind kind() const noexcept { return m_kind; }
        // The tool's last error lines for compressionFailed, the taken file
        // name for destinationExists; empty otherwise.
        const std::string& message() const noexcept { return m_message; }
        const char* what() const noexcept override { return m_description.c_str(); }

        friend bool operator==(const EngineError& a, const EngineError& b)
        {
            return a.m_kind == b.m_kind && a.m_message == b.m_message;
        }

    private:
        EngineError(Kind kind, std::string message);

        Kind m_kind;
        std::string m_message;
        std::string m_description;
    };

    // What compress() may do to whatever already has the destination's name.
    enum class Overwrite {
        // A name the user chose: an existing file is replaced; a symbolic link
        // is written through, replacing the file it points to.
        throughLinks,
        // A name Zurbo made up: only created where nothing has that name yet.
        never,
        // A name Zurbo made up, with replacing asked for: whatever has the name
        // gives way, a link itself rather than the file it points to.
        nameOnly
    };

    // Thrown when a run stops because its stop token was requested.
    using Cancelled = zurbo::Cancelled;

    // Compresses `source` into `destination` (which may be the source itself).
    //
    // Blocks for as long as the engines run; call it off the main thread.
    // Without a target one attempt is made with the profile's configuration;
    // with `targetBytes` the eight-step target ladder is walked until an
    // output fits. An output that is not smaller than the source is dropped
    // and the source is kept, unless `cleanMetadata` is set.
    //
    // The automatic choice runs Ghostscript when it is installed, and hands
    // an attempt Ghostscript does not deliver to the native engine: one where
    // it fails, cannot be started, writes an output that lost pages' drawing
    // or form fields, or runs past its time budget (30 s and 2 s more per
    // megabyte of source; it is then ended as a stop ends it). That attempt's
    // result is the native engine's, failures included; the next attempt of a
    // target's ladder goes to Ghostscript again, unless it stalled. What is not Ghostscript's doing
    // (a full disk, a source that changed or inflates past its budget, a stop) is reported as it
    // is. An engine named is the only one that runs.
    //
    // A protected (encrypted) source is written by the native engine alone,
    // with the same protection; naming another engine for it throws
    // EngineError::protectionWouldBeLost. One locked with a user password
    // opens with `password` (the user or the owner password); without it
    // the call throws EngineError::passwordRequired, with a wrong one
    // EngineError::passwordIncorrect, before any engine runs.
    //
    // The native engine tells `notices` what damage or a limit left as it
    // was (see EngineNotice); the external engines tell nothing.
    //
    // The source is opened once and read through that descriptor for the
    // whole call; anything but a regular file is refused before a byte is
    // read. What already has the destination's name is treated as `overwrite`
    // says. Refused before any engine runs: a destination that is a folder,
    // whose folder is missing or cannot be written, or, unless replacing the
    // name was asked for (Overwrite::nameOnly), that is a file the user may
    // not write or that is write-protected (EACCES). Just before the
    // outcome is renamed into place the source's name must still hold the
    // file opened, unchanged (EngineError::sourceChanged otherwise). Once the
    // rename has happened the call succeeds, whatever `stop` says by then.
    //
    // Throws EngineError for the engines' failures and the refusals above,
    // std::filesystem::filesystem_error for file-system failures,
    // std::system_error when a tool cannot be started, and Cancelled when
    // `stop` is requested before the outcome is installed (whatever else went
    // wrong after it). Naming an `engine` that is not available throws
    // std::invalid_argument. On every failure the destination is left as it
    // was and no working file remains.
    static Result compress(const std::filesystem::path& source,
                           const std::filesystem::path& destination, CompressionProfile profile,
                           std::optional<std::int64_t> targetBytes, bool cleanMetadata,
                           StopToken stop = {}, Engine engine = Engine::automatic,
                           Overwrite overwrite = Overwrite::throughLinks,
                           const std::string& password = {}, const EngineNotices& notices = {});

    // The engines this machine can run, in the order the automatic choice
    // tries them; the native engine is always the last. Looked up afresh.
    static std::vector<Engine> availableEngines();

    // An engine's name as the command line writes it: "auto", "ghostscript",
    // "qpdf" or "native".
    static std::string_view engineName(Engine engine);
    // The engine of a name engineName() gives; none for any other text.
    static std::optional<Engine> engineNamed(std::string_view name);

    // The configuration a profile uses when there is no target.
    static Configuration configuration(CompressionProfile profile);

    // The ordered, non-empty list of configurations one compress() call tries.
    static std::vector<Configuration> attemptList(CompressionProfile profile,
                                                  std::optional<std::int64_t> targetBytes);

    // The eight-step ladder walked whenever a target size is given, gentlest first.
    static const std::vector<Configuration>& targetLadder();
};

} // namespace zurbo
