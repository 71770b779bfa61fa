// SPDX-License-Identifier: MIT
#include "qxdec/ExtractJob.h"

#include <algorithm>
#include <climits>

#include "archive/BlockPlan.h"
#include "reader/BlockSteps.h"
#include "qxdec/Messages.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/PathProbe.h"
#include "platform/Workers.h"
#include "util/ElapsedSeconds.h"
#include "util/FormatThousands.h"
#include "util/PathParts.h"

namespace {

// Progress is shown between steps of at least this many expanded bytes.
constexpr int32_t kMinimumStep = 20000;

// Blocks are expanded ahead for files of at most kAheadLargest bytes, in an
// area of at least kAheadArea.
constexpr size_t kAheadLargest = size_t{1} << 20;
constexpr size_t kAheadArea = size_t{1} << 20;

}  // namespace

ExtractJob::ExtractJob(UserDialog* userDialog, const std::optional<std::string>& folder)
    : outputDir(folder), dialog(userDialog) {}

ExtractJob::~ExtractJob() {
    outputDir.reset();
    opened.loaded.directory.reset();
    stream.reset();
    opened.loaded.buffer.reset();
    opened.loaded.engine.reset();
}

ExtractJob::RunEnd ExtractJob::Fail(const std::string& text) {
    failed = true;
    dialog->ShowMessage(text);
    return RunEnd::Stopped;
}

ExtractJob::RunEnd ExtractJob::DataError(ExpandResult result, Mode mode) {
    const bool extract = mode == Mode::Extract;
    if (result == ExpandResult::BeyondArea) {
        return Fail(Text(extract ? Msg::BeyondAreaExtract : Msg::BeyondAreaCheck));
    }
    return Fail(Text(extract ? Msg::NoSuchDataExtract : Msg::NoSuchDataCheck));
}

int ExtractJob::Percent(int64_t done) const {
    // A damaged header may give no or too small a total: the display stays
    // within 0 to 100.
    if (totalSize <= 0) return 0;
    const double percent = static_cast<double>(done) / totalSize * 100 + 0.5;
    return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

std::optional<ExtractJob::Mode> ExtractJob::SettleMode(bool testFlag) {
    if (testFlag) return Mode::Test;
    int32_t existing = 0;
    platform::PathProbe probe;
    for (int32_t i = 0; i < directory->count; ++i) {
        if (probe.Exists(*outputDir + directory->names[i])) ++existing;
    }
    if (existing == 0) return Mode::Extract;
    if (dialog->AskQuestion(Compose(Msg::AskOverwrite, {FormatThousands(existing)})) == Answer::Yes) return Mode::Extract;
    if (dialog->AskQuestion(Text(Msg::AskCompare)) == Answer::Yes) return Mode::Compare;
    dialog->ShowInformation(Text(Msg::NoOutput));
    return std::nullopt;
}

ExtractJob::RunEnd ExtractJob::ShowSteps(const Block& b, const BlocksAhead::Expanded& expanded, int64_t done, int32_t step,
                          Mode mode) {
    // The progress between the steps of the block's expansion, up to the
    // step that failed.
    int stepIndex = 0;
    for (int64_t pos = 0; pos < b.size; ++stepIndex) {
        if (dialog->UpdateProgress(Percent(done + pos)) != 0) return RunEnd::Cancelled;
        pos = StepEnd(pos, step);
        if (stepIndex == expanded.failedStep) return DataError(expanded.result, mode);
    }
    return RunEnd::Finished;
}

ExtractJob::RunEnd ExtractJob::UseEntries(const Block& b, const unsigned char* area, Mode mode, platform::OutputTree& output,
                           bool& mismatch) {
    const Msg entryLine = mode == Mode::Extract ? Msg::OutFileLine : mode == Mode::Test ? Msg::TestFileLine : Msg::CompFileLine;
    const std::string countText = std::to_string(directory->count);
    const unsigned char* data = area;
    for (int32_t k = b.first; k < b.end; ++k) {
        const int32_t size = directory->sizes[k];
        // A name is normalised and escaped at each look: look once.
        const std::string name = directory->names[k];
        dialog->ShowStatus(Compose(entryLine, {std::to_string(k + 1), countText, name, FormatThousands(size)}));
        if (mode == Mode::Extract) {
            if (!WriteEntry(output, k, name, data)) {
                failed = true;
                return RunEnd::Stopped;
            }
        } else if (mode == Mode::Compare) {
            const Comparison compared = CompareEntry(k, name, data);
            if (compared == Comparison::Stopped || compared == Comparison::Failed) {
                failed = compared == Comparison::Failed;
                return RunEnd::Stopped;
            }
            if (compared == Comparison::Differs) mismatch = true;
        }
        data += size;
    }
    return RunEnd::Finished;
}

ExtractJob::RunEnd ExtractJob::Run(const std::string& archivePath, bool testFlag) {
    if (!OpenArchive(archivePath)) return RunEnd::Stopped;
    const PathParts archive(archivePath);
    if (!outputDir) outputDir = archive.directory;
    const std::optional<Mode> settled = SettleMode(testFlag);
    if (!settled) return RunEnd::Stopped;
    const Mode mode = *settled;

    // Small files are written while later blocks are expanded, around an
    // area of room for many of them.
    const auto largest = static_cast<size_t>(directory->largestSize);
    const bool expandAhead = mode != Mode::Test && largest <= kAheadLargest && platform::HostThreads() > 1;
    const size_t aheadSize = std::max(kAheadArea, 2 * largest);
    unsigned char* const aheadArea = expandAhead ? opened.loaded.engine->ReserveArea(aheadSize) : nullptr;
    unsigned char* const area = aheadArea ? aheadArea : opened.loaded.engine->ReserveArea(largest);
    if (!area) return Fail(Compose(Msg::NoMemory, {FormatThousands(directory->largestSize)}));
    const size_t areaSize = aheadArea ? aheadSize : largest;
    platform::FileStatus archiveStatus;
    const int64_t archiveBytes = platform::Stat(archive.full, archiveStatus) ? archiveStatus.size : 0;
    dialog->BeginProgress(1);
    dialog->ShowStatus(Compose(Msg::InFileLine, {archive.fileName, FormatThousands(archiveBytes)}));
    dialog->SetProgressRange(100);
    const TimeReading start = platform::Now();

    if (entryCount > 1) {
        const Msg line = mode == Mode::Extract ? Msg::OutDirLine : mode == Mode::Test ? Msg::TestDirLine : Msg::CompDirLine;
        dialog->ShowStatus(Compose(line, {*outputDir, FormatThousands(entryCount), FormatThousands(dataSize)}));
    }
    const int32_t step = std::max(totalSize / 100, kMinimumStep);
    int64_t done = 0;
    bool mismatch = false;
    platform::OutputTree output;
    RunEnd ended = RunEnd::Finished;
    const std::vector<Block> blocks = CutBlocks(directory->sizes, directory->count, directory->largestSize);
    BlocksAhead ahead(*opened.loaded.engine, blocks, area, areaSize, step);
    ahead.Run([&](size_t index, const BlocksAhead::Expanded& expanded) {
        const Block& b = blocks[index];
        ended = ShowSteps(b, expanded, done, step, mode);
        if (ended == RunEnd::Finished) ended = UseEntries(b, expanded.area, mode, output, mismatch);
        done += b.size;
        return ended == RunEnd::Finished;
    });
    if (ended != RunEnd::Finished) return ended;
    dialog->UpdateProgress(100);
    const std::string seconds = SecondsText(ElapsedSeconds(start, platform::Now()));
    const Msg report = mode == Mode::Extract ? Msg::ReportExtract
                       : mode == Mode::Test  ? Msg::ReportTest
                       : mismatch            ? Msg::ReportCompareMismatch
                                             : Msg::ReportCompareMatch;
    dialog->ShowInformation(Compose(report, {seconds}));
    return RunEnd::Finished;
}
