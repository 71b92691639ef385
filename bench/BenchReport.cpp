#include "BenchReport.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <map>
#include <sstream>

namespace zurbo::bench {

namespace {

std::string fixed(double value, int decimals)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(decimals) << value;
    return text.str();
}

std::string optionalFixed(const std::optional<double>& value, int decimals)
{
    return value ? fixed(*value, decimals) : "—";
}

// Tool messages may hold pipes and line breaks, which would break the table.
std::string tableCell(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::string escaped;
    for (char c : text) {
        if (c == '|') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

std::string textVerdict(const std::optional<bool>& unchanged)
{
    if (!unchanged) {
        return "n/a";
    }
    return *unchanged ? "same" : "changed";
}

const BenchRow* referenceRun(const std::vector<BenchRow>& rows, const BenchRow& row)
{
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const BenchRow& candidate) {
        return candidate.engine == referenceEngine && candidate.file == row.file &&
               candidate.profile == row.profile && candidate.succeeded();
    });
    return found == rows.end() ? nullptr : &*found;
}

EngineSummary summarizeEngine(const std::vector<BenchRow>& rows, const std::string& engine)
{
    EngineSummary summary{.engine = engine};
    double logSizeRatio = 0;
    double ssimDifference = 0;
    double logSpeedup = 0;
    double logCpuRatio = 0;
    for (const BenchRow& row : rows) {
        if (row.engine != engine) {
            continue;
        }
        ++summary.runs;
        if (!row.succeeded()) {
            ++summary.failures;
            continue;
        }
        summary.textUnchanged += row.textUnchanged.value_or(false) ? 1 : 0;
        const BenchRow* reference = referenceRun(rows, row);
        if (reference == nullptr || row.outputBytes <= 0 || row.seconds <= 0) {
            continue;
        }
        ++summary.comparedRuns;
        logSizeRatio += std::log(static_cast<double>(row.outputBytes) / reference->outputBytes);
        ssimDifference += row.meanSsim - reference->meanSsim;
        logSpeedup += std::log(reference->seconds / row.seconds);
        logCpuRatio += std::log(row.cpuSeconds / reference->cpuSeconds);
    }
    if (summary.comparedRuns > 0) {
        const double n = summary.comparedRuns;
        summary.sizeRatioGeometricMean = std::exp(logSizeRatio / n);
        summary.ssimMeanDifference = ssimDifference / n;
        summary.speedupGeometricMean = std::exp(logSpeedup / n);
        summary.cpuRatioGeometricMean = std::exp(logCpuRatio / n);
    }
    return summary;
}

void writeRow(std::ostream& out, const BenchRow& row)
{
    out << "| " << tableCell(row.file) << " | " << rawValue(row.profile) << " | " << row.engine
        << " | ";
    if (!row.succeeded()) {
        out << "error: " << tableCell(*row.error) << " | — | — | — | — | — | — |\n";
        return;
    }
    out << row.outputBytes << " | " << fixed(row.sizeRatio(), 3) << " | " << fixed(row.seconds, 3)
        << " | " << fixed(row.cpuSeconds, 3) << " | " << fixed(row.peakBytes / 1e6, 0) << " | "
        << fixed(row.meanSsim, 4) << " | " << textVerdict(row.textUnchanged) << " |\n";
}

void writeSummary(std::ostream& out, const EngineSummary& summary)
{
    out << "| " << summary.engine << " | " << summary.runs - summary.failures << "/" << summary.runs
        << " | " << summary.comparedRuns << " | "
        << optionalFixed(summary.sizeRatioGeometricMean, 3) << " | "
        << optionalFixed(summary.ssimMeanDifference, 4) << " | " << summary.textUnchanged << "/"
        << summary.runs - summary.failures << " | "
        << optionalFixed(summary.speedupGeometricMean, 2) << " | "
        << optionalFixed(summary.cpuRatioGeometricMean, 2) << " |\n";
}

// Stage columns follow the first row that reports stages; every run of one
// engine reports the same stages in the same order.
void writeStages(std::ostream& out, const std::vector<BenchRow>& rows)
{
    const auto first = std::find_if(rows.begin(), rows.end(),
                                    [](const BenchRow& row) { return !row.stages.empty(); });
    if (first == rows.end()) {
        return;
    }
    out << "\nCPU seconds per stage, summed over the threads (the fastest run):\n\n"
        << "| File | Profile | Engine |";
    for (const auto& stage : first->stages) {
        out << ' ' << stage.first << " |";
    }
    out << "\n| --- | --- | --- |";
    for (std::size_t i = 0; i < first->stages.size(); ++i) {
        out << " ---: |";
    }
    out << '\n';
    for (const BenchRow& row : rows) {
        if (row.stages.empty()) {
            continue;
        }
        out << "| " << tableCell(row.file) << " | " << rawValue(row.profile) << " | " << row.engine
            << " |";
        for (const auto& stage : row.stages) {
            out << ' ' << fixed(stage.second, 3) << " |";
        }
        out << '\n';
    }
}

// Documents of `set` that every engine finished with the balanced profile,
// so that each engine's totals are over the same documents.
std::vector<std::string> comparableFiles(const std::vector<BenchRow>& rows, const std::string& set,
                                         const std::vector<std::string>& engines)
{
    std::vector<std::string> files;
    for (const BenchRow& row : rows) {
        if (row.set != set || row.profile != CompressionProfile::balanced ||
            std::find(files.begin(), files.end(), row.file) != files.end()) {
            continue;
        }
        const bool everyEngine =
            std::all_of(engines.begin(), engines.end(), [&](const std::string& engine) {
                return std::any_of(rows.begin(), rows.end(), [&](const BenchRow& other) {
                    return other.engine == engine && other.file == row.file &&
                           other.profile == row.profile && other.succeeded();
                });
            });
        if (everyEngine) {
            files.push_back(row.file);
        }
    }
    return files;
}

std::vector<std::string> distinct(const std::vector<BenchRow>& rows, std::string BenchRow::*field)
{
    std::vector<std::string> values;
    for (const BenchRow& row : rows) {
        if (std::find(values.begin(), values.end(), row.*field) == values.end()) {
            values.push_back(row.*field);
        }
    }
    return values;
}

// Output bytes by kind and CPU time, totalled per document set and engine.
void writeSets(std::ostream& out, const std::vector<BenchRow>& rows)
{
    const auto engines = distinct(rows, &BenchRow::engine);
    out << "\nTotals per document set, balanced profile, over the documents every engine "
           "finished (bytes; fonts are font programs and Type 3 glyphs, content is pages and "
           "forms, other is the rest):\n\n"
        << "| Set | Engine | Documents | Output | vs gs | Fonts | Content | Images | Other | "
           "CPU s |\n"
        << "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n";
    for (const std::string& set : distinct(rows, &BenchRow::set)) {
        const auto files = comparableFiles(rows, set, engines);
        std::map<std::string, std::pair<ByteKinds, double>> totals;
        for (const BenchRow& row : rows) {
            if (row.set == set && row.profile == CompressionProfile::balanced &&
                std::find(files.begin(), files.end(), row.file) != files.end()) {
                totals[row.engine].first += row.outputKinds;
                totals[row.engine].second += row.cpuSeconds;
            }
        }
        const auto reference = totals.find(referenceEngine);
        const std::int64_t referenceBytes =
            reference == totals.end() ? 0 : reference->second.first.total();
        for (const std::string& engine : engines) {
            const auto& [kinds, cpu] = totals[engine];
            out << "| " << set << " | " << engine << " | " << files.size() << " | " << kinds.total()
                << " | "
                << (referenceBytes > 0
                        ? fixed(static_cast<double>(kinds.total()) / referenceBytes, 3)
                        : "—")
                << " | " << kinds.fonts << " | " << kinds.content << " | " << kinds.images << " | "
                << kinds.other << " | " << fixed(cpu, 2) << " |\n";
        }
    }
}

// Hostile inputs are judged by what a run costs, and a refusal is an outcome.
void writeHostile(std::ostream& out, const std::vector<BenchRow>& rows)
{
    if (rows.empty()) {
        return;
    }
    out << "\nHostile inputs, one run with the balanced profile:\n\n"
        << "| File | Source bytes | Engine | Outcome | Seconds | CPU s | Peak MB |\n"
        << "| --- | ---: | --- | --- | ---: | ---: | ---: |\n";
    for (const BenchRow& row : rows) {
        out << "| " << tableCell(row.file) << " | " << row.sourceBytes << " | " << row.engine
            << " | "
            << (row.succeeded() ? std::to_string(row.outputBytes) + " bytes"
                                : "refused: " + tableCell(*row.error))
            << " | " << fixed(row.seconds, 2) << " | " << fixed(row.cpuSeconds, 2) << " | "
            << fixed(row.peakBytes / 1e6, 0) << " |\n";
    }
}

// What the native engine left as it was, per reason and document set, over
// its balanced runs, so that each document counts once.
void writeNotices(std::ostream& out, const std::vector<BenchRow>& rows,
                  const std::vector<BenchRow>& hostileRows)
{
    std::vector<std::string> sets;
    std::map<std::string, std::map<std::string, int>> counts{{"(documents)", {}}};
    const auto add = [&](const BenchRow& row, const std::string& set) {
        if (row.engine != "native" || row.profile != CompressionProfile::balanced) {
            return;
        }
        if (std::find(sets.begin(), sets.end(), set) == sets.end()) {
            sets.push_back(set);
        }
        ++counts["(documents)"][set];
        for (const auto& [reason, count] : row.notices) {
            counts[reason][set] += count;
        }
    };
    for (const BenchRow& row : rows) {
        add(row, row.set);
    }
    for (const BenchRow& row : hostileRows) {
        add(row, "hostile");
    }
    if (sets.empty()) {
        return;
    }
    out << "\nLeft as they were by the native engine, per reason and set (balanced profile):\n\n"
        << "| Reason |";
    for (const std::string& set : sets) {
        out << ' ' << set << " |";
    }
    out << "\n| --- |";
    for (std::size_t i = 0; i < sets.size(); ++i) {
        out << " ---: |";
    }
    out << '\n';
    for (auto& [reason, perSet] : counts) {
        out << "| " << reason << " |";
        for (const std::string& set : sets) {
            out << ' ' << perSet[set] << " |";
        }
        out << '\n';
    }
}

} // namespace

std::vector<EngineSummary> summarize(const std::vector<BenchRow>& rows)
{
    std::vector<EngineSummary> summaries;
    for (const std::string& engine : distinct(rows, &BenchRow::engine)) {
        summaries.push_back(summarizeEngine(rows, engine));
    }
    return summaries;
}

void writeMarkdownReport(std::ostream& out, const std::vector<BenchRow>& rows,
                         const std::vector<BenchRow>& hostileRows,
                         const std::vector<std::string>& notes)
{
    out << "| File | Profile | Engine | Output bytes | Ratio | Seconds | CPU s | Peak MB | SSIM | "
           "Text |\n"
        << "| --- | --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | --- |\n";
    for (const BenchRow& row : rows) {
        writeRow(out, row);
    }
    out << "\nAgainst Ghostscript on the same file and profile (size ratio and speed-up are "
           "geometric means; speed-up above 1 is faster, CPU below 1 is less work):\n\n"
        << "| Engine | Succeeded | Compared | Size vs gs | SSIM − gs | Text same | Speed-up vs gs "
           "| CPU vs gs |\n"
        << "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n";
    for (const EngineSummary& summary : summarize(rows)) {
        writeSummary(out, summary);
    }
    writeSets(out, rows);
    writeStages(out, rows);
    writeNotices(out, rows, hostileRows);
    writeHostile(out, hostileRows);
    if (!notes.empty()) {
        out << '\n';
        for (const std::string& note : notes) {
            out << "- " << note << '\n';
        }
    }
}

} // namespace zurbo::bench
