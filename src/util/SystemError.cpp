#include "util/SystemError.h"

#include <cerrno>
#include <cstring>

namespace mrt {

std::string SystemErrorText(int errnum) {
    if (errnum == 0) errnum = EIO;
    const char* reason = nullptr;
    switch (errnum) {
    case ENOENT:
        reason = "ファイルまたはフォルダがありません";
        break;
    case ENOTDIR:
        reason = "フォルダではないものがパスの途中にあります";
        break;
    case EISDIR:
        reason = "ファイルではなくフォルダです";
        break;
    case EACCES:
    case EPERM:
        reason = "アクセスする権限がありません";
        break;
    case ENOSPC:
    case EDQUOT:
        reason = "空き容量が足りません";
        break;
    case EFBIG:
        reason = "ファイルが大きすぎます";
        break;
    case EROFS:
        reason = "読み取り専用の場所のため書き込めません";
        break;
    case EIO:
        reason = "読み書き中に入出力エラーが起きました（媒体の異常か取り外し）";
        break;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        reason = "装置または媒体がありません（取り外された可能性があります）";
        break;
    case EEXIST:
        reason = "同じ名前のものがすでにあります";
        break;
    case ENAMETOOLONG:
        reason = "名前が長すぎます";
        break;
    case EMFILE:
    case ENFILE:
        reason = "開いているファイルが多すぎます";
        break;
    case ENOMEM:
        reason = "メモリが足りません";
        break;
    case EBUSY:
    case ETXTBSY:
        reason = "使用中です";
        break;
    default:
        reason = "システムのエラーです";
        break;
    }
    return std::string(reason) + " (" + std::strerror(errnum) + ")";
}

} // namespace mrt
