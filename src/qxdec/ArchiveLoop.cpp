// SPDX-License-Identifier: MIT
#include "qxdec/ArchiveLoop.h"

#include "qxdec/ExtractJob.h"

int RunArchiveLoop(const HandOver& handOver, UserDialog& dialog) {
    int status = 0;
    for (const std::string& archive : handOver.archives) {
        // A self-extracting file writes into its own folder and never tests.
        ExtractJob job(&dialog, handOver.selfExtract ? std::nullopt : handOver.outputDir);
        job.Run(archive, handOver.selfExtract ? false : handOver.testFlag);
        if (job.Failed()) status = 2;
    }
    return status;
}
