// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Every text the programs show, kept readable in the source as UTF-8 and
// handed out as CP932 bytes.
enum class Msg {
    BannerLine1,
    BannerLine2,
    BannerLine3,
    IllegalOption,
    Usage,
    AskOutputFolder,
    ArgumentNotCp932,
    HeaderMessage,
    HeaderInformation,
    HeaderQuestion,
    HeaderPassword,
    HeaderDirName,
    AnswerSuffix,
    AllYes,
    PromptSuffix,
    CannotOpen,
    CannotRead,
    NotAnArchive,
    PasswordPrompt,
    PasswordMissing,
    PasswordWrong,
    NoMemory,
    DirectoryDamaged,
    UnsafeName,
    AskOverwrite,
    AskCompare,
    NoOutput,
    InFileLine,
    OutDirLine,
    TestDirLine,
    CompDirLine,
    OutFileLine,
    TestFileLine,
    CompFileLine,
    BeyondAreaExtract,
    BeyondAreaCheck,
    NoSuchDataExtract,
    NoSuchDataCheck,
    ReportExtract,
    ReportTest,
    ReportCompareMatch,
    ReportCompareMismatch,
    CannotMakeFolder,
    CannotCreateFile,
    CannotWriteFile,
    CannotSetTime,
    CompareMissing,
    CompareSize,
    CompareDate,
    CompareContent,
    CompareNoMemory,
    NameEmpty,
    NameDrive,
    NameColon,
    NameDevice,
    NameTrailingDotOrSpace,
    NameTooLong,
    Count
};

// The text in CP932.
const std::string& Text(Msg id);
// The text as written in the source (UTF-8).
std::string_view SourceText(Msg id);

// Puts args, in order, in place of each %s or %d of format; "%%" is a
// percent sign. The result is as long as it needs to be.
std::string Compose(std::string_view format, std::initializer_list<std::string_view> args);
inline std::string Compose(Msg id, std::initializer_list<std::string_view> args) { return Compose(Text(id), args); }
