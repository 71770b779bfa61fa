// SPDX-License-Identifier: MIT
#include "qx/QxProgress.h"

#include <cstdio>

#include "platform/Clock.h"
#include "platform/Terminal.h"

void ProgressBar::Attach(qx1_archive* archive) {
    if (!enabled_) return;
    start_ = platform::Now();
    lastDraw_ = -1000;
    qx1_set_progress(archive, &ProgressBar::Update, this);
}

void ProgressBar::Clear() {
    if (!shown_) return;
    platform::WriteTextError("\r\x1b[K");
    shown_ = false;
}

int ProgressBar::Update(void* self, uint64_t done, uint64_t total) {
    auto& bar = *static_cast<ProgressBar*>(self);
    const double seconds = ElapsedSeconds(bar.start_, platform::Now());
    const auto milliseconds = static_cast<int64_t>(seconds * 1000);
    if (milliseconds - bar.lastDraw_ < 100 && done < total) return 0;
    bar.lastDraw_ = milliseconds;
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds / 1e6 : 0;
    char line[64];
    std::snprintf(line, sizeof line, "\r%3d%%  %7.1f MB/s  ", percent, rate);
    // The name is cut to its last 40 bytes (at a character start) to keep to one line.
    std::string name = bar.name_;
    if (name.size() > 40) {
        size_t cut = name.size() - 40;
        while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
        name = "..." + name.substr(cut);
    }
    platform::WriteTextError(line + name + "\x1b[K");
    bar.shown_ = true;
    return 0;
}
