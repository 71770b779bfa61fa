// SPDX-License-Identifier: MIT
#include "qxdec/Messages.h"

#include <algorithm>
#include <array>
#include <mutex>

#include "platform/Encoding.h"

namespace {

constexpr std::array<std::string_view, static_cast<size_t>(Msg::Count)> kSource = {
    "\n qxdec : Quexel Decode Program for Windows95/NT Console\n",
    "       : Version 1.05 (Jun 30 1998)\n",
    "       : Free software for .qx1 archives on Linux and Windows\n",
    " Illegal Option!! : %s\n\n",
    " usage : A> qxdec [-d|-dOutDirName] [-pPassWord] [-y] [-t] <FileName.qx1>\n"
    "       : A> qxdec FileName.qx1           (ファイル'FileName.qx1'を解凍)\n"
    "       : A> qxdec -d FileName.qx1        (解凍して選択したディレクトリに出力)\n"
    "       : A> qxdec -dC:\\TMP\\ FileName.qx1 (解凍してディレクトリ'C:\\TMP\\'に出力)\n"
    "       : A> qxdec -pZQXJWV FileName.qx1  (パスワードに'ZQXJWV'を指定して解凍)\n"
    "       : A> qxdec -y FileName.qx1        (Yes/No Question にて ALL YES を選択)\n"
    "       : A> qxdec -t FileName.qx1        (ファイルを出力せずに解凍テスト)",
    "解凍ファイルの出力フォルダを選んでください。",
    "引数(%s)はシフトJISで表せない文字を含んでいます。\n処理を中止します。",
    "QX Message: \n",
    "QX Information:\n",
    "QX Question:\n",
    "QX InputPassword:\n",
    "QX InputDirName:\n",
    " [y/n]:",
    "All YES.\n",
    "?:",
    "ファイル(%s)が入力(fopen)できません。\n処理を中止します。",
    "ファイル(%s)が入力(fread)できません。\n処理を中止します。",
    "ファイル(%s)はＱＸ圧縮されているファイルではありません。\n解凍処理を中止します。",
    "パスワードを入力して下さい。",
    "パスワードが入力されませんでした。\n処理を中止します。",
    "パスワードが一致しません。\n処理を中止します。",
    "解凍先のメモリ(%s byte)が確保できません。\n処理を中止します。",
    "入力データが異常である。\n圧縮ファイル内のファイル一覧が壊れている。\n処理を中止します。",
    "ファイル名(%s)は出力フォルダの外を指しています。\n処理を中止します。",
    "ファイル(%s file)が既に存在します。\n上書きしますか？",
    "ファイルの内容と圧縮ファイルの内容を比較しますか？",
    "ファイルを出力せずに終了します。",
    "InFile: %s (%s byte)",
    "OutDir: %s (%s file: %s byte)",
    "TestDir: %s (%s file: %s byte)",
    "CompDir: %s (%s file: %s byte)",
    "OutFile(%d/%d): %s (%s byte)",
    "TestFile(%d/%d): %s (%s byte)",
    "CompFile(%d/%d): %s (%s byte)",
    "入力データが異常である。\n入力データ内にエリアを超えて解凍しようとするコードがある。\nファイルを出力せずに終了します。",
    "入力データが異常である。\n入力データ内にエリアを超えて解凍しようとするコードがある。\nファイルを比較せずに終了します。",
    "入力データが異常である。\n入力データ内に存在しないデータを示すコードがある。\nファイルを出力せずに終了します。",
    "入力データが異常である。\n入力データ内に存在しないデータを示すコードがある。\nファイルを比較せずに終了します。",
    "伸長処理を終了しました。(処理時間：%s 秒)",
    "解凍テストを終了しました。\n問題ありません。(処理時間：%s 秒)",
    "比較処理を終了しました。\nファイルの内容と一致します。(処理時間：%s 秒)",
    "比較処理を終了しました。\nファイルの内容と一致しませんでした。(処理時間：%s 秒)",
    "ディレクトリ(%s)が作成(mkdir)できません。\n処理を中止します。",
    "ファイル(%s)が出力(fopen)できません。\n処理を中止します。",
    "ファイル(%s)が出力(fwrite)できません。\n処理を中止します。",
    "ファイル(%s)の更新日付が設定(utime)できません。\n処理は続行します。",
    "比較ファイルの内容と圧縮ファイルの内容が不一致です。\n比較ファイル(%s)は存在しません。\n比較処理を続けますか？",
    "比較ファイルの内容と圧縮ファイルの内容が不一致です。\n比較ファイル(%s)のサイズと圧縮ファイル内のファイルサイズ\n"
    "(%s byte, %s byte)が異なります。\n比較処理を続けますか？",
    "比較ファイルの内容と圧縮ファイルの内容が不一致です。\n比較ファイル(%s)の更新日付が異なります。\n"
    "比較ファイル：%s圧縮ファイル：%s比較処理を続けますか？",
    "比較ファイルの内容と圧縮ファイルの内容が不一致です。\n比較ファイル(%s)の %s byte 目のデータが一致しない。\n%s\n"
    "比較処理を続けますか？",
    "比較用のメモリ(%s byte)が確保できません。\n処理を中止します。",
    "ファイル名が空のファイルがあります。\n処理を中止します。",
    "ファイル名(%s)はドライブを指定しています。\n処理を中止します。",
    "ファイル名(%s)はこのシステムのファイル名に使えない文字(:)を含んでいます。\n処理を中止します。",
    "ファイル名(%s)はWindowsの装置名です。\n処理を中止します。",
    "ファイル名(%s)の末尾が点または空白です。\n処理を中止します。",
    "ファイル名(%s)が長すぎます。\n処理を中止します。",
};

}  // namespace

std::string_view SourceText(Msg id) { return kSource[static_cast<size_t>(id)]; }

const std::string& Text(Msg id) {
    static std::array<std::string, static_cast<size_t>(Msg::Count)> converted;
    static std::once_flag once;
    std::call_once(once, [] {
        for (size_t i = 0; i < kSource.size(); ++i) converted[i] = platform::Cp932FromUtf8Lossy(kSource[i]);
    });
    return converted[static_cast<size_t>(id)];
}

std::string Compose(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string text;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        // The text up to the next '%' as it stands.
        const size_t mark = std::min(format.find('%', i), format.size());
        text.append(format, i, mark - i);
        i = mark;
        if (i == format.size()) break;
        if (i + 1 < format.size()) {
            const char kind = format[i + 1];
            if (kind == '%') {
                text += '%';
                ++i;
                continue;
            }
            if ((kind == 's' || kind == 'd') && next != args.end()) {
                text += *next++;
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}
