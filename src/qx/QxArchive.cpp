// SPDX-License-Identifier: MIT
#include "qx/QxArchive.h"

#include "platform/Files.h"
#include "platform/SystemError.h"
#include "platform/OutputTree.h"
#include "platform/Sha256.h"
#include "platform/Terminal.h"
#include "platform/FileHolder.h"
#include "util/ShownText.h"

std::vector<std::string> ExpandArchives(const std::vector<std::string>& operands) {
    std::vector<std::string> archives;
    for (const std::string& operand : operands) {
        for (std::string& path : platform::ExpandFileOperand(operand)) archives.push_back(std::move(path));
    }
    return archives;
}

bool OneArchive(const std::string& operand, std::string& path) {
    const std::vector<std::string> matches = platform::ExpandFileOperand(operand);
    if (matches.size() != 1) return false;
    path = matches[0];
    return true;
}

int EntrySha256(qx1_archive* archive, size_t index, std::string& sha256) {
    platform::Sha256 hash;
    const auto update = [](void* user, const void* data, size_t size) {
        static_cast<platform::Sha256*>(user)->Update(data, size);
        return 0;
    };
    const int result = EntryFailure(archive, index, qx1_read_entry(archive, index, update, &hash));
    sha256 = result == QX1_OK ? hash.HexDigest() : std::string();
    return result;
}

void QxError(const std::string& text) { platform::WriteTextError("qx: " + ShownText(text) + "\n"); }

bool PasswordSource::Resolve(const ParsedArguments& arguments, std::string& error) {
    if (const auto given = arguments.Value("password")) {
        password_ = given;
        return true;
    }
    if (const auto file = arguments.Value("password-file")) {
        FileHolder holder(platform::OpenUtf8ForReading(*file));
        std::string text;
        char chunk[4096];
        for (size_t n; holder.Get() && (n = platform::ReadFile(holder.Get(), chunk, sizeof chunk)) > 0;) {
            text.append(chunk, n);
            if (text.size() > 65536) break;
        }
        if (!holder.Get()) {
            error = "the password file " + *file + " cannot be read";
            return false;
        }
        password_ = text.substr(0, text.find_first_of("\r\n"));
        return true;
    }
    password_ = platform::EnvironmentVariable("QX_PASSWORD");
    return true;
}

ArchiveHandle PasswordSource::Open(const std::string& path, std::string& failure, bool list, bool report) {
    qx1_archive* archive = nullptr;
    const bool fromInput = path == "-";
    if (fromInput && !inputRead_) {
        inputRead_ = true;
        if (!platform::ReadStandardInput(input_)) input_.clear();
    }
    const auto open = [&](const char* password) {
        return fromInput ? qx1_open_memory(input_.data(), input_.size(), password, &archive)
                         : qx1_open_file(path.c_str(), password, &archive);
    };
    int result = open(password_ ? password_->c_str() : nullptr);
    if (result == QX1_E_PASSWORD_NEEDED && !password_) {
        std::string typed;
        if (!platform::AskTerminal("Password for " + path + ": ", true, typed)) {
            failure = "the archive is protected by a password; give it with -p, --password-file or QX_PASSWORD";
            code = QX1_E_PASSWORD_NEEDED;
            if (report) QxError(path + ": " + failure);
            return nullptr;
        }
        // One typed password serves the other archives of the command line too.
        password_ = typed;
        result = open(password_->c_str());
    }
    if (result == QX1_OK && list) {
        result = qx1_list(archive);
        if (result != QX1_OK) qx1_close(archive);
    }
    code = result;
    if (result != QX1_OK) {
        failure = qx1_strerror(result);
        if (result == QX1_E_OPEN) {
            if (const std::string reason = platform::SystemErrorText(); !reason.empty()) failure += " (" + reason + ")";
        }
        if (report) QxError(path + ": " + failure);
        return nullptr;
    }
    return ArchiveHandle(archive);
}
