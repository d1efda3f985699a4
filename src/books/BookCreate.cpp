#include "books/BookCreate.h"

#include "ledger/LedgerSave.h"
#include "ledger/LineRules.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "settings/IniRecord.h"
#include "util/DateText.h"
#include "util/FileBatch.h"
#include "util/FileCopy.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Stages a copy of `source` as `target`; a missing source is skipped.
bool stageCopy(FileBatch& batch, const std::string& source, const std::string& target, std::string& error) {
    if (!isFile(source)) return true;
    std::string bytes;
    if (!ReadWholeFile(source, bytes)) {
        error = source + ": 読み込めません。";
        return false;
    }
    return batch.Stage(target, bytes, error);
}

} // namespace

int SaveBooks(const std::string& home, const std::vector<Book>& books, std::string& error) {
    if (WriteWholeFile(ResolveCase(home, kBooksFileName), EncodeBooks(books))) return 0;
    error = "家計簿の一覧を保存できませんでした。";
    return -1;
}

int CreateBook(const std::string& home, std::vector<Book>& books, const NewBook& nb, Dialogs& dlg, std::string& error) {
    if (std::string why = BookNameProblem(books, nb.name); !why.empty()) {
        error = why;
        return -1;
    }
    if (CheckLineDate(nb.start.year, nb.start.month, nb.start.day) != LineDateFault::None) {
        error = kBadDateMessage;
        return -1;
    }
    if (!IsLedgerAmount(nb.balance)) {
        error = kAmountRangeMessage;
        return -1;
    }
    Book book{NextBookFolder(home, books), nb.name, nb.kind};
    const std::string folder = BookDataFolder(home, book.folder);
    const std::string backup = JoinPath(folder, "BU");
    if (!MakeFolders(backup)) {
        error = "家計簿のフォルダを作成できません: " + folder;
        return -1;
    }
    auto failed = [&] {
        // Nothing of the book was committed: its empty folders go again.
        ::rmdir(backup.c_str());
        ::rmdir(folder.c_str());
        return -1;
    };
    FileBatch batch;
    batch.SpanFolders(home);
    if (!nb.copyFrom.empty()) {
        for (const char* name : {kItemFileName, kBrkDnFileName, kShopFileName, kSettingsFileName})
            if (!stageCopy(batch, ResolveCase(nb.copyFrom, name), JoinPath(folder, name), error)) return failed();
    } else if (!nb.tbInit.empty()) {
        std::vector<std::string> names;
        if (ListFiles(nb.tbInit, "*.*", names) > 0)
            for (const std::string& name : names)
                if (!stageCopy(batch, JoinPath(nb.tbInit, name), JoinPath(folder, name), error)) return failed();
    }
    LedgerState st;
    st.index.SetDataFolder(folder);
    st.MaxBlockLines = INT_MAX;
    st.block = {InitialBalanceLine(nb.start.year, nb.start.month, nb.start.day, nb.balance)};
    st.LedgerModified = true;
    if (SaveLedgerBlock(st, dlg, &batch) != 0) {
        error = "初期残高を保存できませんでした。";
        return failed();
    }
    std::vector<Book> now = books;
    now.push_back(book);
    if (!batch.Stage(ResolveCase(home, kBooksFileName), EncodeBooks(now), error) || !batch.Commit(error))
        return failed();
    books = std::move(now);
    return 0;
}

} // namespace mrt
