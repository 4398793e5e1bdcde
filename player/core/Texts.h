// The engine's own messages, in the game's Shift-JIS. Built once from UTF-8 source text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vornal::texts {

// "Error:ラベル" + name + "が発見できませんでした" (a line in the message area).
std::string LabelNotFound(std::string_view name);
// "Error : アイテム" + name + "がありません" (a message box).
std::string ItemNotFound(std::string_view name);
// "[所持アイテム]", the heading of *ITEMLIST.
const std::string& ItemListHeading();
const std::string& EnterProperly();     // "正しく入力してください"
const std::string& DigitsOnly();        // "数字のみを入力してください"
const std::string& ScriptReadFailed();  // "スクリプトの読み込みに失敗しました"
// "ファイル" + path + "が開けません".
std::string FileCannotOpen(std::string_view path);
// "データ" + name + "の読み込みに失敗しました" (a data file that could not be read).
std::string DataReadFailed(std::string_view name);
// "効果音" + name + "を再生できません" (a sound effect that is no WAV the player reads).
std::string SoundUnplayable(std::string_view name);
const std::string& SaveOverwrite();  // "セーブデータが存在します。上書きしてもよろしいですか？"
const std::string& SaveFormatWrong();  // "セーブデータの形式が異なっています"
// "セーブデータ" + path + "を書き込めませんでした" + " (" + cause + ")".
std::string SaveWriteFailed(std::string_view path, std::string_view cause);
// "Error:" + N + "行目の数値が正しくありません:" + line, N counted from 1.
std::string BadValue(std::int32_t lineIndex, std::string_view line);
// "Error:" + file + "に*SCENEがありません".
std::string NoScene(std::string_view file);
// "Error:" + file + "が大きすぎます".
std::string ScriptTooLarge(std::string_view file);
// "Error:" + N + "行目の*GOSUBが深すぎます:" + line.
std::string StackTooDeep(std::int32_t lineIndex, std::string_view line);
// A script that cannot be read in its encoding, with line and column counted from 1:
// "Error:" + N + "行目" + C + "文字目の文字U+XXXXはShift-JISで表せません", or
// "Error:" + N + "行目" + C + "文字目はUTF-8として読めません".
std::string EncodingFailed(std::int32_t lineIndex, std::int32_t column, bool invalidUtf8,
                           char32_t character);

}  // namespace vornal::texts
