// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "archive/ArchiveDirectory.h"
#include "archive/FileInputStream.h"
#include "codec/ExpansionEngine.h"
#include "reader/BlocksAhead.h"
#include "reader/OpenSequence.h"
#include "qxdec/UserDialog.h"
#include "platform/OutputTree.h"

// Takes one archive from file to result: opens it, settles the mode,
// expands the data block by block and writes, compares or only tests the
// entries.
class ExtractJob {
public:
    // What comparing an entry with its file came to: equal, a difference
    // that the user let go by, the user's stop, or a failure of its own.
    enum class Comparison { Equal, Differs, Stopped, Failed };

    // How a run ended: the archive done, stopped (by a failure, or by the
    // user's choice not to go on), or cancelled from the progress display.
    enum class RunEnd { Finished, Stopped, Cancelled };

    ExtractJob(UserDialog* dialog, const std::optional<std::string>& outputDir);
    ~ExtractJob();
    ExtractJob(const ExtractJob&) = delete;
    ExtractJob& operator=(const ExtractJob&) = delete;

    RunEnd Run(const std::string& archivePath, bool testFlag);

    // True when the run stopped on an error rather than by the user's choice.
    bool Failed() const { return failed; }

private:
    enum class Mode { Extract, Test, Compare };

    // Opens the archive and expands its directory; false when it cannot be
    // used (the dialogue has said why).
    bool OpenArchive(const std::string& path);
    RunEnd Fail(const std::string& text);
    RunEnd DataError(ExpandResult result, Mode mode);
    std::optional<Mode> SettleMode(bool testFlag);
    int Percent(int64_t done) const;
    // Shows the progress of a block's expansion and its failure; kFinished
    // when it expanded whole.
    RunEnd ShowSteps(const Block& b, const BlocksAhead::Expanded& expanded, int64_t done, int32_t step, Mode mode);
    // Restores entry k, whose name the caller has looked up, under the output
    // folder from its expanded bytes through the job's output tree; false
    // when it failed (the dialogue has said why).
    bool WriteEntry(platform::OutputTree& output, int32_t k, const std::string& name, const unsigned char* data);
    // Compares entry k with the file under the output folder.
    Comparison CompareEntry(int32_t k, const std::string& name, const unsigned char* data);
    // Writes, compares or only names the block's entries; Finished or Stopped.
    RunEnd UseEntries(const Block& b, const unsigned char* area, Mode mode, platform::OutputTree& output, bool& mismatch);

    std::optional<std::string> outputDir;
    UserDialog* dialog;
    std::unique_ptr<FileInputStream> stream;
    OpenedArchive opened;  // header, directory buffer, engine and directory
    int32_t totalSize = 0;
    int32_t entryCount = 0;
    int32_t dataSize = 0;
    ArchiveDirectory* directory = nullptr;  // opened's
    bool failed = false;
};
