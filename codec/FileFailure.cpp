#include "codec/FileFailure.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace vornal {

namespace {

struct Wording {
    const char* english;   // before the quoted file
    const char* japanese;  // after 「FILE
};

Wording wordingOf(FileFailure::Action action) {
    using Action = FileFailure::Action;
    switch (action) {
        case Action::open:
            return {"cannot open", "」を開けません"};
        case Action::create:
            return {"cannot create", "」を作成できません"};
        case Action::read:
            return {"cannot read", "」を読み込めません"};
        case Action::write:
            return {"cannot write", "」に書き込めません"};
        case Action::replace:
            return {"cannot replace", "」を置き換えられません"};
    }
    return {"cannot use", "」を使えません"};
}

}  // namespace

std::string EnglishText(const FileFailure& failure) {
    return std::string(wordingOf(failure.action).english) + " '" + failure.file.string() +
           "': " + std::strerror(failure.error);
}

std::string JapaneseReason(int error) {
    static constexpr std::pair<int, const char*> kReasons[] = {
        {ENOENT, "ファイルまたはフォルダがありません"},
        {ENOTDIR, "フォルダではないものがパスの途中にあります"},
        {EISDIR, "フォルダです"},
        {EEXIST, "同じ名前のファイルがあります"},
        {EACCES, "アクセスする権限がありません"},
        {EPERM, "操作が許可されていません"},
        {EROFS, "読み込み専用のファイルシステムです"},
        {ENOSPC, "ディスクに空きがありません"},
        {EDQUOT, "ディスクの使用量の上限に達しました"},
        {EFBIG, "ファイルが大きすぎます"},
        {ENAMETOOLONG, "ファイル名が長すぎます"},
        {ELOOP, "シンボリックリンクが循環しています"},
        {EIO, "入出力エラーが起きました"},
        {EBUSY, "使用中です"},
        {ETXTBSY, "実行中のファイルです"},
        {EMFILE, "開いているファイルが多すぎます"},
        {ENFILE, "開いているファイルが多すぎます"},
        {ENOMEM, "メモリが足りません"},
        {EXDEV, "別のファイルシステムへは移せません"},
    };
    for (const auto& [code, text] : kReasons) {
        if (code == error) return text;
    }
    return std::string("システムエラー ") + std::to_string(error) + " (" + std::strerror(error) +
           ")";
}

std::string JapaneseText(const FileFailure& failure) {
    return "「" + failure.file.string() + wordingOf(failure.action).japanese + "（" +
           JapaneseReason(failure.error) + "）";
}

}  // namespace vornal
