// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "qx1.h"
#include "util/ElapsedSeconds.h"

// The progress line of qx extract and qx test on standard error: percentage
// of the bytes, rate and current name, redrawn at most ten times a second.
// Does nothing when disabled (standard error is no terminal, or -q).
class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Follows the decoding of archive from now on.
    void Attach(qx1_archive* archive);
    void SetName(const std::string& name) { name_ = name; }
    // Removes the line, so that a message can follow.
    void Clear();

private:
    static int Update(void* self, uint64_t done, uint64_t total);

    bool enabled_;
    bool shown_ = false;
    std::string name_;
    TimeReading start_;
    int64_t lastDraw_ = -1000;  // milliseconds since start
};
