#include "player/core/Texts.h"

#include <stdexcept>

#include "common/ScriptEncoding.h"
#include "common/SjisText.h"

namespace vornal::texts {

namespace {

std::string sjis(std::string_view utf8) {
    auto text = vornal::sjis::fromUtf8Strict(utf8);
    if (!text) throw std::logic_error("message text not in code page 932");
    return *text;
}

std::string lineNumber(std::int32_t lineIndex) {
    return std::to_string(static_cast<std::int64_t>(lineIndex) + 1);
}

}  // namespace

std::string LabelNotFound(std::string_view name) {
    static const std::string head = sjis("Error:ラベル");
    static const std::string tail = sjis("が発見できませんでした");
    return head + std::string(name) + tail;
}

std::string ItemNotFound(std::string_view name) {
    static const std::string head = sjis("Error : アイテム");
    static const std::string tail = sjis("がありません");
    return head + std::string(name) + tail;
}

const std::string& ItemListHeading() {
    static const std::string text = sjis("[所持アイテム]");
    return text;
}

const std::string& EnterProperly() {
    static const std::string text = sjis("正しく入力してください");
    return text;
}

const std::string& DigitsOnly() {
    static const std::string text = sjis("数字のみを入力してください");
    return text;
}

const std::string& ScriptReadFailed() {
    static const std::string text = sjis("スクリプトの読み込みに失敗しました");
    return text;
}

std::string FileCannotOpen(std::string_view path) {
    static const std::string head = sjis("ファイル");
    static const std::string tail = sjis("が開けません");
    return head + std::string(path) + tail;
}

std::string DataReadFailed(std::string_view name) {
    static const std::string head = sjis("データ");
    static const std::string tail = sjis("の読み込みに失敗しました");
    return head + std::string(name) + tail;
}

std::string SoundUnplayable(std::string_view name) {
    static const std::string head = sjis("効果音");
    static const std::string tail = sjis("を再生できません");
    return head + std::string(name) + tail;
}

const std::string& SaveOverwrite() {
    static const std::string text = sjis("セーブデータが存在します。上書きしてもよろしいですか？");
    return text;
}

const std::string& SaveFormatWrong() {
    static const std::string text = sjis("セーブデータの形式が異なっています");
    return text;
}

std::string SaveWriteFailed(std::string_view path, std::string_view cause) {
    static const std::string head = sjis("セーブデータ");
    static const std::string tail = sjis("を書き込めませんでした");
    return head + std::string(path) + tail + " (" + std::string(cause) + ")";
}

std::string BadValue(std::int32_t lineIndex, std::string_view line) {
    static const std::string tail = sjis("行目の数値が正しくありません:");
    return "Error:" + lineNumber(lineIndex) + tail + std::string(line);
}

std::string NoScene(std::string_view file) {
    static const std::string tail = sjis("に*SCENEがありません");
    return "Error:" + std::string(file) + tail;
}

std::string ScriptTooLarge(std::string_view file) {
    static const std::string tail = sjis("が大きすぎます");
    return "Error:" + std::string(file) + tail;
}

std::string StackTooDeep(std::int32_t lineIndex, std::string_view line) {
    static const std::string tail = sjis("行目の*GOSUBが深すぎます:");
    return "Error:" + lineNumber(lineIndex) + tail + std::string(line);
}

std::string EncodingFailed(std::int32_t lineIndex, std::int32_t column, bool invalidUtf8,
                           char32_t character) {
    static const std::string line = sjis("行目");
    static const std::string at = sjis("文字目");
    static const std::string character_ = sjis("の文字");
    static const std::string unheld = sjis("はShift-JISで表せません");
    static const std::string broken = sjis("はUTF-8として読めません");
    const std::string place = "Error:" + lineNumber(lineIndex) + line + std::to_string(column) + at;
    if (invalidUtf8) return place + broken;
    return place + character_ + CodePointName(character) + unheld;
}

}  // namespace vornal::texts
